// page_driver.mjs -- serves build-web/ on loopback and drives the page in Debian's chromium
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize } from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';

export const buildDir = fileURLToPath(new URL('../../build-web/', import.meta.url));

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };

// A plain static server, as any web server would be: no special headers.
export async function serve(dir = buildDir) {
    const server = createServer(async (request, response) => {
        const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname));
        try {
            const body = await readFile(join(dir, path.endsWith('/') ? path + 'index.html' : path));
            response.writeHead(200, { 'Content-Type': types[extname(path || '.html')] ?? 'text/html' });
            response.end(body);
        } catch {
            response.writeHead(404).end();
        }
    });
    // Loopback ports 18300-18399 are ours; take the first one free.
    for (let port = 18300; port < 18400; ++port) {
        const taken = await new Promise((resolve) => {
            server.once('error', () => resolve(true));
            server.listen(port, '127.0.0.1', () => resolve(false));
        });
        if (!taken) return { server, url: `http://127.0.0.1:${port}/` };
    }
    throw new Error('no free loopback port in 18300-18399');
}

export function launch(extraArgs = []) {
    return puppeteer.launch({
        executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
        headless: true,
        pipe: true,
        args: ['--no-sandbox', '--disable-gpu', ...extraArgs],
    });
}

export const prompts = [
    'Graphics Width: ', 'Graphics Height: ', 'Graphics Mode (0 = windowed, 1 = full screen) : ',
];

export const consoleText = (page) => page.$eval('#console', (e) => e.textContent);

// Waits until #console's text satisfies `test`, and returns it.
export async function waitForConsole(page, test, timeout = 10000) {
    await page.waitForFunction(
        (source) => {
            const text = document.getElementById('console').textContent;
            return new Function('text', `return (${source})(text)`)(text);
        },
        { timeout, polling: 20 },
        test.toString(),
    );
    return consoleText(page);
}

// Types one answer into #answer once it appears after its prompt, and submits it with Enter.
export async function answer(page, text) {
    await page.waitForSelector('#answer:not([hidden])', { timeout: 10000 });
    await page.type('#answer', text);
    await page.keyboard.press('Enter');
}

export async function startRun(page, answers) {
    for (const text of answers) await answer(page, text);
}

export async function openGame(browser, url, answers = ['800', '600', '0'],
                               viewport = { width: 1400, height: 900 }) {
    const page = await browser.newPage();
    await page.setViewport(viewport);
    await page.goto(url);
    await startRun(page, answers);
    await waitForFirstFrame(page);
    return page;
}

export async function waitForFirstFrame(page) {
    await page.waitForSelector('#screen', { timeout: 10000 });
    await page.waitForFunction(() => craterPage.stats.firstPresentMs !== null, { timeout: 10000 });
}

// The canvas's own pixels, R, G, B, A row by row.
export class Pixels {
    constructor(width, height, bytes) {
        Object.assign(this, { width, height, bytes });
    }

    at(x, y) {
        const n = (y * this.width + x) * 4;
        return [this.bytes[n], this.bytes[n + 1], this.bytes[n + 2]];
    }

    // Centre of the fighter drawn in this colour (its cross is 33 pixels wide and 33 high and its
    // health is written above it), or null when none of it is on the canvas.
    fighter([r, g, b]) {
        let minX = Infinity, maxX = -Infinity, maxY = -Infinity;
        for (let y = 0; y < this.height; ++y) {
            for (let x = 0; x < this.width; ++x) {
                const n = (y * this.width + x) * 4;
                if (this.bytes[n] !== r || this.bytes[n + 1] !== g || this.bytes[n + 2] !== b) continue;
                minX = Math.min(minX, x), maxX = Math.max(maxX, x), maxY = Math.max(maxY, y);
            }
        }
        return minX === Infinity ? null : { x: (minX + maxX) / 2, y: maxY - 16 };
    }

    // The shade of every 16-pixel cell, read at its centre: grid[i][j].
    cells() {
        const cols = Math.ceil(this.width / 16), rows = Math.ceil(this.height / 16);
        return Array.from({ length: cols }, (_, i) =>
            Array.from({ length: rows }, (_, j) =>
                this.at(Math.min(16 * i + 8, this.width - 1), Math.min(16 * j + 8, this.height - 1))));
    }
}

export async function readCanvas(page) {
    const { width, height, data } = await page.evaluate(() => {
        const canvas = document.getElementById('screen');
        const bytes = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
        let text = '';
        for (let n = 0; n < bytes.length; n += 0x8000) {
            text += String.fromCharCode(...bytes.subarray(n, n + 0x8000));
        }
        return { width: canvas.width, height: canvas.height, data: btoa(text) };
    });
    return new Pixels(width, height, Buffer.from(data, 'base64'));
}

export const red = [255, 0, 0];
export const cyan = [0, 255, 255];

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Where a page point for game pixel (x, y) lies: the middle of that pixel on the canvas.
export async function pagePoint(page, x, y) {
    const box = await page.$eval('#screen', (c) => {
        const r = c.getBoundingClientRect();
        // The page paints the canvas at whole pixels, as its pointer mapping assumes.
        return { left: Math.round(r.left), top: Math.round(r.top) };
    });
    return { x: box.left + x + 0.5, y: box.top + y + 0.5 };
}

export async function click(page, x, y) {
    const p = await pagePoint(page, x, y);
    await page.mouse.click(p.x, p.y);
}
