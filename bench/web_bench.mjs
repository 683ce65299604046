// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The web page's times in headless Chromium, each a median of RUNS loads in fresh browser
// contexts (nothing cached):
//   node bench/web_bench.mjs first-paint URL [RUNS]   navigation to the first paint of "Form1"
//                                                     (more than one colour in its client area)
//   node bench/web_bench.mjs plot URL [RUNS]          the click on "AVANTI" (parameter window,
//                                                     the ellipse of the initial values, Incr 1,11)
//                                                     to the plot on screen (a pixel of the plot's
//                                                     colour in the plot window)
// Each prints the times and, last, their median in milliseconds. Both are measured in the page
// (its clock starts with the navigation; the click is the moment the page gets the pointer),
// looking after each frame the browser draws.
// Run by bench/web_bench.sh; puppeteer-core comes from tests/web (npm ci there).

import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { createRequire } from 'node:module';

const require = createRequire(path.join(path.dirname(fileURLToPath(import.meta.url)),
                                        '../tests/web/package.json'));
const puppeteer = require('puppeteer-core');
const [what, url, runsText] = process.argv.slice(2);
const runs = Number(runsText ?? 11);

// In the page: the program's windows by title, with their canvas.
const watcher = () => {
    // Runs `look` once each frame has been drawn: after the frame's callbacks (Qt draws its
    // windows in one), so that what it reads is what that frame shows.
    window.__afterFrame = look => requestAnimationFrame(() => setTimeout(look, 0));
    window.__windows = () => {
        const root = document.querySelector('#qt-shadow-container')?.shadowRoot;
        if (!root) return [];
        return [...root.querySelectorAll('.qt-window')].map(w => ({
            title: w.querySelector('.title-bar .window-name')?.textContent ?? '',
            active: !w.classList.contains('inactive') && getComputedStyle(w).display !== 'none',
            canvas: w.querySelector('canvas'),
        }));
    };
    // Whether a rectangle of a canvas (in its pixels) holds more than one colour, or `colour`.
    window.__shows = (canvas, x, y, w, h, colour) => {
        if (!canvas.width || !canvas.height) return false;
        const data = canvas.getContext('2d').getImageData(x, y, w, h).data;
        for (let i = 0; i < data.length; i += 4) {
            const rgb = (data[i] << 16) | (data[i + 1] << 8) | data[i + 2];
            if (colour === undefined ? rgb !== ((data[0] << 16) | (data[1] << 8) | data[2]) : rgb === colour)
                return true;
        }
        return false;
    };
    // Resolves once the window is the active one and what it shows holds still from one frame
    // to the next.
    window.__settled = title => new Promise(resolve => {
        let before = '';
        const reader = document.createElement('canvas');
        const look = () => {
            const w = window.__windows().find(w => w.title === title && w.active);
            let now = '';
            if (w && w.canvas.width && w.canvas.height) {
                [reader.width, reader.height] = [w.canvas.width, w.canvas.height];
                const context = reader.getContext('2d', { willReadFrequently: true });
                context.drawImage(w.canvas, 0, 0);
                const data = context.getImageData(0, 0, reader.width, reader.height).data;
                let sum = 0;
                for (let i = 0; i < data.length; i += 4) sum = (sum * 31 + data[i] + 7 * data[i + 1] + 13 * data[i + 2]) >>> 0;
                now = `${reader.width}x${reader.height}:${sum}`;
            }
            if (now && now === before) resolve(true);
            else { before = now; requestAnimationFrame(look); }
        };
        requestAnimationFrame(look);
    });
    // The first paint of Form1, checked every frame from the page's start.
    const look = () => {
        const form1 = window.__windows().find(w => w.title === 'Form1');
        if (form1 && window.__shows(form1.canvas, 0, 0, form1.canvas.width, form1.canvas.height))
            window.__firstPaint = performance.now();
        else
            window.__afterFrame(look);
    };
    window.__afterFrame(look);
};

const median = values => {
    const sorted = [...values].sort((a, b) => a - b);
    const middle = Math.floor(sorted.length / 2);
    return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};

// What `probe` (run in the page, with `args`) returns once it is something, within a minute.
const until = async (page, probe, ...args) => {
    const handle = await page.waitForFunction(probe, { timeout: 60000, polling: 'raf' }, ...args);
    return handle.jsonValue();
};

const browser = await puppeteer.launch({
    executablePath: process.env.BORVANE_CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    defaultViewport: { width: 1280, height: 1024, deviceScaleFactor: 1 },
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
const times = [];
try {
    for (let run = 0; run < runs; ++run) {
        const context = await browser.createBrowserContext();
        const page = await context.newPage();
        await page.evaluateOnNewDocument(watcher);
        await page.goto(url, { waitUntil: 'domcontentloaded' });
        const firstPaint = await until(page, () => window.__firstPaint);
        if (what === 'first-paint') {
            times.push(firstPaint);
        } else {
            // To the parameter window as a user goes, then the click on AVANTI measured.
            const at = async (title, left, top, width, height) => {
                await page.evaluate(t => window.__settled(t), title);
                const box = await page.evaluate(t => {
                    const r = window.__windows().find(w => w.title === t).canvas.getBoundingClientRect();
                    return { x: r.left, y: r.top };
                }, title);
                return [box.x + Math.trunc((left + Math.trunc(width / 2)) / 15),
                        box.y + Math.trunc((top + Math.trunc(height / 2)) / 15)];
            };
            await page.mouse.click(...await at('Form1', 4320, 6120, 2895, 855));
            await at('Form2', 0, 0, 0, 0);
            await page.keyboard.press('End');
            await page.mouse.click(...await at('Form2', 3120, 2880, 1575, 615));
            const [ox, oy] = await at('Form3', 0, 0, 0, 0);
            await page.mouse.click(ox + 45, oy + 108); // ELLISSE
            const avanti = await at('Form3', 3840, 4200, 1935, 735);
            await page.evaluate(() => {
                window.__clicked = undefined;
                window.addEventListener('pointerdown', () => { window.__clicked = performance.now(); },
                                        { capture: true, once: true });
                const look = () => {
                    const form4 = window.__windows().find(w => w.title === 'Form4');
                    const c = form4?.canvas;
                    // The ellipse's points around the plot's origin (10 right of the middle),
                    // in the first plot's colour (QBColor(1), #000080).
                    if (c && window.__shows(c, Math.round(c.width * 0.55) + 4, Math.round(c.height / 2) + 4,
                                            40, 40, 0x000080))
                        window.__plotted = performance.now();
                    else
                        window.__afterFrame(look);
                };
                window.__afterFrame(look);
            });
            await page.mouse.click(...avanti);
            const plotted = await until(page, () => window.__plotted);
            times.push(plotted - await page.evaluate(() => window.__clicked));
        }
        await context.close();
    }
} finally {
    await browser.close();
}
console.log(`${what}: ${times.map(t => t.toFixed(1)).join(' ')}`);
console.log(median(times).toFixed(1));
