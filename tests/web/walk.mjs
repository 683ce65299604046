// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Borvane's web page used as a user uses it, in headless Chromium (Debian's chromium) driven
// through the DevTools protocol, with real pointer, touch and key events:
//   node tests/web/walk.mjs URL OUT_DIR
// It loads the page, walks tests/walk/plots.walk (the walk the X server's tests take) to an
// ellipse and a hyperbola, keeps the plot window's client area (OUT_DIR/plot-web.png), saves the
// plot as a PNG through the browser's download (OUT_DIR/download.png; the whole page then is
// OUT_DIR/page-web.png), turns the screen reader on
// and reads the buttons' names from the browser's accessibility tree, has c = 3 refused, and ends
// with "ESCI". Any error or warning in the console fails it. The last line it prints is a JSON
// summary; a failure exits with status 1 and says why. BORVANE_CHROMIUM names the browser.

import { existsSync, mkdirSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';

const here = path.dirname(fileURLToPath(import.meta.url));
const [url, out] = process.argv.slice(2);
if (!url || !out) {
    console.error('usage: node walk.mjs URL OUT_DIR');
    process.exit(2);
}
const downloads = path.join(out, 'downloads');
rmSync(downloads, { recursive: true, force: true });
mkdirSync(downloads, { recursive: true });

const timeLimit = 30000; // for anything the user waits for
const started = Date.now();
const since = () => `${((Date.now() - started) / 1000).toFixed(1)} s`;
const log = text => console.log(`walk ${since()}: ${text}`);
const sleep = ms => new Promise(resolve => setTimeout(resolve, ms));

// Waits until `probe` returns something truthy, and returns it; fails with `what` otherwise.
async function until(what, probe, limit = timeLimit) {
    const deadline = Date.now() + limit;
    for (;;) {
        const found = await probe();
        if (found) return found;
        if (Date.now() > deadline) throw new Error(`no ${what} after ${limit / 1000} s`);
        await sleep(50);
    }
}

const browser = await puppeteer.launch({
    executablePath: process.env.BORVANE_CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    defaultViewport: { width: 1280, height: 1024, deviceScaleFactor: 1 },
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           '--force-color-profile=srgb', '--lang=it-IT'],
});
const messages = [];
let summary = {};
let page;
try {
    page = await browser.newPage();
    let stage = 'loading';
    page.on('console', message => messages.push(`${message.type()}: ${message.text()} (while ${stage})`));
    page.on('pageerror', error => messages.push(`pageerror: ${error.message}`));
    page.on('requestfailed', request => messages.push(`requestfailed: ${request.url()}`));
    // The download path, the one every browser has: no save picker to answer.
    await page.evaluateOnNewDocument(() => {
        window.showOpenFilePicker = undefined;
        window.showSaveFilePicker = undefined;
    });
    const browserSession = await browser.target().createCDPSession();
    const finished = new Map(); // download id -> its state
    const named = new Map(); // download id -> the name the page gave it
    browserSession.on('Browser.downloadWillBegin', e => named.set(e.guid, e.suggestedFilename));
    browserSession.on('Browser.downloadProgress', e => {
        if (e.state !== 'inProgress') finished.set(e.guid, e.state);
    });
    await browserSession.send('Browser.setDownloadBehavior',
                              { behavior: 'allowAndName', downloadPath: path.resolve(downloads),
                                eventsEnabled: true });
    const session = await page.createCDPSession();

    // The program's windows as the page shows them: title, state, and the client area (its
    // canvas) in the page's pixels.
    const windows = () => page.evaluate(() => {
        const root = document.querySelector('#qt-shadow-container')?.shadowRoot;
        if (!root) return [];
        return [...root.querySelectorAll('.qt-window')].map(w => {
            const r = w.querySelector('canvas').getBoundingClientRect();
            return {
                title: w.querySelector('.title-bar .window-name')?.textContent ?? '',
                icon: (w.querySelector('.title-bar img')?.getAttribute('src') ?? '').slice(0, 15),
                visible: getComputedStyle(w).display !== 'none',
                active: !w.classList.contains('inactive'),
                maximized: w.classList.contains('maximized'),
                x: Math.round(r.left), y: Math.round(r.top),
                width: Math.round(r.width), height: Math.round(r.height),
            };
        });
    });
    // A digest of what a window's canvas shows.
    // (Read through a canvas of the test's own, made for reading, so that the page's own is
    // left as the program uses it.)
    const digest = title => page.evaluate(title => {
        const root = document.querySelector('#qt-shadow-container').shadowRoot;
        const w = [...root.querySelectorAll('.qt-window')]
            .find(w => w.querySelector('.title-bar .window-name')?.textContent === title);
        const canvas = w.querySelector('canvas');
        if (!canvas.width || !canvas.height) return 'empty';
        window.__reader ??= document.createElement('canvas');
        const reader = window.__reader;
        [reader.width, reader.height] = [canvas.width, canvas.height];
        const context = reader.getContext('2d', { willReadFrequently: true });
        context.drawImage(canvas, 0, 0);
        const pixels = context.getImageData(0, 0, canvas.width, canvas.height).data;
        let sum = 0, colours = new Set();
        for (let i = 0; i < pixels.length; i += 4) {
            sum = (sum * 31 + pixels[i] + 7 * pixels[i + 1] + 13 * pixels[i + 2]) >>> 0;
            if (colours.size < 64) colours.add((pixels[i] << 16) | (pixels[i + 1] << 8) | pixels[i + 2]);
        }
        return `${canvas.width}x${canvas.height}:${sum}:${colours.size}`;
    }, title);
    // The window once it is the active one, placed, and drawn: what it shows holds still
    // between two frames of the browser's, and is more than one colour.
    const settled = async title => {
        const window = await until(`active window "${title}" (windows: ${JSON.stringify(await windows())})`,
            async () => (await windows()).find(w => w.title === title && w.visible && w.active &&
                                                   (!/^Form[234]$/.test(title) || w.maximized)));
        let before = '';
        await until(`still drawing in "${title}"`, async () => {
            const now = await digest(title);
            const still = now === before && !now.endsWith(':1');
            before = now;
            if (!still) await page.evaluate(() => new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r))));
            return still;
        });
        return (await windows()).find(w => w.title === title && w.visible) ?? window;
    };

    // ---- The page -------------------------------------------------------------------------
    const navigated = Date.now();
    await page.goto(url, { waitUntil: 'domcontentloaded' });
    const page_ = await page.evaluate(() => ({
        title: document.title, lang: document.documentElement.lang,
        icon: document.querySelector('link[rel=icon]')?.getAttribute('href'),
        qtLogo: !!document.querySelector('img[src*="qtlogo"]'),
    }));
    if (page_.title !== 'Borvane' || page_.lang !== 'it' || !page_.icon || page_.qtLogo)
        throw new Error(`the page is not the program's own: ${JSON.stringify(page_)}`);
    const form1 = await settled('Form1');
    const firstPaint = Date.now() - navigated;
    // The title bar's icon is the program's picture, not Qt's emblem (a drawing).
    if (!form1.icon.startsWith('data:image/png'))
        throw new Error(`Form1's title bar shows an icon that is not the program's (${form1.icon}…)`);
    log(`Form1 drawn ${firstPaint} ms after navigation`);

    // ---- The walk -------------------------------------------------------------------------
    stage = 'walking';
    const steps = readFileSync(path.join(here, '../walk/plots.walk'), 'utf8').split('\n')
        .map(line => line.replace(/#.*/, '').trim()).filter(Boolean)
        .map(line => line.split(/\s+/));
    const centre = ([left, top, width, height]) =>
        [Math.trunc((left + Math.trunc(width / 2)) / 15), Math.trunc((top + Math.trunc(height / 2)) / 15)];
    let shown = '', window = null, plotClicked = 0;
    for (const [title, action, ...rest] of steps) {
        const numbers = rest.map(Number);
        if (title !== shown) {
            window = await settled(title);
            shown = title;
            log(`${title}: ${window.width}x${window.height} at ${window.x}, ${window.y}`);
        }
        switch (action) {
        case 'click': case 'tap': {
            const [x, y] = centre(numbers);
            if (action === 'tap') await page.touchscreen.tap(window.x + x, window.y + y);
            else await page.mouse.click(window.x + x, window.y + y);
            break;
        }
        case 'point':
            await page.mouse.click(window.x + numbers[0], window.y + numbers[1]);
            break;
        case 'key':
            await page.keyboard.press(rest[0]);
            break;
        default:
            throw new Error(`unknown step in the walk: ${title} ${action}`);
        }
        if (title === 'Form2' && action === 'key') {
            // The key went to the control the window gives the focus first, the scroll bar (at
            // its end now). A drag of its thumb by touch moves it too (the window draws anew);
            // the key then takes it back to the end.
            const before = await settled('Form2').then(() => digest('Form2'));
            const [x, y] = [window.x + 32 + 393 - 17 - 6, window.y + 72 + 8]; // the thumb at 30
            await session.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [{ x, y }] });
            for (let dx = 20; dx <= 200; dx += 20)
                await session.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: [{ x: x - dx, y }] });
            await session.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
            await until('a new drawing after the thumb was dragged by touch',
                        async () => (await digest('Form2')) !== before);
            window = await settled('Form2');
            await page.keyboard.press(rest[0]);
            window = await settled('Form2');
        }
        if (title === 'Form3' && action === 'click') plotClicked = Date.now();
    }
    const plot = await settled('Form4');
    const plotShown = Date.now() - plotClicked;
    await page.screenshot({ path: path.join(out, 'plot-web.png'),
                            clip: { x: plot.x, y: plot.y, width: plot.width, height: plot.height } });
    await page.screenshot({ path: path.join(out, 'page-web.png') });
    log(`two plots; the second on screen ${plotShown} ms after its AVANTI; client area ${plot.width}x${plot.height}`);

    // ---- The plot saved as a PNG, through the browser's download ----------------------------
    stage = 'saving';
    await page.mouse.click(plot.x + Math.round(plot.width * 0.75), plot.y + Math.round(plot.height * 0.75),
                           { button: 'right' });
    await until('the context menu', async () => (await windows()).some(w => w.visible && w.active && w.title === ''));
    await page.keyboard.press('ArrowDown'); // "Salva immagine…", the first command
    await page.keyboard.press('Enter');
    await settled('Salva immagine');
    await page.keyboard.press('Enter'); // "Salva", as offered
    const download = await until('a finished download', async () => {
        for (const [id, state] of finished) {
            if (state !== 'completed') throw new Error(`the download ${named.get(id)} ended ${state}`);
            return { id, name: named.get(id) };
        }
    });
    if (existsSync(path.join(downloads, download.id)))
        writeFileSync(path.join(out, 'download.png'), readFileSync(path.join(downloads, download.id)));
    log(`saved as ${download.name}`);

    // ---- The screen reader ----------------------------------------------------------------
    stage = 'reading';
    await settled('Form4');
    await page.evaluate(() => {
        const root = document.querySelector('#qt-shadow-container').shadowRoot;
        root.querySelector('button.hidden-visually-read-by-screen-reader')?.click();
    });
    const buttons = async () => {
        const { nodes } = await session.send('Accessibility.getFullAXTree');
        return nodes.filter(n => !n.ignored && n.role?.value === 'button')
            .map(n => n.name?.value ?? '').filter(Boolean);
    };
    const expected = ['Traccia la figura base', 'RIPRENDI', 'Cancella e riprendi', 'ESCI'];
    const read = await until('the plot window\'s buttons in the accessibility tree', async () => {
        const names = await buttons();
        return expected.every(name => names.includes(name)) && names;
    });
    log(`the screen reader reads ${read.length} buttons: ${read.join(', ')}`);

    // ---- c = 3 refused ----------------------------------------------------------------------
    stage = 'refusing c = 3';
    await page.mouse.click(plot.x + centre([960, 720, 1695, 615])[0], plot.y + centre([960, 720, 1695, 615])[1]); // RIPRENDI
    const form3 = await settled('Form3');
    await page.mouse.click(form3.x + centre([9240, 1800, 735, 495])[0], form3.y + centre([9240, 1800, 735, 495])[1]);
    await page.keyboard.down('Control');
    await page.keyboard.press('a');
    await page.keyboard.up('Control');
    await page.keyboard.type('3');
    await page.mouse.click(form3.x + centre([3840, 4200, 1935, 735])[0], form3.y + centre([3840, 4200, 1935, 735])[1]);
    await settled('Borvane');
    const refusal = await until('the refusal\'s text in the accessibility tree', async () => {
        const { nodes } = await session.send('Accessibility.getFullAXTree');
        return nodes.map(n => n.name?.value ?? '').find(name => name.includes('Valore (c) Max 2'));
    });
    await page.keyboard.press('Enter');
    await settled('Form3');
    log(`c = 3 refused: "${refusal}"`);

    // ---- ESCI -----------------------------------------------------------------------------
    stage = 'ending';
    const form3Again = (await windows()).find(w => w.title === 'Form3');
    await page.mouse.click(form3Again.x + centre([960, 4200, 1935, 735])[0], form3Again.y + centre([960, 4200, 1935, 735])[1]);
    const ended = await until('the page\'s ending', () => page.evaluate(() => {
        const message = document.getElementById('message');
        return !message.hidden && document.getElementById('screen').hidden &&
               !document.getElementById('restart').hidden &&
               document.getElementById('message-text').textContent;
    }));
    log(`ended: ${ended.replace(/\s+/g, ' ').trim()}`);

    // Chromium's advice, once a screen reader's tree is built, that Qt's canvas (which takes
    // the keys) is marked hidden from assistive tools is about Qt's own page elements; it
    // comes only once the tree is on, and Chromium exposes the canvas all the same.
    const qtsCanvasAdvice = /^warn(ing)?: Blocked aria-hidden on an element because its descendant retained focus.*Element with focus: <canvas\.qt-window-content>/s;
    const complaints = messages.filter(m => /^(error|warn|warning|pageerror|requestfailed|assert)/.test(m) &&
                                            !(qtsCanvasAdvice.test(m) && !/\(while (loading|walking|saving)\)$/.test(m)));
    if (complaints.length)
        throw new Error(`the console has ${complaints.length} complaint(s):\n  ${complaints.join('\n  ')}`);
    summary = { firstPaint, plotShown, plot: { width: plot.width, height: plot.height },
                download: download.name, buttons: read, refusal, ended: ended.trim() };
} catch (error) {
    console.error(`FAIL: ${error.message}`);
    if (page) await page.screenshot({ path: path.join(out, 'page-failure.png') }).catch(() => {});
    if (messages.length) console.error(`the console said:\n  ${messages.join('\n  ')}`);
    await browser.close();
    process.exit(1);
}
await browser.close();
console.log(JSON.stringify(summary));
