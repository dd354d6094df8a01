// The served page as an installable program that opens offline, tried in
// Debian's Chromium driven by Playwright: the manifest as Chromium judges
// it, a visit and then the page with no network at all, a new version
// taking the old one's place whole, and what must never happen: a version
// mixed from two, a cache missing a file served from, a browser without
// service workers shown an error.
//
//   node app.mjs OUT_DIR VERSION
import { chromium } from 'playwright-core';
import { execFileSync } from 'node:child_process';
import { appendFileSync, cpSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { chromiumSwitches, readPicture } from './drivers.mjs';
import { serve } from './serve.mjs';
import { canvasAt } from './design.mjs';

const [outDir, version] = process.argv.slice(2);
const pageDir = path.join(outDir, 'page');
const precache = path.join(path.dirname(fileURLToPath(import.meta.url)), '../../packaging/web/precache.py');
const isDark = (rgb) => Math.max(...rgb) < 96;

const results = [];
function check(name, condition, detail = '') {
  results.push(Boolean(condition));
  console.log(`app: ${condition ? 'PASS' : 'FAIL'}: ${name}${condition ? '' : `  ${detail}`}`);
}
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Builds of other versions, made from this one as the next version's
// deployment would be: the version in the page and in the worker, and each
// of the page's script files marked with it, so the running page can tell
// which version each of its files came from. The WebAssembly gets a custom
// section of its own, which WebAssembly ignores.
const work = mkdtempSync(path.join(tmpdir(), 'collinear-app-'));
function build(buildVersion) {
  const folder = path.join(work, buildVersion);
  cpSync(pageDir, folder, { recursive: true });
  const html = path.join(folder, 'collinear.html');
  writeFileSync(html, readFileSync(html, 'utf8').replace(
    /<meta name="collinear-version" content="[^"]*">/, `<meta name="collinear-version" content="${buildVersion}">`));
  appendFileSync(path.join(folder, 'qtloader.js'), `\nwindow.collinearLoaderVersion = '${buildVersion}';\n`);
  appendFileSync(path.join(folder, 'collinear.js'), `\nwindow.collinearProgramVersion = '${buildVersion}';\n`);
  const name = Buffer.from('collinear-version');
  const payload = Buffer.concat([Buffer.from([name.length]), name, Buffer.from(buildVersion)]);
  appendFileSync(path.join(folder, 'collinear.wasm'), Buffer.concat([Buffer.from([0, payload.length]), payload]));
  execFileSync('python3', [precache, folder, buildVersion]);
  return folder;
}
const first = build(`${version}-first`);
const second = build(`${version}-second`);
const third = build(`${version}-third`);

const site = await serve(first);
const url = `${site.origin}/collinear.html`;
const args = chromiumSwitches;
// A profile on disk, not a private one: Chromium installs nothing from a
// private window, and says so among the installability errors.
const context = await chromium.launchPersistentContext(path.join(work, 'profile'), {
  executablePath: '/usr/bin/chromium', args, viewport: { width: 481, height: 429 },
});
const page = context.pages()[0] ?? await context.newPage();
const errors = [];
page.on('pageerror', (error) => errors.push(String(error)));

async function shown(target = page) {
  await target.waitForFunction(() => getComputedStyle(document.getElementById('qtcanvas')).display === 'block',
    null, { timeout: 30000 }).catch(() => {});
  return target.evaluate(() => getComputedStyle(document.getElementById('qtcanvas')).display === 'block'
    && getComputedStyle(document.getElementById('message')).display === 'none');
}

// Which version each part of the running page came from: the page, the
// loader and the program.
const whole = (buildVersion) => [buildVersion, buildVersion, buildVersion].join(' ');
const versions = (target = page) => target.evaluate(() => [
  document.querySelector('meta[name="collinear-version"]')?.content,
  window.collinearLoaderVersion,
  window.collinearProgramVersion,
].join(' '));

// The program's caches, each with the names of the files it holds.
const stored = () => page.evaluate(async () => {
  const found = {};
  for (const name of await caches.keys()) {
    if (name.startsWith('collinear ')) {
      const keys = await (await caches.open(name)).keys();
      found[name] = keys.map((request) => new URL(request.url).pathname.replace(/^\//, '')).sort();
    }
  }
  return found;
});

// The version, digest and files a build's worker keeps, from the worker.
function filesOf(folder) {
  const worker = readFileSync(path.join(folder, 'service-worker.js'), 'utf8');
  return JSON.parse(worker.match(/const BUILD = (\{[\s\S]*?\n\});/)[1]);
}

async function presses(target = page) {
  await target.mouse.click(canvasAt(13, 48).x, canvasAt(13, 48).y);
  await target.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
  const at = readPicture(await target.screenshot());
  return isDark(at.at(canvasAt(15, 50).x, canvasAt(15, 50).y));
}

// The registration's workers and the page's, for a failure's message.
const workerState = () => page.evaluate(async () => {
  const registration = await navigator.serviceWorker.getRegistration();
  const state = (worker) => worker && `${worker.state}`;
  return {
    controller: state(navigator.serviceWorker.controller),
    active: state(registration?.active),
    waiting: state(registration?.waiting),
    installing: state(registration?.installing),
    sameAsActive: navigator.serviceWorker.controller === registration?.active,
  };
}).catch((error) => String(error));

// Until the worker's registration settles: nothing installing, a worker
// active.
async function settled() {
  for (let i = 0; i < 300; ++i) {
    const state = await page.evaluate(async () => {
      const registration = await navigator.serviceWorker.getRegistration();
      if (!registration) {
        return null;
      }
      return {
        installing: Boolean(registration.installing),
        waiting: Boolean(registration.waiting),
        active: registration.active?.state,
      };
    }).catch(() => null);
    if (state && !state.installing && state.active === 'activated') {
      return state;
    }
    await sleep(100);
  }
  return null;
}

// What became of the worker of the version on the site: 'installed' (or
// 'activated') when it was taken, 'redundant' when its install failed.
// The browser looks for it on each visit; the page asks again, so that a
// look already over is not waited for in vain.
const updateOutcome = () => page.evaluate(async () => {
  const registration = await navigator.serviceWorker.getRegistration();
  if (registration.waiting) {
    return 'installed';
  }
  const outcome = (worker) => new Promise((resolve) => {
    const settle = () => {
      if (['installed', 'activated', 'redundant'].includes(worker.state)) {
        resolve(worker.state);
      }
    };
    worker.addEventListener('statechange', settle);
    settle();
  });
  const found = registration.installing ? outcome(registration.installing) : new Promise((resolve) => {
    registration.addEventListener('updatefound', () => resolve(outcome(registration.installing)), { once: true });
  });
  registration.update().catch(() => {});
  return Promise.race([found, new Promise((resolve) => setTimeout(() => resolve('no new worker'), 60000))]);
});

const wholeCache = (found, folder) => {
  const build = filesOf(folder);
  const name = Object.keys(found).find((cache) => cache.includes(` ${build.version} ${build.digest} `));
  return name !== undefined && JSON.stringify(found[name]) === JSON.stringify(Object.keys(build.files).sort());
};

{
  await page.goto(url);
  check('the page opens from the network', await shown());
  const cdp = await context.newCDPSession(page);
  const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
  check('Chromium finds nothing that keeps the page from being installed', installabilityErrors.length === 0,
    JSON.stringify(installabilityErrors));
  const { errors: manifestErrors, data } = await cdp.send('Page.getAppManifest');
  const manifest = JSON.parse(data ?? '{}');
  check('the manifest reads without errors', manifestErrors.length === 0, JSON.stringify(manifestErrors));
  check('it names the program in Bulgarian and opens it as a window of the program\'s colour',
    manifest.name === 'Геометрия - точки, лежащи на права' && manifest.short_name && manifest.display === 'standalone'
      && manifest.background_color === '#c0c0ff' && manifest.theme_color === '#c0c0ff' && manifest.lang === 'bg',
    data);
  const sizes = [];
  for (const icon of manifest.icons ?? []) {
    const png = Buffer.from(await page.evaluate(async (src) => [...new Uint8Array(await (await fetch(src)).arrayBuffer())],
      icon.src));
    sizes.push(`${png.readUInt32BE(16)}x${png.readUInt32BE(20)}`);
  }
  check('its icons are PNG pictures of 192 and 512 pixels', sizes.join(' ') === '192x192 512x512', sizes.join(' '));

  await settled();
  check('after one visit the worker keeps every file of the page', wholeCache(await stored(), first),
    JSON.stringify(await stored()));

  // Offline: the browser has no network and the site is gone too.
  await context.setOffline(true);
  site.down = true;
  await page.reload();
  check('offline, a reload shows the window', await shown(), await page.textContent('#status'));
  check('and takes a press', await presses());
  check('all of it from the one version', (await versions()) === whole(`${version}-first`), await versions());
  await context.setOffline(false);
  site.down = false;
}

{
  // The next version is put on the site: one visit shows it, whole.
  site.folder = second;
  await page.goto(url);
  let seen = '';
  for (let i = 0; i < 600 && !seen.startsWith(`${version}-second`); ++i) {
    await sleep(100);
    seen = await versions().catch(() => '');
  }
  check('after the site has a new version, one visit shows it', seen.startsWith(`${version}-second`), seen);
  check('which shows the window', await shown());
  check('every part of the page from the new version', (await versions()) === whole(`${version}-second`),
    await versions());
  await settled();
  const found = await stored();
  check('the old version\'s cache is gone and the new one is whole',
    Object.keys(found).length === 1 && wholeCache(found, second), JSON.stringify(found));
}

{
  // A site caught half-uploaded: the third version's worker and page, one
  // file still the second's. The worker refuses it and the second stays.
  site.folder = third;
  const halfway = path.join(work, 'halfway');
  cpSync(third, halfway, { recursive: true });
  cpSync(path.join(second, 'qtloader.js'), path.join(halfway, 'qtloader.js'));
  site.folder = halfway;
  await page.goto(url);
  check('with a half-uploaded site the page still opens', await shown());
  let outcome = await updateOutcome().catch((error) => String(error));
  check('the new worker refuses a version mixed from two', outcome === 'redundant', outcome);
  await settled();
  let found = await stored();
  check('it keeps no cache, and the one in use stays whole',
    Object.keys(found).length === 1 && wholeCache(found, second), JSON.stringify(found));
  check('the page is still all of one version', (await versions()) === whole(`${version}-second`),
    await versions());

  // The connection drops halfway through the WebAssembly.
  site.folder = third;
  site.fault = (name) => (name === 'collinear.wasm' ? 'cut' : undefined);
  await page.goto(url);
  await shown();
  outcome = await updateOutcome().catch((error) => String(error));
  check('a download cut short fails the new worker\'s install', outcome === 'redundant', outcome);
  await settled();
  found = await stored();
  check('a download cut short leaves no cache of the new version', Object.keys(found).length === 1
    && wholeCache(found, second), JSON.stringify(found));
  site.fault = null;
  site.folder = second;

  await context.setOffline(true);
  site.down = true;
  await page.reload();
  check('and offline the version in use still opens', await shown() && (await versions()).startsWith(`${version}-second`),
    await versions());
  await context.setOffline(false);
  site.down = false;
}

{
  // A cache missing one of its files, as storage half-cleared would leave
  // it: never served from; the page comes whole from the network, and the
  // worker stores the files again.
  await page.evaluate(async () => {
    for (const name of await caches.keys()) {
      await (await caches.open(name)).delete('collinear.wasm');
    }
  });
  const from = site.requests.length;
  await page.reload();
  check('with a file missing from the cache the page opens from the network', await shown(),
    await page.textContent('#status'));
  const asked = site.requests.slice(from);
  check('every file of the page was the network\'s',
    ['collinear.html', 'qtloader.js', 'collinear.js', 'collinear.wasm'].every((name) => asked.includes(name)),
    asked.join(' '));
  let found = {};
  for (let i = 0; i < 300 && !wholeCache(found, second); ++i) {
    await sleep(100);
    found = await stored();
  }
  check('and the worker keeps a whole copy again', Object.keys(found).length === 1 && wholeCache(found, second),
    JSON.stringify(found));
}

{
  // A page in use is never reloaded under the pupil's hands: the new
  // version waits for the next visit.
  site.folder = third;
  await page.goto(url);
  await shown();
  check('a page pressed before the new version is ready keeps its point', await presses());
  await page.evaluate(() => { window.collinearSameDocument = true; });
  const outcome = await updateOutcome().catch((error) => String(error));
  await sleep(2000);
  const kept = await page.evaluate(() => window.collinearSameDocument === true).catch(() => false);
  check('the new version is installed beside it and the page is not reloaded',
    outcome === 'installed' && kept && (await versions()) === whole(`${version}-second`), `${outcome} ${kept}`);
  // The next visit asks the waiting worker to take over. Chromium lets it
  // only once the old worker has no work it counts unfinished, and in one
  // run in five or so here it counted some for its five-minute limit: then
  // the visit shows the version in use, whole, and the new one comes later.
  await page.goto(url);
  let seen = '';
  for (let i = 0; i < 300 && seen !== whole(`${version}-third`); ++i) {
    await sleep(100);
    seen = await versions().catch(() => '');
  }
  check('the next visit shows one version, whole', [`${version}-second`, `${version}-third`].map(whole).includes(seen),
    `${seen}; ${JSON.stringify(await workerState())}; caches ${Object.keys(await stored()).join(', ')}`);
  console.log(`app: the next visit showed ${seen === whole(`${version}-third`) ? 'the new version'
    : `the version in use, the new one waiting (${JSON.stringify(await workerState())})`}`);
  check('no script error on the page through all the versions', errors.length === 0, errors.join('; '));
}
await context.close();

{
  // Browsers without service workers, with them blocked, or refusing to
  // register one (as some private windows do).
  const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args });
  for (const [name, options, init] of [
    ['a browser without service workers', {}, () => { delete Navigator.prototype.serviceWorker; }],
    ['a browser with service workers blocked', { serviceWorkers: 'block' }, null],
    ['a browser that refuses to register the worker', {}, () => {
      ServiceWorkerContainer.prototype.register = () => Promise.reject(new DOMException('refused', 'SecurityError'));
    }],
  ]) {
    const other = await browser.newContext({ viewport: { width: 481, height: 429 }, ...options });
    const target = await other.newPage();
    const seen = [];
    target.on('pageerror', (error) => seen.push(String(error)));
    if (init) {
      await target.addInitScript(init);
    }
    await target.goto(url);
    check(`${name} opens the page from the network with no error shown`, await shown(target) && seen.length === 0,
      `${await target.textContent('#status')} ${seen.join('; ')}`);
    check('and the page takes a press', await presses(target));
    await other.close();
  }

  // From a file the page registers no worker, and the single file has no
  // part of the installable program.
  const other = await browser.newContext();
  const target = await other.newPage();
  await target.addInitScript(() => {
    window.collinearRegistrations = 0;
    if (navigator.serviceWorker) {
      navigator.serviceWorker.register = () => { ++window.collinearRegistrations; return new Promise(() => {}); };
    }
  });
  await target.goto(pathToFileURL(path.join(pageDir, 'collinear.html')).href);
  await sleep(500);
  check('the page opened from a file registers no worker', (await target.evaluate(() => window.collinearRegistrations)) === 0);
  await other.close();
  await browser.close();
  const single = readFileSync(path.join(outDir, `collinear-${version}-web.html`), 'utf8');
  check('the single file has no manifest and no worker',
    !single.includes('rel="manifest"') && !single.includes('service-worker.js') && !single.includes('app.js'));
}

await site.close();
rmSync(work, { recursive: true, force: true });
const passed = results.filter(Boolean).length;
console.log(`app: ${passed} passed, ${results.length - passed} failed`);
process.exit(passed === results.length ? 0 : 1);
