// The three browser engines behind one small interface, for the road that
// tries the page in each (engines.mjs): Chromium (Debian's, headless) by
// Playwright, Firefox ESR by Puppeteer over WebDriver BiDi, and WebKit (the
// MiniBrowser of Debian's libwebkit2gtk) by Selenium through
// WebKitWebDriver. Firefox and WebKit run headed, on the X server the
// caller started (DISPLAY): headless they have no WebGL here, and Qt draws
// with WebGL.
//
//   const engine = await launch('firefox', { width, height });
//   const page = await engine.open(url);
//   await page.click(x, y); await page.keys('Control+Shift+Z');
//   await page.tap(x, y);            // throws Unsupported where it cannot
//   await page.evaluate(fn, arg);    // fn runs in the page; promises awaited
//   const picture = await page.screenshot(file);   // see readPicture
//   await page.close(); await engine.close();
import { execFileSync, spawn } from 'node:child_process';
import { existsSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:net';
import { createRequire } from 'node:module';

const require = createRequire(import.meta.url);

export class Unsupported extends Error {}

// Headless Chromium as every test of the page starts it. Without the
// background-networking switches it tries to reach Google's hosts, which
// this machine's closed network refuses; Qt 6.4 draws with WebGL, which
// headless Chromium has through SwiftShader.
export const chromiumSwitches = ['--no-sandbox', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
  '--use-angle=swiftshader', '--enable-unsafe-swiftshader'];

// A screenshot's pixels: at(x, y) is [r, g, b].
export function readPicture(png) {
  const width = png.readUInt32BE(16);
  const height = png.readUInt32BE(20);
  const raw = execFileSync('convert', ['png:-', '-depth', '8', 'rgb:-'], { input: png, maxBuffer: 64 << 20 });
  return {
    width,
    height,
    png,
    at: (x, y) => [...raw.subarray((y * width + x) * 3, (y * width + x) * 3 + 3)],
  };
}

async function save(png, file) {
  if (file) {
    writeFileSync(file, png);
  }
  return readPicture(png);
}

// The key names of Playwright's and Puppeteer's keyboards, 'Control+Shift+Z'.
function splitKeys(combination) {
  const parts = combination.split('+');
  return { modifiers: parts.slice(0, -1), key: parts[parts.length - 1] };
}

async function chromium({ width, height }) {
  const { chromium: playwright } = await import('playwright-core');
  const browser = await playwright.launch({ executablePath: '/usr/bin/chromium', args: chromiumSwitches });
  return {
    version: `Chromium ${browser.version()} (headless)`,
    async open(url, { touch = false } = {}) {
      const context = await browser.newContext({ viewport: { width, height }, hasTouch: touch });
      if (url.startsWith('http')) {
        await context.grantPermissions(['clipboard-read', 'clipboard-write'], { origin: new URL(url).origin });
      }
      const page = await context.newPage();
      const errors = [];
      page.on('pageerror', (error) => errors.push(String(error)));
      await page.goto(url);
      return {
        errors: async () => errors,
        evaluate: (fn, arg) => page.evaluate(fn, arg),
        click: (x, y) => page.mouse.click(x, y),
        keys: (combination) => page.keyboard.press(combination),
        tap: (x, y) => page.touchscreen.tap(x, y),
        touchNote: 'touch made by the driver',
        clipboard: () => page.evaluate(() => navigator.clipboard.readText()),
        // A touch the browser itself cancels, through the DevTools protocol.
        async cancelledTouch(x, y) {
          const devtools = await context.newCDPSession(page);
          await devtools.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [{ x, y }] });
          await devtools.send('Input.dispatchTouchEvent', { type: 'touchCancel', touchPoints: [] });
          await devtools.detach();
        },
        screenshot: async (file) => save(await page.screenshot(), file),
        close: () => context.close(),
      };
    },
    close: () => browser.close(),
  };
}

async function firefox({ width, height }) {
  const executablePath = '/usr/bin/firefox-esr';
  if (!existsSync(executablePath)) {
    throw new Error(`${executablePath} is missing (Debian's package firefox-esr)`);
  }
  const { default: puppeteer } = await import('puppeteer-core');
  const browser = await puppeteer.launch({
    browser: 'firefox',
    executablePath,
    headless: false,
    defaultViewport: { width, height },
    // Firefox on Linux turns on touch events where it finds a touch
    // screen; an X server of a test's own has none, so they are turned on
    // as on a tablet.
    // Firefox rounds a page's clock to the millisecond, against timing
    // attacks; the road's timings want it finer.
    extraPrefsFirefox: { 'dom.w3c_touch_events.enabled': 1, 'privacy.reduceTimerPrecision': false },
  });
  return {
    version: `Firefox ${(await browser.version()).replace(/^firefox\//, '')} (headed, WebDriver BiDi)`,
    async open(url) {
      const context = await browser.createBrowserContext();
      const page = await context.newPage();
      await page.setViewport({ width, height });
      const errors = [];
      page.on('pageerror', (error) => errors.push(String(error)));
      await page.goto(url);
      return {
        errors: async () => errors,
        evaluate: (fn, arg) => page.evaluate(fn, arg),
        click: (x, y) => page.mouse.click(x, y),
        async keys(combination) {
          const { modifiers, key } = splitKeys(combination);
          for (const modifier of modifiers) {
            await page.keyboard.down(modifier);
          }
          await page.keyboard.press(modifiers.includes('Shift') || key.length > 1 ? key : key.toLowerCase());
          for (const modifier of modifiers.reverse()) {
            await page.keyboard.up(modifier);
          }
        },
        tap: (x, y) => page.touchscreen.tap(x, y),
        touchNote: 'touch made by the driver (WebDriver BiDi touch actions)',
        screenshot: async (file) => save(Buffer.from(await page.screenshot()), file),
        close: () => context.close(),
      };
    },
    close: () => browser.close(),
  };
}

function freePort() {
  return new Promise((resolve, reject) => {
    const probe = createServer();
    probe.on('error', reject);
    probe.listen(0, '127.0.0.1', () => {
      const { port } = probe.address();
      probe.close(() => resolve(port));
    });
  });
}

// The MiniBrowser is not on the PATH: it is in libwebkit2gtk's own folder.
function miniBrowser() {
  let files = '';
  try {
    files = execFileSync('dpkg', ['-L', 'libwebkit2gtk-4.1-0'], { encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'] });
  } catch {
    throw new Error('libwebkit2gtk-4.1-0 is not installed (it comes with Debian\'s package webkit2gtk-driver)');
  }
  const found = files.split('\n').find((file) => file.endsWith('/MiniBrowser'));
  if (!found) {
    throw new Error('libwebkit2gtk-4.1-0 has no MiniBrowser');
  }
  return found;
}

async function webkit({ width, height }) {
  const driverPath = '/usr/bin/WebKitWebDriver';
  if (!existsSync(driverPath)) {
    throw new Error(`${driverPath} is missing (Debian's package webkit2gtk-driver)`);
  }
  const binary = miniBrowser();
  const { Builder, Key, Origin } = require('selenium-webdriver');
  const { Pointer } = require('selenium-webdriver/lib/input.js');
  const port = await freePort();
  // In a process group of its own, with the MiniBrowsers it starts, so
  // that however the road ends none of them is left behind.
  const driverProcess = spawn(driverPath, [`--port=${port}`, '--host=127.0.0.1'],
    { stdio: ['ignore', 'ignore', 'pipe'], detached: true });
  const endAll = () => {
    try {
      process.kill(-driverProcess.pid, 'SIGTERM');
    } catch {
      // Ended already.
    }
  };
  process.on('exit', endAll);
  let driverLog = '';
  driverProcess.stderr.on('data', (data) => { driverLog += data; });
  const exited = new Promise((resolve) => driverProcess.on('exit', resolve));
  for (let tries = 0; ; ++tries) {
    try {
      const response = await fetch(`http://127.0.0.1:${port}/status`);
      if (response.ok) {
        break;
      }
    } catch {
      // Not listening yet.
    }
    if (tries > 100 || driverProcess.exitCode !== null) {
      endAll();
      throw new Error(`WebKitWebDriver did not start: ${driverLog.trim()}`);
    }
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  const capabilities = {
    browserName: 'MiniBrowser',
    'webkitgtk:browserOptions': { binary, args: ['--automation'] },
  };
  const keyOf = { Control: Key.CONTROL, Shift: Key.SHIFT, Alt: Key.ALT, Escape: Key.ESCAPE };
  let version = '';
  const sessions = new Set();
  async function session() {
    const driver = await new Builder().usingServer(`http://127.0.0.1:${port}`).withCapabilities(capabilities).build();
    sessions.add(driver);
    version = (await driver.getCapabilities()).get('browserVersion');
    return driver;
  }
  // A first session tells the version, and whether the MiniBrowser starts
  // at all: without a display it never answers.
  try {
    const first = await Promise.race([session(), new Promise((resolve, reject) => setTimeout(
      () => reject(new Error('the MiniBrowser did not start in 60 s')), 60000))]);
    await first.quit();
    sessions.clear();
  } catch (error) {
    endAll();
    const log = driverLog.trim().split('\n').slice(-3).join(' ');
    throw new Error(`${error.message}${log ? `; WebKitWebDriver said: ${log}` : ''}`);
  }
  return {
    version: `WebKitGTK ${version} MiniBrowser (headed, WebKitWebDriver)`,
    async open(url) {
      const driver = await session();
      // The window's size is the page's plus the MiniBrowser's bar.
      await driver.manage().window().setRect({ width, height });
      const [innerWidth, innerHeight] = await driver.executeScript('return [innerWidth, innerHeight]');
      await driver.manage().window().setRect({ width: 2 * width - innerWidth, height: 2 * height - innerHeight });
      await driver.get(url);
      // WebDriver has no event for a page's uncaught errors: the page
      // collects them itself from here on, once it has loaded.
      await driver.executeScript(`window.__collinearErrors = [];
        addEventListener('error', (event) => __collinearErrors.push(event.message + ' (' + event.filename + ':'
          + event.lineno + ':' + event.colno + ') ' + (event.error && event.error.stack || '')));
        addEventListener('unhandledrejection', (event) => __collinearErrors.push('unhandled rejection: '
          + String(event.reason) + ' ' + (event.reason && event.reason.stack || '')));`);
      const page = {
        errors: () => driver.executeScript('return window.__collinearErrors || []'),
        evaluate: (fn, arg) => driver.executeScript(`return (${fn})(arguments[0])`, arg),
        click: (x, y) => driver.actions().move({ x: Math.round(x), y: Math.round(y), origin: Origin.VIEWPORT })
          .press().release().perform(),
        async keys(combination) {
          const { modifiers, key } = splitKeys(combination);
          let actions = driver.actions();
          for (const modifier of modifiers) {
            actions = actions.keyDown(keyOf[modifier]);
          }
          actions = actions.sendKeys(keyOf[key] ?? (modifiers.includes('Shift') ? key : key.toLowerCase()));
          for (const modifier of [...modifiers].reverse()) {
            actions = actions.keyUp(keyOf[modifier]);
          }
          await actions.perform();
        },
        // A touch action, and whether the page got touch events from it.
        async tap(x, y) {
          await driver.executeScript(`window.__collinearTouched = false;
            addEventListener('touchstart', () => { window.__collinearTouched = true; }, { capture: true, once: true });`);
          const finger = new Pointer('finger', Pointer.Type.TOUCH);
          await driver.actions({ async: true }).insert(finger,
            finger.move({ x: Math.round(x), y: Math.round(y), origin: Origin.VIEWPORT }), finger.press(), finger.release())
            .perform();
          if (!(await driver.executeScript('return window.__collinearTouched'))) {
            throw new Unsupported('WebKitWebDriver hands the page mouse events for touch actions');
          }
        },
        touchNote: 'touch made by the driver',
        screenshot: async (file) => save(Buffer.from(await driver.takeScreenshot(), 'base64'), file),
        async close() {
          sessions.delete(driver);
          await driver.quit();
        },
      };
      return page;
    },
    async close() {
      for (const driver of sessions) {
        await driver.quit().catch(() => {});
      }
      endAll();
      await exited;
    },
  };
}

export async function launch(name, viewport) {
  const engines = { chromium, firefox, webkit };
  if (!engines[name]) {
    throw new Error(`no engine called ${name}`);
  }
  return engines[name](viewport);
}
