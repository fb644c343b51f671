// web_screenshot.mjs -- remakes docs/web_screenshot.png from the real page in headless chromium: the
// console, a duel in progress and the controls beside it.
//   node scripts/web_screenshot.mjs [out.png]    (after `make web` and `npm install --no-package-lock`)
import { click, launch, openGame, serve, sleep } from '../tests/web/page_driver.mjs';

const out = process.argv[2] ?? new URL('../docs/web_screenshot.png', import.meta.url).pathname;
const { server, url } = await serve();
const browser = await launch();
try {
    const page = await openGame(browser, url, ['800', '600', '0'], { width: 1260, height: 860 });
    // A few craters along the middle so the shots have somewhere to go.
    for (const x of [200, 300, 420, 520, 600]) {
        await click(page, x, 300);
        await sleep(50);
    }
    // Walk the fighters towards each other a little and let them fire.
    await page.keyboard.down('ArrowLeft');
    await page.keyboard.down('KeyH');
    await sleep(400);
    await page.keyboard.up('ArrowLeft');
    await page.keyboard.up('KeyH');
    await page.keyboard.down('KeyJ');
    await page.keyboard.down('KeyD');
    await sleep(900);
    await page.screenshot({ path: out, fullPage: true });
    await page.keyboard.up('KeyJ');
    await page.keyboard.up('KeyD');
    console.log(`wrote ${out}`);
} finally {
    await browser.close();
    server.close();
}
