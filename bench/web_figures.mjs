// web_figures.mjs -- the page's figures: download size, frame rate, main-thread time per frame, start
//   node bench/web_figures.mjs        (after `make web` and `npm install --no-package-lock`)
import { stat } from 'node:fs/promises';
import { join } from 'node:path';

import {
    buildDir, launch, openGame, serve, sleep, startRun, waitForFirstFrame,
} from '../tests/web/page_driver.mjs';

const seconds = Number(process.env.SECONDS_PER_SIZE ?? 10);
const starts = Number(process.env.STARTS ?? 5);

function percentile(values, p) {
    const sorted = [...values].sort((a, b) => a - b);
    return sorted[Math.min(sorted.length - 1, Math.floor((sorted.length * p) / 100))];
}
const ms = (v) => v.toFixed(2);

let total = 0;
for (const file of ['index.html', 'craterduel.js', 'craterduel.wasm']) {
    const { size } = await stat(join(buildDir, file));
    total += size;
    console.log(`download ${file}: ${size} bytes`);
}
console.log(`download total: ${total} bytes (${(total / 1024).toFixed(1)} KiB)`);

const { server, url } = await serve();
const browser = await launch();
try {
    for (const [width, height] of [[800, 600], [1920, 1080]]) {
        const page = await openGame(browser, url, [String(width), String(height), '0'],
                                    { width: width + 600, height: height + 300 });
        await sleep(1000);
        await page.evaluate(() => {
            Object.assign(craterPage.stats, { presentMs: [], busyMs: [], showMs: [], record: true });
        });
        await sleep(seconds * 1000);
        const { presentMs, busyMs, showMs } = await page.evaluate(() => {
            craterPage.stats.record = false;
            return craterPage.stats;
        });
        const span = presentMs.at(-1) - presentMs[0];
        const rate = ((presentMs.length - 1) * 1000) / span;
        const size = `${width}x${height}`;
        console.log(`${size}: ${presentMs.length} presents in ${ms(span)} ms = ${rate.toFixed(2)} frames/s`);
        console.log(`${size}: main thread per frame (frame + present)` +
                    ` median ${ms(percentile(busyMs, 50))} ms,` +
                    ` p99 ${ms(percentile(busyMs, 99))} ms, max ${ms(Math.max(...busyMs))} ms` +
                    ` over ${busyMs.length} frames`);
        console.log(`${size}: of which the present (conversion + putImageData) median` +
                    ` ${ms(percentile(showMs, 50))} ms, p99 ${ms(percentile(showMs, 99))} ms`);

        // Start: Enter on the last answer to the first present, and to the first paint after it.
        const toPresent = [], toPaint = [];
        for (let n = 0; n < starts; ++n) {
            await page.keyboard.press('Escape');
            await page.waitForSelector('#again:not([hidden])');
            await page.keyboard.press('Enter');
            await startRun(page, [String(width), String(height), '0']);
            await waitForFirstFrame(page);
            await page.waitForFunction(() => craterPage.stats.firstPaintMs !== null);
            const s = await page.evaluate(() => craterPage.stats);
            toPresent.push(s.firstPresentMs - s.enterMs);
            toPaint.push(s.firstPaintMs - s.enterMs);
        }
        console.log(`${size}: start, Enter to first present: median ${ms(percentile(toPresent, 50))} ms` +
                    ` (all: ${toPresent.map(ms).join(', ')})`);
        console.log(`${size}: start, Enter to first paint: median ${ms(percentile(toPaint, 50))} ms` +
                    ` (all: ${toPaint.map(ms).join(', ')})`);
        await page.close();
    }
} finally {
    await browser.close();
    server.close();
}
