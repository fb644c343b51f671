// page.js -- the page's half of the browser backend: console, canvas, events and timing figures
// Loaded ahead of the compiled game (--pre-js), so web_system.cpp's EM_JS calls find it.
var craterPage = (function () {
    'use strict';
    const consoleBox = document.getElementById('console');
    const answer = document.getElementById('answer');
    const stage = document.getElementById('stage');
    const again = document.getElementById('again');

    let canvas = null;
    let context = null;
    let image = null;
    let events = [];
    let lineDone = null;
    let newRunDone = null;

    // Figures for the tests and the measuring scripts; `record` starts collecting.
    const stats = {
        record: false,
        presentMs: [],     // performance.now() at every present
        busyMs: [],        // main-thread time from waking up to the next sleep: frame + present
        showMs: [],        // of that, the present's conversion and putImageData
        enterMs: null,     // Enter on the last answer of a run
        firstPresentMs: null,
        firstPaintMs: null,
        answers: 0,
    };
    let wokeAt = null;
    let presentingSince = null;

    function write(text, isError) {
        let node = document.createTextNode(text);
        if (isError) {
            const span = document.createElement('span');
            span.className = 'error';
            span.appendChild(node);
            node = span;
        }
        consoleBox.insertBefore(node, answer);
        consoleBox.scrollTop = consoleBox.scrollHeight;
    }

    function askLine(wakeUp) {
        answer.value = '';
        answer.hidden = false;
        answer.focus();
        lineDone = wakeUp;
    }

    answer.addEventListener('keydown', (e) => {
        if (e.key !== 'Enter' || !lineDone) return;
        e.preventDefault();
        // The run may end inside this handler; this Enter must not also start the next one.
        e.stopPropagation();
        craterPage.line = answer.value;
        answer.hidden = true;
        write(answer.value + '\n', false);
        stats.answers += 1;
        if (stats.answers % 3 === 0) {
            stats.enterMs = performance.now();
            stats.firstPresentMs = stats.firstPaintMs = null;
        }
        const wakeUp = lineDone;
        lineDone = null;
        // Woken inside the key's own handler: a full screen asked for now counts as the player's.
        wakeUp();
    });

    function askNewRun(wakeUp) {
        write('The run has ended. Press Enter or New run to start another.\n', false);
        again.hidden = false;
        again.focus();
        newRunDone = wakeUp;
    }

    function startNewRun() {
        if (!newRunDone) return;
        again.hidden = true;
        while (consoleBox.firstChild !== answer) consoleBox.removeChild(consoleBox.firstChild);
        const wakeUp = newRunDone;
        newRunDone = null;
        wakeUp();
    }
    again.addEventListener('click', startNewRun);
    document.addEventListener('keydown', (e) => {
        if (newRunDone && e.key === 'Enter') {
            e.preventDefault();
            startNewRun();
        }
    });

    function openCanvas(width, height) {
        const made = document.createElement('canvas');
        made.id = 'screen';
        made.width = width;
        made.height = height;
        made.style.width = width + 'px';
        made.style.height = height + 'px';
        const ctx = made.getContext('2d', { alpha: false });
        if (!ctx || made.width !== width || made.height !== height) return 0;
        ctx.fillStyle = '#000';
        ctx.fillRect(0, 0, width, height);
        made.addEventListener('contextmenu', (e) => e.preventDefault());
        made.addEventListener('mousedown', (e) => pointerButton(e, 3));
        stage.appendChild(made);
        canvas = made;
        context = ctx;
        image = null;
        events = [];
        return 1;
    }

    function enterFullScreen(wakeUp) {
        if (!canvas.requestFullscreen) {
            wakeUp(0);
            return;
        }
        canvas.requestFullscreen({ navigationUI: 'hide' }).then(() => {
            // Without the lock the browser takes Escape to leave the full screen, and the game
            // would never hear the key that ends the run.
            if (navigator.keyboard && navigator.keyboard.lock) {
                navigator.keyboard.lock(['Escape']).catch(() => {});
            }
            wakeUp(1);
        }, () => wakeUp(0));
    }

    function closeCanvas() {
        if (!canvas) return;
        if (document.fullscreenElement === canvas) document.exitFullscreen().catch(() => {});
        canvas.remove();
        canvas = context = image = null;
        events = [];
    }

    function show(rgba, x, y, width, height) {
        const bytes = canvas.width * canvas.height * 4;
        // A view on the game's memory, remade only when that memory moved (it grew) or changed.
        if (!image || image.data.buffer !== HEAPU8.buffer || image.data.byteOffset !== rgba) {
            const view = new Uint8ClampedArray(HEAPU8.buffer, rgba, bytes);
            image = new ImageData(view, canvas.width, canvas.height);
        }
        context.putImageData(image, 0, 0, x, y, width, height);
    }

    function presented() {
        const now = performance.now();
        if (stats.record && presentingSince !== null) stats.showMs.push(now - presentingSince);
        if (stats.firstPresentMs === null && stats.enterMs !== null) {
            stats.firstPresentMs = now;
            requestAnimationFrame(() => { stats.firstPaintMs = performance.now(); });
        }
        if (stats.record) stats.presentMs.push(now);
    }

    function presenting() {
        presentingSince = performance.now();
    }

    function sleeping(isSleeping) {
        const now = performance.now();
        if (!isSleeping) wokeAt = now;
        else if (wokeAt !== null && stats.record) stats.busyMs.push(now - wokeAt);
    }

    // Pointer positions in game pixels, also when the canvas is scaled to fit the full screen.
    function gamePoint(e) {
        const box = canvas.getBoundingClientRect();
        const scale = Math.min(box.width / canvas.width, box.height / canvas.height);
        // The canvas is painted from whole page pixels, however the layout placed it.
        const left = Math.round(box.left + (box.width - canvas.width * scale) / 2);
        const top = Math.round(box.top + (box.height - canvas.height * scale) / 2);
        return [Math.floor((e.clientX - left) / scale), Math.floor((e.clientY - top) / scale)];
    }

    const buttons = { 0: 1, 1: 3, 2: 2 };
    function pointerButton(e, kind) {
        if (!canvas || !(e.button in buttons)) return;
        const [x, y] = gamePoint(e);
        events.push([kind, buttons[e.button], x, y]);
    }
    window.addEventListener('mouseup', (e) => pointerButton(e, 4));
    window.addEventListener('mousemove', (e) => {
        if (canvas) events.push([5, ...gamePoint(e)]);
    });

    // Keys belong to the game while it runs, browser shortcuts and function keys excepted; that
    // keeps arrows and the space bar from scrolling the page.
    function forGame(e) {
        return canvas && !e.ctrlKey && !e.metaKey && !e.altKey && !(e.keyCode >= 112 && e.keyCode <= 123);
    }
    document.addEventListener('keydown', (e) => {
        if (!forGame(e)) return;
        e.preventDefault();
        events.push([1, e.keyCode, e.repeat ? 1 : 0]);
    });
    document.addEventListener('keyup', (e) => {
        if (!forGame(e)) return;
        e.preventDefault();
        events.push([2, e.keyCode]);
    });

    // Leaving the tab or the window forgets every held key and uncounted press.
    const focusChanged = () => { if (canvas) events.push([6]); };
    window.addEventListener('blur', focusChanged);
    window.addEventListener('focus', focusChanged);
    document.addEventListener('visibilitychange', focusChanged);

    function nextEvent(index) {
        const event = events.shift();
        if (!event) return 0;
        for (let n = 1; n < event.length; ++n) HEAP32[index + n - 1] = event[n];
        return event[0];
    }

    return {
        line: '', stats, write, askLine, askNewRun, openCanvas, enterFullScreen, closeCanvas, show,
        presenting, presented, sleeping, nextEvent,
    };
})();
