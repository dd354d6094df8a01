// The browser page tried as a pupil uses it, in Debian's headless Chromium
// driven by Playwright: served from this machine, then the single file
// opened from disk.
//
//   node road.mjs OUT_DIR VERSION
import { chromium } from 'playwright-core';
import { execFileSync } from 'node:child_process';
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

const [outDir, version] = process.argv.slice(2);
const pageDir = path.join(outDir, 'page');
const singleFile = path.join(outDir, `collinear-${version}-web.html`);

// The design's places, in the window's pixels at its design size.
const canvasAt = (x, y) => ({ x: 8 + x, y: 56 + y });
const drawButton = { x: 344 + 28, y: 264 + 12 };
const clearButton = { x: 416 + 28, y: 32 + 12 };
const reportPanel = { x: 8 + 200, y: 296 + 60 };
const expectedReport = 'Търся, точки, лежащи на една права:\n15,50; 25,50; 35,50';

const results = [];
function check(name, condition, detail = '') {
  results.push(Boolean(condition));
  console.log(`${condition ? 'PASS' : 'FAIL'}: ${name}${condition ? '' : `  ${detail}`}`);
}

const types = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm' };
const server = createServer(async (request, response) => {
  try {
    const name = path.basename(new URL(request.url, 'http://localhost').pathname);
    const body = await readFile(path.join(pageDir, name));
    response.writeHead(200, { 'Content-Type': types[path.extname(name)] ?? 'application/octet-stream' });
    response.end(body);
  } catch {
    response.writeHead(404);
    response.end();
  }
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const origin = `http://127.0.0.1:${server.address().port}`;

// Without the background-networking switches Chromium tries to reach
// Google's hosts, which this machine's closed network refuses. Qt 6.4 draws
// with WebGL, which headless Chromium has through SwiftShader.
const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', '--use-angle=swiftshader', '--enable-unsafe-swiftshader'],
});

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
server.close();
const passed = results.filter(Boolean).length;
console.log(`web road: ${passed} passed, ${results.length - passed} failed`);
process.exit(passed === results.length ? 0 : 1);
