// The browser page tried as a pupil uses it, in Debian's headless Chromium
// driven by Playwright: served from this machine, then the single file
// opened from disk.
//
//   node road.mjs OUT_DIR VERSION
import { chromium } from 'playwright-core';
import { execFileSync } from 'node:child_process';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { chromiumSwitches } from './drivers.mjs';
import { serve } from './serve.mjs';
import { canvasAt, drawButton, clearButton, reportPanel, expectedReport } from './design.mjs';

const [outDir, version] = process.argv.slice(2);
const pageDir = path.join(outDir, 'page');
const singleFile = path.join(outDir, `collinear-${version}-web.html`);


const results = [];
function check(name, condition, detail = '') {
  results.push(Boolean(condition));
  console.log(`${condition ? 'PASS' : 'FAIL'}: ${name}${condition ? '' : `  ${detail}`}`);
}

const site = await serve(pageDir);
const { origin } = site;

const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: chromiumSwitches });

async function openPage(url, options = {}) {
  const context = await browser.newContext({ viewport: { width: 481, height: 429 }, ...options });
  await context.grantPermissions(['clipboard-read', 'clipboard-write'], { origin: url.startsWith('http') ? origin : undefined });
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(String(error)));
  const started = Date.now();
  await page.goto(url);
  await page.waitForFunction(() => getComputedStyle(document.getElementById('qtcanvas')).display === 'block',
    null, { timeout: 30000 }).catch(() => {});
  const shownAfter = Date.now() - started;
  // The first frame of the window is painted on the next animation frames.
  await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
  return { context, page, errors, shownAfter };
}

async function pixels(page, name) {
  const file = path.join(outDir, `screenshot-${name}.png`);
  await page.screenshot({ path: file });
  const raw = execFileSync('convert', [file, '-depth', '8', 'rgb:-'], { maxBuffer: 64 << 20 });
  return ({ x, y }) => [...raw.subarray((y * 481 + x) * 3, (y * 481 + x) * 3 + 3)];
}
const isDark = (rgb) => Math.max(...rgb) < 96;
const isWhite = (rgb) => Math.min(...rgb) > 240;

async function click(page, point) {
  await page.mouse.click(point.x, point.y);
  await page.waitForTimeout(50);
}

async function copiedReport(page) {
  await click(page, reportPanel);
  await page.keyboard.press('Control+A');
  await page.keyboard.press('Control+C');
  await page.waitForTimeout(200);
  return (await page.evaluate(() => navigator.clipboard.readText())).replace(/\r\n/g, '\n').trim();
}

// The program's own work for one click of a control, timed in the page:
// Qt handles the browser's pointer events as they are dispatched, so the time
// round a dispatched mouseup is the procedure the click runs, without the
// browser's compositing of the next frame.
async function timedClick(page, point) {
  return page.evaluate(({ x, y }) => {
    const canvas = document.getElementById('qtcanvas');
    const options = { clientX: x, clientY: y, button: 0, bubbles: true, pointerId: 1, pointerType: 'mouse', isPrimary: true };
    canvas.dispatchEvent(new PointerEvent('pointerdown', { ...options, buttons: 1 }));
    const start = performance.now();
    canvas.dispatchEvent(new PointerEvent('pointerup', { ...options, buttons: 0 }));
    return performance.now() - start;
  }, point);
}

const memory = (page) => page.evaluate(() => window.collinearLoader.module().HEAP8.buffer.byteLength);

{
  const { context, page, errors, shownAfter } = await openPage(`${origin}/collinear.html`);
  check('the served page shows the window', shownAfter < 30000, `${shownAfter} ms`);
  console.log(`web: the window was shown ${shownAfter} ms after the page was opened`);
  check('the page is Bulgarian and has the program\'s title',
    (await page.evaluate(() => document.documentElement.lang)) === 'bg'
      && (await page.title()) === 'Геометрия - точки, лежащи на права');

  for (const [x, y] of [[13, 48], [23, 48], [33, 52]]) {
    await click(page, canvasAt(x, y));
  }
  await click(page, drawButton);
  let at = await pixels(page, 'web-draw');
  check('three presses and „Чертай“ draw dark dots and segments on white',
    [15, 20, 25, 30, 35].every((x) => isDark(at(canvasAt(x, 50))))
      && [[20, 45], [30, 56], [200, 150]].every(([x, y]) => isWhite(at(canvasAt(x, y)))));
  const report = await copiedReport(page);
  check('the report, copied with Ctrl+A and Ctrl+C, is the found triple', report === expectedReport,
    JSON.stringify(report));

  await page.keyboard.press('Control+Z');
  await page.waitForTimeout(100);
  at = await pixels(page, 'web-undo');
  check('Ctrl+Z takes „Чертай“ back', isWhite(at(canvasAt(20, 50)))
    && isDark(at(canvasAt(25, 50))));

  await click(page, clearButton);
  at = await pixels(page, 'web-clear');
  check('„Чисти“ leaves the drawing area white', isDark(at(canvasAt(15, 50))) === false);

  // Context menus: the report's opens as a popup and the page goes on; a
  // scroll bar's, which would wait in a loop of its own, is not offered.
  await page.mouse.click(reportPanel.x, reportPanel.y, { button: 'right' });
  await page.waitForTimeout(300);
  await pixels(page, 'web-report-menu');
  await page.keyboard.press('Escape');
  await page.mouse.click(8 + 465 - 8, 296 + 60, { button: 'right' });
  const stillRunning = await Promise.race([
    page.evaluate(() => new Promise((resolve) => setTimeout(() => requestAnimationFrame(() => resolve(true)), 100))),
    new Promise((resolve) => setTimeout(() => resolve(false), 5000)),
  ]);
  check('context menus leave the page running', stillRunning);

  // The worst case: 51 points on one line.
  const before = await memory(page);
  for (let i = 0; i < 51; ++i) {
    await page.mouse.click(canvasAt(5 + 5 * i, 50).x, canvasAt(5 + 5 * i, 50).y);
  }
  // Each Draw after Ctrl+Z has the whole work again: the search, the
  // 20,826-line report and the 41,650 segments.
  const drawTimes = [await timedClick(page, drawButton)];
  const lines = (await copiedReport(page)).split('\n');
  check('the worst case reports every triple of 51 points', lines.length === 1 + 20825, `${lines.length} lines`);
  for (let i = 0; i < 6; ++i) {
    await page.keyboard.press('Control+Z');
    drawTimes.push(await timedClick(page, drawButton));
  }
  const sorted = [...drawTimes].sort((a, b) => a - b);
  console.log(`web: „Чертай“ with 51 points on one line: the program's own work took ${sorted[3].toFixed(1)} ms `
    + `(median of ${drawTimes.length}, in order: ${drawTimes.map((t) => t.toFixed(1)).join(', ')})`);

  // A lesson's worth of steps: presses, searches, undo and redo, clearing.
  for (let step = 0; step < 300; ++step) {
    const kind = step % 10;
    if (kind < 6) {
      await page.mouse.click(canvasAt(10 + ((step * 37) % 440), 10 + ((step * 53) % 180)).x,
        canvasAt(10 + ((step * 37) % 440), 10 + ((step * 53) % 180)).y);
    } else if (kind === 6) {
      await click(page, drawButton);
    } else if (kind === 7) {
      await page.keyboard.press('Control+Z');
    } else if (kind === 8) {
      await page.keyboard.press('Control+Y');
    } else {
      await click(page, clearButton);
    }
  }
  console.log(`web: the program's memory was ${(before / 1048576).toFixed(1)} MB before the worst case and `
    + `${((await memory(page)) / 1048576).toFixed(1)} MB after it and 300 more steps`);
  check('no script error on the page', errors.length === 0, errors.join('; '));
  await context.close();
}

{
  const { context, page, errors, shownAfter } = await openPage(pathToFileURL(singleFile).href);
  check('the single file opened from disk shows the window', shownAfter < 30000, `${shownAfter} ms`);
  console.log(`web: the single file showed the window ${shownAfter} ms after it was opened`);
  await click(page, canvasAt(13, 48));
  const at = await pixels(page, 'web-single-file');
  check('and takes a press', isDark(at(canvasAt(15, 50))));
  check('with no script error', errors.length === 0, errors.join('; '));
  await context.close();
}

{
  // A whiteboard: the window takes the page and the design grows with it,
  // centred; presses keep the design's coordinates; Esc and the zoom keys
  // leave the window filling the page.
  const width = 1280;
  const height = 800;
  const { context, page } = await openPage(`${origin}/collinear.html`, { viewport: { width, height } });
  const z = Math.min(width / 481, height / 429);
  const onPage = ({ x, y }) => ({ x: (width - 481 * z) / 2 + (x + 0.5) * z, y: (height - 429 * z) / 2 + (y + 0.5) * z });
  await page.keyboard.press('Escape');
  await page.keyboard.press('Control+Minus');
  await page.waitForTimeout(200);
  for (const [x, y] of [[13, 48], [23, 48], [33, 52]]) {
    const point = onPage(canvasAt(x, y));
    await page.mouse.click(point.x, point.y);
  }
  const draw = onPage(drawButton);
  await page.mouse.click(draw.x, draw.y);
  const report = onPage(reportPanel);
  await page.mouse.click(report.x, report.y);
  await page.keyboard.press('Control+A');
  await page.keyboard.press('Control+C');
  await page.waitForTimeout(200);
  const text = (await page.evaluate(() => navigator.clipboard.readText())).replace(/\r\n/g, '\n').trim();
  check(`at ${width} x ${height} the design fills the page and presses keep their coordinates`, text === expectedReport,
    JSON.stringify(text));
  await page.screenshot({ path: path.join(outDir, 'screenshot-web-whiteboard.png') });
  await context.close();
}

{
  // A tablet or a whiteboard: taps instead of clicks.
  const { context, page } = await openPage(`${origin}/collinear.html`, { hasTouch: true, isMobile: true });
  for (const [x, y] of [[13, 48], [23, 48], [33, 52]]) {
    await page.touchscreen.tap(canvasAt(x, y).x, canvasAt(x, y).y);
    await page.waitForTimeout(100);
  }
  await page.touchscreen.tap(drawButton.x, drawButton.y);
  await page.waitForTimeout(100);
  const at = await pixels(page, 'web-touch');
  check('taps place points on the drawing area and press „Чертай“',
    [15, 20, 25, 30, 35].every((x) => isDark(at(canvasAt(x, 50)))));
  await context.close();
}

// Every page a pupil's screen gives: the whole window on the page, the
// design drawn as large as the page holds (smaller than its size on a
// phone), three taps giving the design's road, and a tap on any device
// pixel of a dot's rim adding nothing.
const designOnPage = (width, height, ratio = 1) => {
  const z = Math.max(0.25, Math.min(width / 481, height / 429));
  const origin = { x: Math.max(0, Math.floor((width - Math.round(481 * z)) / 2)),
    y: Math.max(0, Math.floor((height - Math.round(429 * z)) / 2)) };
  // The middle of design pixel (x, y) of the window.
  const at = ({ x, y }) => ({ x: origin.x + (x + 0.5) * z, y: origin.y + (y + 0.5) * z });
  // Where to press to hit drawing-area pixel v along one axis: the middle of
  // a device pixel that shows it, as the program paints device pixel k
  // with the pixel under k's middle. Below the design's size some pixels
  // are shown by no device pixel; then the nearest one shown that falls on
  // the same grid node stands in, as the pupil would press what is there.
  const r = ratio * z;
  const shows = (k) => Math.floor((k + 0.5) / r + 1e-9);
  const snap = (v) => { const rest = v % 5; return rest >= 2.5 ? v - rest + 5 : v - rest; };
  const onAxis = (v, place) => {
    const start = Math.round(place * ratio);
    let best = null;
    for (let k = Math.floor(v * r) - 4; k <= Math.ceil((v + 1) * r) + 4; ++k) {
      const cost = Math.abs(shows(k) - v) + (snap(shows(k)) === snap(v) ? 0 : 100);
      if (best === null || cost < best.cost) {
        best = { cost, css: (start + k + 0.5) / ratio };
      }
    }
    return best.css;
  };
  const onCanvas = ({ x, y }) => ({ x: onAxis(x, origin.x + Math.round(8 * z)), y: onAxis(y, origin.y + Math.round(56 * z)) });
  return { z, at, onCanvas };
};
async function copiedReportAt(page, point, tap) {
  await tap(point);
  await page.keyboard.press('Control+A');
  await page.keyboard.press('Control+C');
  await page.waitForTimeout(200);
  return (await page.evaluate(() => navigator.clipboard.readText())).replace(/\r\n/g, '\n').trim();
}
const isColour = (rgb, [r, g, b]) => Math.abs(rgb[0] - r) < 16 && Math.abs(rgb[1] - g) < 16 && Math.abs(rgb[2] - b) < 16;

async function devicePixels(page, name) {
  const file = path.join(outDir, `screenshot-${name}.png`);
  await page.screenshot({ path: file });
  const size = execFileSync('identify', ['-format', '%w %h', file]).toString().split(' ').map(Number);
  const raw = execFileSync('convert', [file, '-depth', '8', 'rgb:-'], { maxBuffer: 256 << 20 });
  return { width: size[0], at: ({ x, y }) => [...raw.subarray((y * size[0] + x) * 3, (y * size[0] + x) * 3 + 3)] };
}

for (const [name, viewport, options] of [
  ['a phone held upright', { width: 390, height: 844 }, { deviceScaleFactor: 3, hasTouch: true, isMobile: true }],
  ['a phone held sideways', { width: 844, height: 390 }, { deviceScaleFactor: 3, hasTouch: true, isMobile: true }],
  ['half of a laptop\'s split screen', { width: 683, height: 384 }, {}],
  ['a tablet', { width: 820, height: 1180 }, { deviceScaleFactor: 2, hasTouch: true, isMobile: true }],
  ['a Chromebook', { width: 1366, height: 768 }, {}],
  ['a 4K whiteboard', { width: 3840, height: 2160 }, {}],
]) {
  const touch = Boolean(options.hasTouch);
  const ratio = options.deviceScaleFactor ?? 1;
  const { context, page, errors } = await openPage(`${origin}/collinear.html`, { viewport, ...options });
  const { z, at, onCanvas } = designOnPage(viewport.width, viewport.height, ratio);
  const tap = async (point) => {
    if (touch) {
      await page.touchscreen.tap(point.x, point.y);
    } else {
      await page.mouse.click(point.x, point.y);
    }
    await page.waitForTimeout(30);
  };
  const device = (point) => ({ x: Math.floor(point.x * ratio), y: Math.floor(point.y * ratio) });
  for (const [x, y] of [[13, 48], [23, 48], [33, 52]]) {
    await tap(onCanvas({ x, y }));
  }
  await tap(at(drawButton));
  const shot = await devicePixels(page, `web-${viewport.width}x${viewport.height}`);
  // The window's corners and edges: the buttons' faces, the drawing area's
  // far corner, and the window's background beyond the report and the
  // drawing area.
  const whole = isColour(shot.at(device(at({ x: 344 + 4, y: 264 + 4 }))), [0, 255, 0])
    && isColour(shot.at(device(at({ x: 416 + 52, y: 32 + 4 }))), [255, 0, 0])
    && isColour(shot.at(device(at({ x: 8 + 4, y: 32 + 4 }))), [255, 0, 255])
    && isWhite(shot.at(device(at(canvasAt(460, 195)))))
    && isColour(shot.at(device(at({ x: 479, y: 427 }))), [192, 192, 255]);
  const dots = [15, 25, 35].every((x) => isDark(shot.at(device(at(canvasAt(x, 50))))));
  const report = await copiedReportAt(page, at(reportPanel), tap);
  check(`${name} (${viewport.width} x ${viewport.height}, ${ratio}x${touch ? ', touch' : ''}): the whole window at ${(100 * z).toFixed(0)} %, `
    + 'three taps and „Чертай“ give the design\'s road', whole && dots && report === expectedReport,
    `whole ${whole}, dots ${dots}, report ${JSON.stringify(report)}`);

  // Every device pixel on the rim of a dot with no line through it, at
  // (100, 100), tapped: the rim is its dark pixels beside a light one.
  await tap(onCanvas({ x: 100, y: 100 }));
  const dotShot = await devicePixels(page, `web-${viewport.width}x${viewport.height}-dot`);
  const box = { from: device(at(canvasAt(96, 96))), to: device(at(canvasAt(104, 104))) };
  const rim = [];
  for (let y = box.from.y; y <= box.to.y; ++y) {
    for (let x = box.from.x; x <= box.to.x; ++x) {
      if (isDark(dotShot.at({ x, y })) && [[1, 0], [-1, 0], [0, 1], [0, -1]].some(([dx, dy]) => !isDark(dotShot.at({ x: x + dx, y: y + dy })))) {
        rim.push({ x: (x + 0.5) / ratio, y: (y + 0.5) / ratio });
      }
    }
  }
  const before = await devicePixels(page, `web-${viewport.width}x${viewport.height}-rim-before`);
  for (const point of rim) {
    await tap(point);
  }
  const after = await devicePixels(page, `web-${viewport.width}x${viewport.height}-rim-after`);
  let changed = 0;
  const area = { from: device(at(canvasAt(80, 80))), to: device(at(canvasAt(120, 120))) };
  for (let y = area.from.y; y <= area.to.y; ++y) {
    for (let x = area.from.x; x <= area.to.x; ++x) {
      changed += before.at({ x, y }).some((v, i) => v !== after.at({ x, y })[i]) ? 1 : 0;
    }
  }
  check(`${name}: ${rim.length} taps on the rim of a dot add no point`, rim.length > 8 && changed === 0,
    `${rim.length} rim pixels, ${changed} device pixels changed`);
  check(`${name}: no script error`, errors.length === 0, errors.join('; '));
  await context.close();
}

{
  // A touch the browser takes back (a system swipe, a palm) leaves nothing
  // pressed: the next tap places its point.
  const viewport = { width: 390, height: 844 };
  const { context, page, errors } = await openPage(`${origin}/collinear.html`,
    { viewport, deviceScaleFactor: 3, hasTouch: true, isMobile: true });
  const { at } = designOnPage(viewport.width, viewport.height);
  const session = await context.newCDPSession(page);
  for (const point of [at(drawButton), at(canvasAt(100, 100))]) {
    const touchPoints = [{ x: point.x, y: point.y, id: 1 }];
    await session.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints });
    await session.send('Input.dispatchTouchEvent', { type: 'touchCancel', touchPoints: [] });
  }
  await page.touchscreen.tap(at(canvasAt(200, 100)).x, at(canvasAt(200, 100)).y);
  await page.waitForTimeout(100);
  const shot = await devicePixels(page, 'web-touch-cancelled');
  const device = (point) => ({ x: Math.floor(point.x * 3), y: Math.floor(point.y * 3) });
  check('after touches the browser cancelled, the next tap places its point',
    isDark(shot.at(device(at(canvasAt(200, 100))))) && errors.length === 0, errors.join('; '));
  await context.close();
}

{
  // A page far too small to use (a window dragged down to a corner): the
  // design is drawn as small as the program draws it, and the page goes on.
  const viewport = { width: 200, height: 150 };
  const { context, page, errors, shownAfter } = await openPage(`${origin}/collinear.html`, { viewport });
  const { at } = designOnPage(viewport.width, viewport.height);
  await page.mouse.click(at(canvasAt(100, 100)).x, at(canvasAt(100, 100)).y);
  await page.setViewportSize({ width: 120, height: 90 });
  await page.waitForTimeout(200);
  await page.setViewportSize({ width: 390, height: 844 });
  await page.waitForTimeout(200);
  const shot = await devicePixels(page, 'web-tiny-and-back');
  const back = designOnPage(390, 844).at;
  check('a page of 200 x 150, then 120 x 90, shows the window and goes on when it grows again',
    shownAfter < 30000 && isDark(shot.at({ x: Math.floor(back(canvasAt(100, 100)).x), y: Math.floor(back(canvasAt(100, 100)).y) }))
      && errors.length === 0, errors.join('; '));
  await context.close();
}

{
  // Browsers that cannot run it say so in Bulgarian instead of a blank page.
  let context = await browser.newContext({ javaScriptEnabled: false });
  let page = await context.newPage();
  await page.goto(`${origin}/collinear.html`);
  check('with scripts off the page asks for JavaScript', (await page.textContent('noscript')).includes('JavaScript')
    && await page.isVisible('#message'));
  await context.close();
  context = await browser.newContext();
  page = await context.newPage();
  await page.addInitScript(() => { delete window.WebAssembly; });
  await page.goto(`${origin}/collinear.html`);
  const text = await page.textContent('#status');
  check('without WebAssembly the page says what is missing', text.includes('WebAssembly'), text);
  await context.close();
}

await browser.close();
await site.close();
const passed = results.filter(Boolean).length;
console.log(`web road: ${passed} passed, ${results.length - passed} failed`);
process.exit(passed === results.length ? 0 : 1);
