// The page as a screen reader finds it: Chromium's own accessibility tree,
// read through the DevTools protocol as the browser gives it to a screen
// reader, while the page is worked with the keyboard and with the clicks,
// choices, caret moves and focus moves a screen reader makes.
//
//   node a11y.mjs OUT_DIR VERSION
import { chromium } from 'playwright-core';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { chromiumSwitches } from './drivers.mjs';
import { serve } from './serve.mjs';
import { canvasAt, drawButton, clearButton, reportPanel, heading, expectedReport } from './design.mjs';

const [outDir, version] = process.argv.slice(2);
const pageDir = path.join(outDir, 'page');
const singleFile = path.join(outDir, `collinear-${version}-web.html`);

const startUpFirstLine = 'През една точка от равнината минават безброй много прави.';

// Every control of the window, as the desktop's accessibility bus names it,
// with the role the page gives it.
const controls = [
  ['StaticText', ' Геометрия - точки, лежащи на права'],
  ['StaticText', 'X'],
  ['StaticText', 'Y'],
  ['StaticText', 'N'],
  ['StaticText', 'Допустима стъпка:'],
  ['button', 'Чертай'],
  ['button', 'Чисти'],
  ['button', 'Изтрий'],
  ['listbox', 'Координата X'],
  ['listbox', 'Координата Y'],
  ['listbox', 'Номер на точката'],
  ['listbox', 'Допустима стъпка'],
  ['group', 'Чертожно поле'],
  ['textbox', 'Резултат'],
];
// The window's keyboard order, from the report panel on.
const tabOrder = ['Чертожно поле', 'Координата X', 'Координата Y', 'Чертай', 'Чисти', 'Изтрий',
  'Номер на точката', 'Допустима стъпка', 'Резултат'];

const results = [];
function check(name, condition, detail = '') {
  results.push(Boolean(condition));
  console.log(`${condition ? 'PASS' : 'FAIL'}: ${name}${condition ? '' : `  ${detail}`}`);
}

const site = await serve(pageDir);
const { origin } = site;

const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: chromiumSwitches });

async function openPage(url, prepare = async () => {}) {
  const context = await browser.newContext({ viewport: { width: 481, height: 429 } });
  await context.grantPermissions(['clipboard-read', 'clipboard-write'], { origin: url.startsWith('http') ? origin : undefined });
  const page = await context.newPage();
  await prepare(page);
  const errors = [];
  page.on('pageerror', (error) => errors.push(String(error)));
  page.on('console', (message) => {
    if (message.type() === 'warning' && message.text().includes('screen readers')) {
      errors.push(message.text());
    }
  });
  await page.goto(url);
  await page.waitForFunction(() => getComputedStyle(document.getElementById('qtcanvas')).display === 'block',
    null, { timeout: 30000 });
  const session = await context.newCDPSession(page);
  await session.send('Accessibility.enable');
  return { context, page, session, errors };
}

// The tree as a screen reader gets it: each node that is not ignored, with
// its role, name, value, description and properties.
async function tree(session) {
  const { nodes } = await session.send('Accessibility.getFullAXTree');
  const byId = new Map(nodes.map((node) => [node.nodeId, node]));
  const shown = nodes.filter((node) => !node.ignored).map((node) => ({
    id: node.nodeId,
    dom: node.backendDOMNodeId,
    role: node.role?.value,
    name: node.name?.value ?? '',
    value: node.value?.value,
    description: node.description?.value ?? '',
    properties: Object.fromEntries((node.properties ?? []).map((p) => [p.name, p.value.value ?? p.value.relatedNodes])),
    // The nearest children that are not ignored.
    children: (function unignored(ids) {
      return (ids ?? []).flatMap((id) => (byId.get(id)?.ignored ? unignored(byId.get(id).childIds) : [id]));
    })(node.childIds),
  }));
  const find = (role, name) => shown.find((node) => node.role === role && node.name === name);
  const childrenOf = (node) => node.children.map((id) => shown.find((other) => other.id === id)).filter(Boolean);
  return { nodes: shown, find, childrenOf, focused: shown.find((node) => node.properties.focused === true && node.role !== 'RootWebArea') };
}

// The list's chosen row as a screen reader reads it: the selected option
// that the list names as its active descendant.
function chosen(at, name) {
  const list = at.find('listbox', name);
  if (!list) {
    return undefined;
  }
  const options = at.childrenOf(list).filter((node) => node.role === 'option');
  const selected = options.filter((node) => node.properties.selected === true);
  const active = list.properties.activedescendant?.[0]?.backendDOMNodeId;
  if (selected.length === 0 && active === undefined) {
    return null;
  }
  return selected.length === 1 && selected[0].dom === active ? selected[0].name : `(${selected.length} selected)`;
}

// The mirror follows the window once the step that changed it is done: the
// tree is read until it holds what is wanted, for at most five seconds.
async function treeWhen(session, wanted) {
  const end = Date.now() + 5000;
  for (;;) {
    const at = await tree(session);
    if (wanted(at) || Date.now() > end) {
      return at;
    }
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
}

// The tree leaves out an empty value.
const reportOf = (at) => {
  const report = at.find('textbox', 'Резултат');
  return report ? report.value ?? '' : undefined;
};
const focusedName = (at) => at.focused?.name;
// The live region's text; read, it is without the no-break space that
// makes a repeated announcement new.
const liveRaw = (at) => {
  const region = at.nodes.find((node) => node.properties.live === 'polite' && at.childrenOf(node).length > 0);
  return region ? at.childrenOf(region).map((node) => node.name).join('') : undefined;
};
const liveText = (at) => liveRaw(at)?.replace(/\u00a0$/, '');

async function click(page, point) {
  await page.mouse.click(point.x, point.y);
  await page.waitForTimeout(50);
}

// A step that fails with an error is a failed check, and the run goes on
// to the next page; each page's context closes in any case.
async function section(name, steps) {
  const contexts = browser.contexts().length;
  try {
    await steps();
  } catch (error) {
    check(`${name}: ran to its end`, false, String(error).split('\n')[0]);
  }
  for (const context of browser.contexts().slice(contexts)) {
    await context.close();
  }
}

async function press(page, session, key, wanted) {
  await page.keyboard.press(key);
  return treeWhen(session, wanted);
}

await section('the served page, worked with the keyboard and a screen reader\'s requests', async () => {
  const { context, page, session, errors } = await openPage(`${origin}/collinear.html`);
  let at = await treeWhen(session, (t) => t.find('textbox', 'Резултат') && t.focused?.role === 'textbox');

  const canvas = at.nodes.find((node) => node.role === 'Canvas');
  check('the canvas keeps its name, the program\'s title',
    canvas?.name === 'Геометрия - точки, лежащи на права', canvas?.name);
  // Screen readers leave an application's keys to it.
  const application = at.nodes.filter((node) => node.role === 'application');
  check('the controls are in one application, named as the window is',
    application.length === 1 && application[0].name.endsWith('Геометрия - 3 точки, ориентирано лице')
      && at.childrenOf(application[0]).some((node) => node.name === 'Чертай'), application.map((node) => node.name));
  for (const [role, name] of controls) {
    const found = at.nodes.filter((node) => node.role === role && node.name === name);
    check(`„${name.trim()}“ is there once, as a ${role}`, found.length === 1,
      `${found.length} found; roles named so: ${at.nodes.filter((node) => node.name === name).map((node) => node.role)}`);
  }
  const steps = at.childrenOf(at.find('listbox', 'Допустима стъпка') ?? { children: [] }).map((node) => node.name);
  check('the step list offers 5 to 50 and has 5 chosen',
    steps.join(' ') === '5 10 15 20 25 30 35 40 45 50' && chosen(at, 'Допустима стъпка') === '5',
    `${steps} / ${chosen(at, 'Допустима стъпка')}`);
  check('the point lists are empty and choose nothing',
    ['Координата X', 'Координата Y', 'Номер на точката'].every((name) => at.find('listbox', name)?.children.length === 0
      && chosen(at, name) === null));
  const report = at.find('textbox', 'Резултат');
  check('the report is read-only, multi-line text that takes the focus and holds the start-up text',
    report?.properties.readonly === true && report?.properties.multiline === true
      && report?.properties.focusable === true && String(report?.value).startsWith(`${startUpFirstLine}\n`),
    JSON.stringify(report?.properties));
  check('the focus starts on „Резултат“, as the window\'s does', focusedName(at) === 'Резултат', focusedName(at));

  // The window's keyboard order, forwards and back.
  const forward = [];
  for (const name of tabOrder) {
    at = await press(page, session, 'Tab', (t) => focusedName(t) === name);
    forward.push(focusedName(at));
  }
  check('Tab goes through the controls in the window\'s order', forward.join(',') === tabOrder.join(','),
    forward.join(', '));
  const backward = [];
  const back = [...tabOrder].reverse().slice(1).concat(['Резултат']);
  for (const name of back) {
    at = await press(page, session, 'Shift+Tab', (t) => focusedName(t) === name);
    backward.push(focusedName(at));
  }
  check('Shift+Tab goes back through them', backward.join(',') === back.join(','), backward.join(', '));
  const area = at.find('group', 'Чертожно поле');
  check('the drawing area has its help after its keyboard cursor\'s node',
    /^235, 100\. Щракнете/.test(area?.description) && area?.description.includes('Ctrl+Shift+C'), area?.description);

  // Three presses and „Чертай“ with the mouse; the report reads them.
  for (const [x, y] of [[13, 48], [23, 48], [33, 52]]) {
    await click(page, canvasAt(x, y));
  }
  at = await treeWhen(session, (t) => t.find('listbox', 'Номер на точката')?.children.length === 3);
  check('three presses give the point lists three rows each',
    ['Координата X', 'Координата Y', 'Номер на точката'].map((name) => at.childrenOf(at.find('listbox', name)).map((node) => node.name).join(' ')).join(' / ')
      === '15 25 35 / 50 50 50 / 1 2 3');
  await click(page, drawButton);
  at = await treeWhen(session, (t) => reportOf(t) === expectedReport);
  check('after „Чертай“ the report reads the found triple', reportOf(at) === expectedReport, JSON.stringify(reportOf(at)));

  // The caret, moved by the window's keys and by a screen reader.
  await click(page, reportPanel);
  await treeWhen(session, (t) => focusedName(t) === 'Резултат');
  const caret = () => page.evaluate(() => {
    const area = document.activeElement;
    return area instanceof HTMLTextAreaElement ? [area.selectionStart, area.selectionEnd, area.selectionDirection] : null;
  });
  const caretAfter = async (key, wanted) => {
    await page.keyboard.press(key);
    const end = Date.now() + 5000;
    let now = await caret();
    while (JSON.stringify(now) !== JSON.stringify(wanted) && Date.now() < end) {
      await page.waitForTimeout(50);
      now = await caret();
    }
    return now;
  };
  for (const [key, wanted, what] of [
    ['Control+Home', [0, 0, 'forward'], 'Ctrl+Home puts the caret at the start'],
    ['Control+ArrowRight', [5, 5, 'forward'], 'Ctrl+Right after the first word'],
    ['Shift+End', [5, heading.length, 'forward'], 'Shift+End selects to the end of the line'],
    ['Shift+Home', [0, 5, 'backward'], 'Shift+Home selects back to its start, the caret first'],
  ]) {
    const now = await caretAfter(key, wanted);
    check(`the report's caret: ${what}`, JSON.stringify(now) === JSON.stringify(wanted), JSON.stringify(now));
  }
  // As a screen reader sets it: the page's caret, then the window's keys
  // go on from it.
  await page.evaluate(() => document.querySelector('#collinear-controls textarea').setSelectionRange(8, 8));
  await page.waitForTimeout(200);
  await page.keyboard.press('Shift+End');
  await page.keyboard.press('Control+C');
  await page.waitForTimeout(200);
  const copied = await page.evaluate(() => navigator.clipboard.readText());
  check('a caret a screen reader sets is the window\'s: Shift+End and Ctrl+C copy from it',
    copied === heading.slice(8), JSON.stringify(copied));

  // The N list chosen with the keyboard: Shift+Tab twice from the report.
  await page.keyboard.press('Shift+Tab');
  at = await press(page, session, 'Shift+Tab', (t) => focusedName(t) === 'Номер на точката');
  check('Shift+Tab twice from the report reaches „Номер на точката“', focusedName(at) === 'Номер на точката',
    focusedName(at));
  at = await press(page, session, 'ArrowDown', (t) => chosen(t, 'Номер на точката') === '1');
  at = await press(page, session, 'ArrowDown', (t) => chosen(t, 'Номер на точката') === '2'
    && chosen(t, 'Координата X') === '25');
  check('Down twice on the N list chooses point 2, and the X and Y lists show its 25 and 50',
    chosen(at, 'Номер на точката') === '2' && chosen(at, 'Координата X') === '25' && chosen(at, 'Координата Y') === '50',
    ['Номер на точката', 'Координата X', 'Координата Y'].map((name) => chosen(at, name)).join(', '));
  check('the focused list names the chosen row as its active descendant',
    at.focused?.name === 'Номер на точката' && at.focused?.properties.activedescendant !== undefined,
    JSON.stringify(at.focused));

  // Into the drawing area: its keyboard cursor stands where the last point
  // went, and says the node and the point there as it moves.
  await page.keyboard.press('Tab');
  await page.keyboard.press('Tab');
  at = await press(page, session, 'Tab', (t) => focusedName(t) === 'Чертожно поле');
  check('Tab into the drawing area: it says „35, 50, точка 3“ first',
    focusedName(at) === 'Чертожно поле' && at.focused.description.startsWith('35, 50, точка 3. '),
    `${focusedName(at)}: ${at.focused?.description}`);
  let said = liveRaw(at);
  for (const [key, where] of [['ArrowRight', '40, 50'], ['Space', '40, 50, точка 4'], ['ArrowLeft', '35, 50, точка 3'],
    ['Space', '35, 50, точка 3'], ['ArrowUp', '35, 45'], ['ArrowDown', '35, 50, точка 3']]) {
    const before = said;
    at = await press(page, session, key, (t) => liveText(t) === where && liveRaw(t) !== before);
    said = liveRaw(at);
    check(`${key}: the drawing area announces „${where}“, and its description begins with it`,
      liveText(at) === where && said !== before && at.focused?.description.startsWith(`${where}. `),
      `live ${JSON.stringify(liveRaw(at))}, description ${JSON.stringify(at.focused?.description.slice(0, 30))}`);
  }

  // A focused button takes its keys in the window, never a second time as
  // the page's click.
  for (const name of ['Координата X', 'Координата Y', 'Чертай']) {
    at = await press(page, session, 'Tab', (t) => focusedName(t) === name);
  }
  await page.evaluate(() => {
    window.collinearClicks = 0;
    document.activeElement.addEventListener('click', () => { window.collinearClicks += 1; });
  });
  await page.keyboard.press('Space');
  await page.keyboard.press('Enter');
  at = await treeWhen(session, (t) => String(reportOf(t)).includes('40,50'));
  check('Space and Enter on „Чертай“ draw, and the page raises no click that would press it again',
    String(reportOf(at)).includes('15,50; 25,50; 40,50') && await page.evaluate(() => window.collinearClicks) === 0,
    `${JSON.stringify(reportOf(at))}, ${await page.evaluate(() => window.collinearClicks)} clicks`);

  // What a screen reader does itself: a click on a button, a choice of a
  // row, a move of the focus. The page shows the outcome only once the
  // window has it.
  const screenReaderClick = (role, name, list) => page.evaluate(({ role, name, list }) => [...document.querySelectorAll(`#collinear-controls [role="${role}"], #collinear-controls ${role}`)]
    .find((element) => element.textContent === name && (!list || element.parentNode.getAttribute('aria-label') === list)).click(),
  { role, name, list });
  await screenReaderClick('button', 'Чисти');
  at = await treeWhen(session, (t) => reportOf(t) === '');
  check('a screen reader\'s click on „Чисти“ clears the report and the lists',
    reportOf(at) === '' && at.find('listbox', 'Номер на точката')?.children.length === 0,
    `${JSON.stringify(reportOf(at))}, ${at.childrenOf(at.find('listbox', 'Номер на точката')).map((node) => node.name)}`);
  await page.keyboard.press('Control+Z');
  at = await treeWhen(session, (t) => String(reportOf(t)).includes('40,50'));
  check('Ctrl+Z brings the report and the four points back', String(reportOf(at)).includes('40,50')
    && at.find('listbox', 'Номер на точката')?.children.length === 4);
  await screenReaderClick('option', '10', 'Допустима стъпка');
  at = await treeWhen(session, (t) => chosen(t, 'Допустима стъпка') === '10');
  check('a screen reader\'s choice of step 10 is the window\'s', chosen(at, 'Допустима стъпка') === '10',
    chosen(at, 'Допустима стъпка'));
  await page.evaluate(() => document.querySelector('[aria-label="Координата Y"]').focus());
  at = await press(page, session, 'Tab', (t) => focusedName(t) === 'Чертай');
  check('a screen reader that moves the focus to „Координата Y“ moves the window\'s: Tab goes on to „Чертай“',
    focusedName(at) === 'Чертай', focusedName(at));

  // The worst case: 51 points on one line and its 20,826-line report, at
  // the step of 5 again.
  await screenReaderClick('option', '5', 'Допустима стъпка');
  await treeWhen(session, (t) => chosen(t, 'Допустима стъпка') === '5');
  await click(page, clearButton);
  for (let i = 0; i < 51; ++i) {
    await page.mouse.click(canvasAt(5 + 5 * i, 50).x, canvasAt(5 + 5 * i, 50).y);
  }
  await treeWhen(session, (t) => t.find('listbox', 'Номер на точката')?.children.length === 51);
  // Off the report, the page holds its first 200 lines; the focus on the
  // report brings all of them. Each is timed from the event that asks for it.
  const reportLines = (wanted, act) => page.evaluate(({ wanted, act, x, y }) => new Promise((resolve) => {
    const report = document.querySelector('#collinear-controls textarea');
    const canvas = document.getElementById('qtcanvas');
    const options = { clientX: x, clientY: y, button: 0, bubbles: true, pointerId: 1, pointerType: 'mouse', isPrimary: true };
    const count = () => report.value.split('\n').length;
    const start = performance.now();
    if (act === 'draw') {
      canvas.dispatchEvent(new PointerEvent('pointerdown', { ...options, buttons: 1 }));
      canvas.dispatchEvent(new PointerEvent('pointerup', { ...options, buttons: 0 }));
    } else {
      report.focus();
    }
    const wait = () => {
      if (count() === wanted || performance.now() - start > 10000) {
        resolve({ lines: count(), after: performance.now() - start });
      } else {
        setTimeout(wait, 1);
      }
    };
    wait();
  }), { wanted, act, ...drawButton });
  const drawn = await reportLines(200, 'draw');
  at = await tree(session);
  check('off the report, the worst case\'s report is in the page as its first 200 lines',
    drawn.lines === 200 && reportOf(at).startsWith(`${expectedReport.split('\n')[0]}\n5,50; 10,50; 15,50\n`),
    `${drawn.lines} lines`);
  // A screen reader moves the focus to the report.
  const focused = await reportLines(1 + 20825, 'focus');
  const treeStart = Date.now();
  at = await tree(session);
  const treeTime = Date.now() - treeStart;
  check('with the focus on the report, all of it is in the page', focused.lines === 1 + 20825
    && reportOf(at).split('\n').length === 1 + 20825 && focusedName(at) === 'Резултат', `${focused.lines} lines`);
  console.log(`a11y: the worst case's report: its first lines were in the page ${drawn.after.toFixed(0)} ms after `
    + `„Чертай“ was released, all of it ${focused.after.toFixed(0)} ms after the focus went to the report; `
    + `the whole accessibility tree, ${at.nodes.length} nodes, took ${treeTime} ms to read`);
  check('no script error on the page', errors.length === 0, errors.join('; '));
  await context.close();
});

await section('the single file', async () => {
  const { context, session, errors } = await openPage(pathToFileURL(singleFile).href);
  const at = await treeWhen(session, (t) => t.find('button', 'Чертай'));
  check('the single file opened from disk has the controls too',
    controls.every(([role, name]) => at.find(role, name)) && errors.length === 0, errors.join('; '));
  await context.close();
});

// A browser without what the mirror needs: it is not there, or goes at its
// first failure, and the page runs as without it.
for (const [what, breakIt] of [
  ['a canvas that takes no content', () => { HTMLCanvasElement.prototype.appendChild = () => { throw new Error('no'); }; }],
  ['text areas without a selection', () => { HTMLTextAreaElement.prototype.setSelectionRange = () => { throw new Error('no'); }; }],
]) {
  await section(`with ${what}`, async () => {
    const { context, page, session, errors } = await openPage(`${origin}/collinear.html`, (p) => p.addInitScript(breakIt));
    for (const [x, y] of [[13, 48], [23, 48], [33, 52]]) {
      await click(page, canvasAt(x, y));
    }
    await click(page, drawButton);
    await click(page, reportPanel);
    await page.keyboard.press('Control+A');
    await page.keyboard.press('Control+C');
    await page.waitForTimeout(200);
    const copied = (await page.evaluate(() => navigator.clipboard.readText())).replace(/\r\n/g, '\n').trim();
    const at = await tree(session);
    const pageErrors = errors.filter((error) => !error.includes('screen readers'));
    check(`with ${what} the controls are gone, and presses, „Чертай“ and the report work as without them`,
      !at.find('button', 'Чертай') && copied === expectedReport && pageErrors.length === 0,
      `${JSON.stringify(copied)}; ${pageErrors.join('; ')}`);
    await context.close();
  });
}

await browser.close();
await site.close();
const passed = results.filter(Boolean).length;
console.log(`a11y: ${passed} passed, ${results.length - passed} failed`);
process.exit(passed === results.length ? 0 : 1);
