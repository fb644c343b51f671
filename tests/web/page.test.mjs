// page.test.mjs -- the web build as a player meets it, in a headless chromium over loopback
import { after, before, describe, it } from 'node:test';
import assert from 'node:assert/strict';

import {
    answer, click, consoleText, cyan, launch, openGame, prompts, readCanvas, red, serve, sleep, startRun,
    waitForConsole, waitForFirstFrame,
} from './page_driver.mjs';

let server, url, browser;
before(async () => {
    ({ server, url } = await serve());
    browser = await launch();
});
after(async () => {
    await browser?.close();
    server?.close();
});

// Opens a game, runs `body` with its page and closes the page however the body ended.
async function withGame(answers, body, viewport) {
    const page = await openGame(browser, url, answers, viewport);
    try {
        await body(page);
    } finally {
        await page.close();
    }
}

const transcript = (answers) => prompts.map((p, n) => p + answers[n] + '\n').join('');
const tooSmall = 'width and height must be at least 1 pixel';
const runEnded = 'The run has ended. Press Enter or New run to start another.\n';

async function holdKey(page, key, ms) {
    await page.keyboard.down(key);
    await sleep(ms);
    await page.keyboard.up(key);
    await sleep(50);  // a few frames for the release to be seen and drawn
}

describe('console', () => {
    const cases = [
        { answers: ['800', '600', '0'], width: 800, height: 600, grid: '50\n38\n' },
        // The desktop's conversion: leading blanks, trailing junk, "$" for hexadecimal.
        { answers: [' 640px', '$1E0', '0'], width: 640, height: 480, grid: '40\n30\n' },
        { answers: ['17', '+33', 'x'], width: 17, height: 33, grid: '2\n3\n' },
    ];
    for (const c of cases) {
        it(`shows the prompts, the answers and the grid size for ${c.answers.join(' / ')}`, async () => {
            await withGame(c.answers, async (page) => {
                assert.equal(await consoleText(page), transcript(c.answers) + c.grid);
                const size = await page.$eval('#screen', (s) => [s.width, s.height, s.clientWidth,
                                                                  s.clientHeight]);
                assert.deepEqual(size, [c.width, c.height, c.width, c.height]);
            });
        });
    }

    const badSizes = [
        { answers: ['0', '600', '0'], message: `cannot open a 0x600 window: ${tooSmall}` },
        { answers: ['abc', '600', '1'], message: `cannot open a 0x600 full screen: ${tooSmall}` },
        { answers: ['800', '-1', '0'], message: `cannot open a 800x-1 window: ${tooSmall}` },
        {
            answers: ['16385', '600', '0'],
            message: 'cannot open a 16385x600 window: the largest size supported is 16384x16384',
        },
        // Within the desktop's limit, but more than the page's memory holds twice over.
        {
            answers: ['16384', '16384', '0'],
            message: 'cannot open a 16384x16384 window: the page can hold at most 134217728 pixels',
        },
    ];
    for (const c of badSizes) {
        it(`gives the one-line message and no canvas for ${c.answers.join(' / ')}`, async () => {
            const page = await browser.newPage();
            try {
                await page.goto(url);
                await startRun(page, c.answers);
                const text = await waitForConsole(page, (t) => t.includes('The run has ended'));
                assert.equal(text, transcript(c.answers) + 'craterduel: ' + c.message + '\n' + runEnded);
                assert.equal(await page.$('#screen'), null);
                assert.ok(await page.$('#again:not([hidden])'), 'no way to start a new run');
            } finally {
                await page.close();
            }
        });
    }
});

// Offsets of the cells whose centres lie within `radius` cells of a cell's centre.
function disc(radius) {
    const cells = [];
    for (let di = -Math.floor(radius); di <= radius; ++di) {
        for (let dj = -Math.floor(radius); dj <= radius; ++dj) {
            if (di * di + dj * dj <= radius * radius) cells.push([di, dj]);
        }
    }
    return cells;
}

describe('arena', () => {
    it('starts with a grey border of (100,100,100) and black start areas around the fighters', async () => {
        await withGame(['800', '600', '0'], async (page) => {
            const pixels = await readCanvas(page);
            const cells = pixels.cells();
            const [cols, rows] = [cells.length, cells[0].length];
            for (let i = 0; i < cols; ++i) {
                for (let j = 0; j < rows; ++j) {
                    if (i > 0 && j > 0 && i < cols - 1 && j < rows - 1) continue;
                    assert.deepEqual(cells[i][j], [100, 100, 100], `border cell ${i},${j}`);
                }
            }
            // Every pixel of the start craters (radius 5 cells, the unbreakable border excepted) is
            // black, but for the fighters themselves and their health written above them.
            const starts = [{ ci: cols - 6, at: pixels.fighter(red) }, { ci: 5, at: pixels.fighter(cyan) }];
            assert.deepEqual(starts.map((s) => s.at), [{ x: 720, y: 300 }, { x: 80, y: 300 }]);
            const cj = Math.floor(rows / 2);
            for (const { ci, at } of starts) {
                const inner = disc(5).map(([di, dj]) => [ci + di, cj + dj])
                    .filter(([i]) => i >= 1 && i <= cols - 2);
                for (const [i, j] of inner) {
                    for (let y = 16 * j; y < 16 * j + 16; ++y) {
                        for (let x = 16 * i; x < 16 * i + 16; ++x) {
                            if (Math.abs(x - at.x) <= 16 && y >= at.y - 30 && y <= at.y + 16) continue;
                            assert.deepEqual(pixels.at(x, y), [0, 0, 0], `pixel ${x},${y}`);
                        }
                    }
                }
            }
        });
    });

    it('prints a click\'s position and blasts the 13 cells within two of it', async () => {
        assert.equal(disc(2).length, 13);
        // The starting terrain is random: look for rock solid for three cells around a point,
        // starting new games until one has it.
        for (let attempt = 0; attempt < 5; ++attempt) {
            let clicked = false;
            await withGame(['800', '600', '0'], async (page) => {
                const before = (await readCanvas(page)).cells();
                const solidAround = (i, j) => disc(3).every(([di, dj]) => before[i + di][j + dj][0] === 100);
                let spot = null;
                for (let i = 4; i < before.length - 4 && !spot; ++i) {
                    for (let j = 4; j < before[0].length - 4 && !spot; ++j) {
                        if (solidAround(i, j)) spot = { i, j };
                    }
                }
                if (!spot) return;
                clicked = true;
                const x = 16 * spot.i + 5, y = 16 * spot.j + 11;
                const text = await consoleText(page);
                await click(page, x, y);
                const printed = await waitForConsole(page, (t) => t.split('\n').length > 6);
                assert.equal(printed, text + `${x}\n${y}\n`);
                await sleep(50);
                const after = (await readCanvas(page)).cells();
                const blasted = [];
                for (let i = 0; i < before.length; ++i) {
                    for (let j = 0; j < before[0].length; ++j) {
                        if (before[i][j][0] === after[i][j][0]) continue;
                        blasted.push([i - spot.i, j - spot.j]);
                        assert.deepEqual(after[i][j], [0, 0, 0], `cell ${i},${j}`);
                    }
                }
                assert.deepEqual(blasted, disc(2));
            });
            if (clicked) return;
        }
        assert.fail('no game in five had solid rock to click on');
    });
});

describe('fighters', () => {
    // Each pair walks a fighter out and back, so it stays inside its start crater.
    const walks = [
        { who: 'red', colour: red, key: 'ArrowLeft', dx: -1, dy: 0 },
        { who: 'red', colour: red, key: 'ArrowRight', dx: 1, dy: 0 },
        { who: 'red', colour: red, key: 'ArrowUp', dx: 0, dy: -1 },
        { who: 'red', colour: red, key: 'ArrowDown', dx: 0, dy: 1 },
        { who: 'cyan', colour: cyan, key: 'KeyF', dx: -1, dy: 0 },
        { who: 'cyan', colour: cyan, key: 'KeyH', dx: 1, dy: 0 },
        { who: 'cyan', colour: cyan, key: 'KeyT', dx: 0, dy: -1 },
        { who: 'cyan', colour: cyan, key: 'KeyG', dx: 0, dy: 1 },
    ];
    it('walk while their keys are held, and the keys do not scroll the page', async () => {
        // A short window, so the page could scroll.
        await withGame(['800', '600', '0'], async (page) => {
            assert.ok(await page.evaluate(() => document.documentElement.scrollHeight > innerHeight));
            const other = { red: cyan, cyan: red };
            for (const w of walks) {
                const start = await readCanvas(page);
                const [from, otherFrom] = [start.fighter(w.colour), start.fighter(other[w.who])];
                await holdKey(page, w.key, 100);
                const end = await readCanvas(page);
                const [to, otherTo] = [end.fighter(w.colour), end.fighter(other[w.who])];
                const moved = { x: to.x - from.x, y: to.y - from.y };
                const along = w.dx * moved.x + w.dy * moved.y;
                assert.ok(along >= 8, `${w.who} ${w.key}: moved ${JSON.stringify(moved)}`);
                assert.equal(w.dx === 0 ? moved.x : moved.y, 0, `${w.who} ${w.key} moved sideways`);
                assert.deepEqual(otherTo, otherFrom, `${w.key} moved the other fighter`);
            }
            assert.equal(await page.evaluate(() => scrollY), 0);
        }, { width: 1400, height: 500 });
    });

    it('a held fire key through a corridor wears the other fighter down until it drops out', async () => {
        await withGame(['800', '600', '0'], async (page) => {
            // Clicks blast a corridor five cells high along the fighters' row.
            for (let x = 96; x <= 704; x += 32) await click(page, x, 300);
            await sleep(50);
            await page.keyboard.down('KeyJ');
            try {
                await sleep(500);
                // At most five shots in half a second, at most 50 of the 100 health.
                assert.notEqual((await readCanvas(page)).fighter(cyan), null, 'cyan dropped out too soon');
                const started = Date.now();
                let pixels = await readCanvas(page);
                while (pixels.fighter(cyan) && Date.now() - started < 8000) pixels = await readCanvas(page);
                assert.equal(pixels.fighter(cyan), null, 'cyan is still in play');
                assert.deepEqual(pixels.fighter(red), { x: 720, y: 300 });
            } finally {
                await page.keyboard.up('KeyJ');
            }
        });
    });

    it('forget keys held when the page loses focus, until they are pressed again', async () => {
        await withGame(['800', '600', '0'], async (page) => {
            for (let x = 96; x <= 704; x += 32) await click(page, x, 300);
            const elsewhere = await browser.newPage();
            const focused = (want) => page.waitForFunction((w) => document.hasFocus() === w,
                                                           { polling: 10, timeout: 5000 }, want);
            try {
                await page.bringToFront();
                await focused(true);
                const start = (await readCanvas(page)).fighter(red);
                await page.keyboard.down('ArrowLeft');
                await sleep(100);
                await elsewhere.bringToFront();
                await focused(false);
                // A frame shows where the fighter stood before that frame's step: let the last
                // step before the focus left reach the canvas.
                await sleep(100);
                const left = (await readCanvas(page)).fighter(red);
                assert.ok(left.x <= start.x - 8, 'the held key did not walk');
                await sleep(200);
                const stopped = (await readCanvas(page)).fighter(red);
                assert.deepEqual(stopped, left, 'walked on after the focus left');
                await page.bringToFront();
                await focused(true);
                // Still held: the browser's auto-repeat is not a fresh press.
                await page.keyboard.down('ArrowLeft');
                await sleep(200);
                const back = (await readCanvas(page)).fighter(red);
                assert.deepEqual(back, left, 'a key held through the focus change walked');
                await page.keyboard.up('ArrowLeft');
                await holdKey(page, 'ArrowLeft', 100);
                const walked = (await readCanvas(page)).fighter(red);
                assert.ok(walked.x <= back.x - 8, 'a fresh press did not walk');
            } finally {
                await page.keyboard.up('ArrowLeft');
                await elsewhere.close();
            }
        });
    });
});

describe('presenting', () => {
    it('shows the whole first frame, then only the changed rectangles, clipped to the canvas', async () => {
        // The probe page presents a red frame with no rectangle, then a green one with these two.
        const changed = [[2, 3, 10, 5], [60, 40, 10, 10]];
        const page = await browser.newPage();
        try {
            await page.goto(url + 'probe/');
            await waitForConsole(page, (t) => t === 'presented\n');
            const pixels = await readCanvas(page);
            assert.deepEqual([pixels.width, pixels.height], [64, 48]);
            const wrong = [];
            for (let y = 0; y < pixels.height; ++y) {
                for (let x = 0; x < pixels.width; ++x) {
                    const shown = changed.some(([l, t, w, h]) => x >= l && x < l + w && y >= t && y < t + h);
                    const want = shown ? [0, 255, 0] : [255, 0, 0];
                    if (pixels.at(x, y).join() !== want.join()) wrong.push(`${x},${y}: ${pixels.at(x, y)}`);
                }
            }
            assert.deepEqual(wrong.slice(0, 8), []);
        } finally {
            await page.close();
        }
    });
});

describe('runs', () => {
    const restarts = [
        { how: 'Enter', restart: (page) => page.keyboard.press('Enter') },
        { how: 'the New run button', restart: (page) => page.click('#again') },
    ];
    for (const r of restarts) {
        it(`Escape ends the run and ${r.how} starts a new one`, async () => {
            await withGame(['800', '600', '0'], async (page) => {
                await page.keyboard.press('Escape');
                const text = await waitForConsole(page, (t) => t.includes('The run has ended'));
                assert.equal(text, transcript(['800', '600', '0']) + '50\n38\n' + runEnded);
                assert.equal(await page.$('#screen'), null);
                await r.restart(page);
                await answer(page, '320');
                assert.equal(await consoleText(page), prompts[0] + '320\n' + prompts[1]);
                await startRun(page, ['240', '0']);
                await waitForFirstFrame(page);
                const second = await waitForConsole(page, (t) => t.endsWith('15\n'));
                assert.equal(second, transcript(['320', '240', '0']) + '20\n15\n');
                const pixels = await readCanvas(page);
                assert.deepEqual([pixels.width, pixels.height], [320, 240]);
                assert.deepEqual(pixels.fighter(red), { x: 240, y: 120 });
            });
        });
    }
});

describe('full screen', () => {
    it('fills the screen with the canvas scaled to fit, maps clicks back and leaves on Escape', async () => {
        const viewport = { width: 1200, height: 800 };
        await withGame(['400', '300', '1'], async (page) => {
            const shown = await page.evaluate(() => {
                const canvas = document.getElementById('screen');
                const box = canvas.getBoundingClientRect();
                return {
                    full: document.fullscreenElement === canvas, size: [canvas.width, canvas.height],
                    box: [box.width, box.height], rendering: getComputedStyle(canvas).imageRendering,
                };
            });
            const wanted = { full: true, size: [400, 300], box: [1200, 800], rendering: 'pixelated' };
            assert.deepEqual(shown, wanted);
            // Scaled by 8/3 to the screen's height, with bars left and right.
            const scale = 800 / 300, left = Math.round((1200 - 400 * scale) / 2);
            const text = await consoleText(page);
            const points = [[200, 150], [0, 0], [399, 299], [13, 290]];
            for (const [x, y] of points) {
                await page.mouse.click(left + (x + 0.5) * scale, (y + 0.5) * scale);
                await sleep(40);
            }
            const printed = points.map(([x, y]) => `${x}\n${y}\n`).join('');
            assert.equal(await waitForConsole(page, (t) => t.split('\n').length >= 14), text + printed);
            await page.keyboard.press('Escape');
            await waitForConsole(page, (t) => t.includes('The run has ended'));
            assert.equal(await page.evaluate(() => document.fullscreenElement), null);
        }, viewport);
    });
});
