// The page's road in Firefox ESR or WebKit, as road.mjs takes it in
// Chromium: the served page, three presses and „Чертай“ with the report,
// undo and redo, „Чисти“, the worst case with its timing, taps, and the
// single file opened from disk. Both run headed on the caller's X server
// (DISPLAY); drivers.mjs says how each is driven. Run with chromium, it
// times headless Chromium the same way, for comparison (make test-web
// leaves Chromium to road.mjs).
//
//   node engines.mjs firefox|webkit|chromium OUT_DIR VERSION
//
// Prints a line for each check and ENGINE: N passed, N failed; exits 1 on
// a failure or when the engine cannot start, saying why.
import { execFileSync, spawn } from 'node:child_process';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { launch, Unsupported } from './drivers.mjs';
import { serve } from './serve.mjs';
import { canvasAt, drawButton, clearButton, reportPanel, expectedReport } from './design.mjs';

const [engineName, outDir, version] = process.argv.slice(2);
const pageDir = path.join(outDir, 'page');
const singleFile = path.join(outDir, `collinear-${version}-web.html`);
const viewport = { width: 481, height: 429 };

const reportArea = { x: 8, y: 296, width: 465, height: 125 };
// The window's margin left of the drawing area: a press there changes
// nothing, so its time is the page's own, from a release to a new frame.
const emptyPlace = { x: 3, y: 150 };

const say = (text) => console.log(`${engineName}: ${text}`);
const results = [];
function check(name, condition, detail = '') {
  results.push(Boolean(condition));
  say(`${condition ? 'PASS' : 'FAIL'}: ${name}${condition ? '' : `  ${detail}`}`);
}
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const isDark = (rgb) => Math.max(...rgb) < 96;
const isWhite = (rgb) => Math.min(...rgb) > 240;

// A road that hangs (a driver waiting for a browser gone wrong) fails
// instead of holding make test-web.
setTimeout(() => {
  console.log(`test-web: FAILED: the road in ${engineName} did not finish in 15 minutes`);
  process.exit(1);
}, 15 * 60 * 1000).unref();

async function start(name) {
  const timeout = sleep(90000).then(() => { throw new Error('it did not answer its driver in 90 s'); });
  return Promise.race([launch(name, viewport), timeout]);
}

function cannotStart(reason) {
  // A driver's message can run to many lines; the reason is in the first.
  const lines = String(reason).split('\n').map((line) => line.trim()).filter((line) => line && !/pptr\.dev/.test(line));
  console.log(`test-web: FAILED: ${engineName} could not start: ${lines.slice(0, 3).join(' ')}`);
  process.exit(1);
}
if (engineName !== 'chromium' && !process.env.DISPLAY) {
  cannotStart('no X display (DISPLAY is not set), and it runs headed: headless it has no WebGL');
}
let engine;
try {
  engine = await start(engineName);
} catch (error) {
  cannotStart(error.message);
}
say(engine.version);

const site = await serve(pageDir);

async function open(url, options) {
  const started = Date.now();
  const page = await engine.open(url, options);
  let state;
  while (Date.now() - started < 30000) {
    state = await page.evaluate(() => ({
      canvas: getComputedStyle(document.getElementById('qtcanvas')).display,
      message: document.getElementById('status').textContent,
    }));
    if (state.canvas === 'block') {
      break;
    }
    await sleep(100);
  }
  const shownAfter = state.canvas === 'block' ? Date.now() - started : null;
  // The window's first frame is painted on the next animation frames.
  await frames(page);
  return { page, shownAfter, message: state.message };
}

const frames = (page) => page.evaluate(() => new Promise((resolve) => {
  requestAnimationFrame(() => requestAnimationFrame(() => resolve()));
}));

async function press(page, point) {
  await page.click(point.x, point.y);
  await sleep(50);
}

async function keys(page, combination) {
  await page.keys(combination);
  await frames(page);
  await sleep(50);
}

// A screenshot, saved beside the build, as a function from a place to its
// pixel's [r, g, b]; .picture is the whole of it.
async function picture(page, name) {
  await frames(page);
  const taken = await page.screenshot(path.join(outDir, `screenshot-${engineName}-${name}.png`));
  const at = ({ x, y }) => taken.at(x, y);
  at.picture = taken;
  return at;
}

// How many pixels of an area differ between two pictures of the window.
// Qt draws the same pixels in every engine; a caption cut short or a wrong
// digit changes dozens, a text caret 15 at most.
function differing(one, other, { x, y, width, height } = { x: 0, y: 0, ...viewport }) {
  let count = 0;
  for (let row = y; row < y + height; ++row) {
    for (let column = x; column < x + width; ++column) {
      const a = one.at(column, row);
      const b = other.at(column, row);
      if (a.some((value, channel) => Math.abs(value - b[channel]) > 32)) {
        ++count;
      }
    }
  }
  return count;
}

// The report, copied with Ctrl+A and Ctrl+C, read from the X server's
// clipboard as any other program there would read it: neither Firefox's
// nor WebKit's driver lets a page read the clipboard itself (Chromium's
// does, and headless it has no X clipboard). Before the copy the clipboard
// holds a mark of ours, so a copy that never arrived is not mistaken for a
// report.
const mark = `not copied ${process.pid}`;
function setClipboard(text) {
  const xclip = spawn('xclip', ['-selection', 'clipboard', '-loops', '1'], { stdio: ['pipe', 'ignore', 'ignore'] });
  xclip.on('error', () => {});
  xclip.stdin.on('error', () => {});
  xclip.stdin.end(text);
  return sleep(200);
}
function readClipboard() {
  try {
    return execFileSync('xclip', ['-o', '-selection', 'clipboard', '-t', 'UTF8_STRING'],
      { encoding: 'utf8', timeout: 10000, stdio: ['ignore', 'pipe', 'ignore'], maxBuffer: 64 << 20 });
  } catch {
    return '';
  }
}
async function copiedReport(page) {
  if (!page.clipboard) {
    await setClipboard(mark);
  }
  await press(page, reportPanel);
  await keys(page, 'Control+A');
  await keys(page, 'Control+C');
  await sleep(300);
  const text = page.clipboard ? await page.clipboard() : readClipboard();
  return text === mark || text === '' ? null : text.replace(/\r\n/g, '\n').trim();
}

// From a press's release, as the page receives it, to the second
// animation frame after it: the program's work for the press and the
// browser's painting of the frame that shows it. Also the release's
// handling alone: Qt handles it in the canvas's own listener, between the
// window's listeners before and after it, as road.mjs times it in Chromium.
async function timedPress(page, point) {
  await page.evaluate(() => {
    window.__collinearTimes = new Promise((resolve) => {
      addEventListener('pointerup', () => {
        const released = performance.now();
        let handled = null;
        addEventListener('pointerup', () => { handled = performance.now(); }, { once: true });
        requestAnimationFrame(() => requestAnimationFrame(() => {
          resolve({ frame: performance.now() - released, handler: handled === null ? null : handled - released });
        }));
      }, { capture: true, once: true });
    });
  });
  await page.click(point.x, point.y);
  return page.evaluate(() => window.__collinearTimes);
}
// Qt asks the browser for the clipboard's permissions when it starts;
// WebKit knows no such permissions and rejects the question, which Qt
// leaves unhandled. The copy works all the same (checked above), so these
// two are named and not counted.
async function pageErrors(page) {
  const all = await page.errors();
  const errors = all.filter((error) => !/^unhandled rejection: TypeError[^\n]* query@\[native code\]\n[^\n]*emscripten\$\$val/.test(error));
  if (errors.length < all.length) {
    say(`${all.length - errors.length} unhandled rejections of Qt's question for the clipboard's permissions, `
      + 'which this engine does not know, are not counted');
  }
  return errors;
}
const median = (values) => [...values].sort((a, b) => a - b)[values.length >> 1];
const listed = (values) => values.map((value) => value.toFixed(1)).join(', ');

// Chromium shows the same window as the reference: Qt draws it with its
// own font into WebGL, so another engine's pixels should be Chromium's.
let reference = null;
if (engineName !== 'chromium') try {
  const chromium = await start('chromium');
  const { page } = await open(`${site.origin}/collinear.html`);
  const shown = await picture(page, 'chromium-start');
  for (const [x, y] of [[13, 48], [23, 48], [33, 52]]) {
    await press(page, canvasAt(x, y));
  }
  await press(page, drawButton);
  reference = { start: shown, draw: await picture(page, 'chromium-draw') };
  await page.close();
  await chromium.close();
} catch (error) {
  say(`no reference from Chromium: ${error.message}`);
}

{
  const { page, shownAfter, message } = await open(`${site.origin}/collinear.html`);
  check('the served page shows the window', shownAfter !== null, `the page says: ${message}`);
  say(`the window was shown ${shownAfter} ms after the page was opened`);
  let at = await picture(page, 'start');
  if (reference) {
    const count = differing(at.picture, reference.start.picture);
    say(`${count} of the window's ${viewport.width * viewport.height} pixels differ from Chromium's`);
    check('the window is drawn as in Chromium, every caption whole', count < 16,
      `${count} pixels differ from Chromium's; see screenshot-${engineName}-start.png`);
  }

  for (const [x, y] of [[13, 48], [23, 48], [33, 52]]) {
    await press(page, canvasAt(x, y));
  }
  await press(page, drawButton);
  at = await picture(page, 'draw');
  check('three presses and „Чертай“ draw dark dots and segments on white',
    [15, 20, 25, 30, 35].every((x) => isDark(at(canvasAt(x, 50))))
      && [[20, 45], [30, 56], [200, 150]].every(([x, y]) => isWhite(at(canvasAt(x, y)))));
  if (reference) {
    const count = differing(at.picture, reference.draw.picture, reportArea);
    say(`${count} of the report panel's pixels differ from Chromium's`);
    check('the report panel shows what Chromium\'s shows', count < 16, `${count} pixels differ`);
  }
  const report = await copiedReport(page);
  if (report === null) {
    say(`the copied report did not reach the clipboard; ${reference ? 'the report is judged by its pixels above'
      : 'it is not checked'}`);
  } else {
    check('the report, copied with Ctrl+A and Ctrl+C, is the found triple', report === expectedReport,
      JSON.stringify(report));
  }

  const segment = () => isDark(at(canvasAt(20, 50)));
  const dots = () => [15, 25, 35].every((x) => isDark(at(canvasAt(x, 50))));
  await keys(page, 'Control+Z');
  at = await picture(page, 'undo');
  check('Ctrl+Z takes „Чертай“ back', !segment() && dots());
  await keys(page, 'Control+Shift+Z');
  at = await picture(page, 'redo');
  check('Ctrl+Shift+Z does it again', segment() && dots());
  await keys(page, 'Control+Z');
  await keys(page, 'Control+Y');
  at = await picture(page, 'redo-y');
  check('Ctrl+Y does it again too', segment() && dots());

  await press(page, clearButton);
  at = await picture(page, 'clear');
  check('„Чисти“ leaves the drawing area white', [15, 20, 25, 35].every((x) => isWhite(at(canvasAt(x, 50)))));

  // The worst case: 51 points on one line.
  for (let i = 0; i < 51; ++i) {
    await page.click(canvasAt(5 + 5 * i, 50).x, canvasAt(5 + 5 * i, 50).y);
  }
  await press(page, drawButton);
  at = await picture(page, 'worst-case');
  check('the worst case draws the line across the drawing area',
    [5, 52, 127, 203, 255].every((x) => isDark(at(canvasAt(x, 50)))) && isWhite(at(canvasAt(128, 60))));
  const copied = await copiedReport(page);
  if (copied === null) {
    say('the worst case\'s report did not reach the clipboard: its 20,826 lines are not counted here');
  } else {
    const lines = copied.split('\n');
    check('the worst case reports every triple of 51 points', lines.length === 1 + 20825, `${lines.length} lines`);
  }

  // Each Draw after Ctrl+Z does the whole work again: the search, the
  // 20,826-line report and the 41,650 segments. The first ones are left
  // out, while the engine compiles the program's code for speed.
  const draws = [];
  for (let i = 0; i < 9; ++i) {
    await keys(page, 'Control+Z');
    draws.push(await timedPress(page, drawButton));
  }
  const idle = [];
  for (let i = 0; i < 9; ++i) {
    await sleep(50);
    idle.push(await timedPress(page, emptyPlace));
  }
  const figures = (times, what) => {
    const values = times.map((time) => time[what]);
    if (values.includes(null)) {
      return 'not measured (the release did not reach the window after Qt\'s listener)';
    }
    return `${median(values.slice(2)).toFixed(1)} ms (median of ${values.length - 2} after 2 left out; in order: ${listed(values)})`;
  };
  say(`„Чертай“ with 51 points on one line, from the release to the second frame after it: ${figures(draws, 'frame')}`);
  say(`a press that changes nothing, the same way: ${figures(idle, 'frame')}`);
  say(`„Чертай“ with 51 points, the release's handling alone: ${figures(draws, 'handler')}`);
  at = await picture(page, 'after-timing');
  check('after the timed Draws the line is still drawn', [5, 127, 255].every((x) => isDark(at(canvasAt(x, 50)))));

  const errors = await pageErrors(page);
  check('no script error on the page', errors.length === 0, errors.join('; '));
  check('no error message shown', await page.evaluate(() => getComputedStyle(document.getElementById('message')).display === 'none'));
  await page.close();
}

{
  // A tablet: taps place points and press buttons, and a touch the
  // browser cancels leaves nothing pressed.
  const { page } = await open(`${site.origin}/collinear.html`, { touch: true });
  let touch = true;
  try {
    await page.tap(emptyPlace.x, emptyPlace.y);
  } catch (error) {
    if (!(error instanceof Unsupported)) {
      throw error;
    }
    touch = false;
    say(`touch: not tried, as the driver cannot make it: ${error.message}`);
  }
  if (touch) {
    say(`touch: ${page.touchNote}`);
    for (const [x, y] of [[13, 48], [23, 48], [33, 52]]) {
      await page.tap(canvasAt(x, y).x, canvasAt(x, y).y);
      await sleep(100);
    }
    await page.tap(drawButton.x, drawButton.y);
    await sleep(100);
    let at = await picture(page, 'touch');
    check('taps place points on the drawing area and press „Чертай“',
      [15, 20, 25, 30, 35].every((x) => isDark(at(canvasAt(x, 50)))));

    // A touch on „Чисти“ that the browser then takes back, as when it turns
    // into a gesture. Only Chromium's driver makes the browser cancel one;
    // elsewhere the page's script sends the events a cancelled touch brings.
    let cancelled = '';
    if (page.cancelledTouch) {
      await page.cancelledTouch(clearButton.x, clearButton.y);
      say('touch: the cancelled touch is made by the browser, through the DevTools protocol');
    } else {
      cancelled = await page.evaluate(({ x, y }) => {
        const canvas = document.getElementById('qtcanvas');
        try {
          const touch = new Touch({ identifier: 9000, target: canvas, clientX: x, clientY: y });
          canvas.dispatchEvent(new TouchEvent('touchstart',
            { touches: [touch], targetTouches: [touch], changedTouches: [touch], bubbles: true, cancelable: true }));
          canvas.dispatchEvent(new TouchEvent('touchcancel',
            { touches: [], targetTouches: [], changedTouches: [touch], bubbles: true, cancelable: true }));
          return '';
        } catch (error) {
          return String(error);
        }
      }, clearButton);
      if (!cancelled) {
        say('touch: the cancelled touch is sent by the page\'s script: this driver cannot make the browser cancel one');
      }
    }
    if (cancelled) {
      say(`touch: a cancelled touch was not tried: the page could not make one (${cancelled})`);
    } else {
      await sleep(100);
      at = await picture(page, 'touch-cancelled');
      check('a cancelled touch on „Чисти“ does not press it: the points stay',
        [15, 25, 35].every((x) => isDark(at(canvasAt(x, 50)))), 'it cleared the drawing area');
      await page.tap(canvasAt(53, 98).x, canvasAt(53, 98).y);
      await sleep(100);
      at = await picture(page, 'touch-after-cancel');
      check('after it, the next tap places its point', isDark(at(canvasAt(55, 100))));
    }
  }
  await page.close();
}

{
  const { page, shownAfter, message } = await open(pathToFileURL(singleFile).href);
  check('the single file opened from disk shows the window', shownAfter !== null, `the page says: ${message}`);
  say(`the single file showed the window ${shownAfter} ms after it was opened`);
  await press(page, canvasAt(13, 48));
  const at = await picture(page, 'single-file');
  check('and takes a press', isDark(at(canvasAt(15, 50))));
  const errors = await pageErrors(page);
  check('with no script error', errors.length === 0, errors.join('; '));
  await page.close();
}

await engine.close();
await site.close();
const passed = results.filter(Boolean).length;
console.log(`${engineName}: ${passed} passed, ${results.length - passed} failed`);
process.exit(passed === results.length ? 0 : 1);
