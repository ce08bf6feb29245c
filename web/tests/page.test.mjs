// The web page in headless Chromium, driven as a user drives it: the
// examples against the native renderer, an edit sequence by keys and pointer
// against the editor model's own Save, undo and redo to both ends, a damaged
// file, the time from a slider step to the painted preview, and an
// accessibility audit.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { createRequire } from 'node:module';

import {
  bitmapPixels, canvasPixels, downloaded, editScript, examples, launch, median, openExample,
  openPage, pngPixels, render, serve, settled, site,
} from './browser.mjs';

const exampleNames = fs.readdirSync(examples).filter((n) => n.endsWith('.mlr')).sort();
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'mottler-web-test-'));

let server;
let browser;
let url;

before(async () => {
  server = await serve(site);
  url = `http://127.0.0.1:${server.address().port}/index.html`;
  browser = await launch();
});

after(async () => {
  await browser?.close();
  server?.close();
  fs.rmSync(scratch, { recursive: true, force: true });
});

function nativeBitmap(name, scale = 1) {
  const out = path.join(scratch, `${name}-${scale}.bmp`);
  execFileSync(render, [path.join(examples, name), '--scale', String(scale), '-o', out]);
  return fs.readFileSync(out);
}

// The program file the editor model saves after the same verbs.
function modelSaves(verbs) {
  return execFileSync(editScript, { input: Buffer.from(`${verbs.join('\n')}\n`, 'latin1') });
}

describe('examples', () => {
  test('every example shows and exports the native renderer\'s texture', async () => {
    const { page, downloads, errors } = await openPage(browser, url);
    for (const name of exampleNames) {
      await openExample(page, name);
      const native = nativeBitmap(name);
      const { pixels } = bitmapPixels(native);
      assert.ok((await canvasPixels(page)).equals(pixels), `${name}: preview differs`);
      const stem = name.replace(/\.mlr$/, '');
      const exported = await downloaded(downloads, `${stem}.bmp`, () => page.click('#export-bmp'));
      assert.ok(exported.equals(native), `${name}: exported bitmap differs`);
      assert.equal(await page.$eval('#status', (e) => e.textContent), ` ${stem}.bmp saved`);
      const png = await downloaded(downloads, `${stem}.png`, () => page.click('#export-png'));
      assert.ok(pngPixels(png).pixels.equals(pixels), `${name}: exported PNG differs`);
    }
    // The tiled view repeats the texture 3 x 3.
    await page.click('#tiled');
    const tiled = await canvasPixels(page);
    const { width, pixels } = bitmapPixels(nativeBitmap(exampleNames.at(-1)));
    const row = width * 3;
    assert.ok(tiled.subarray(0, row).equals(pixels.subarray(0, row)));
    assert.ok(tiled.subarray(row, 2 * row).equals(pixels.subarray(0, row)));
    await page.click('#tiled');
    // "Look Buffer" shows the buffer (black: the program parks nothing there).
    await page.click('#look-buffer');
    const buffer = await canvasPixels(page);
    assert.ok(buffer.every((byte) => byte === 0), 'an empty buffer is black');
    await page.click('#look-buffer');
    assert.ok((await canvasPixels(page)).equals(pixels));
    assert.deepEqual(errors, []);
    await page.close();
  });
});

describe('editing', () => {
  // Each step: what the user does on the page, and the model's verb for it.
  async function choose(page, name) {
    const index = await page.$eval('#commands', (s, n) =>
      [...s.options].find((o) => o.text === n).value, name);
    await page.click(`#commands option[value="${index}"]`);
  }
  async function keys(page, selector, key, times) {
    await page.focus(selector);
    for (let i = 0; i < times; ++i) await page.keyboard.press(key);
  }
  const chosenName = (page) => page.$eval('#commands', (s) => s.selectedOptions[0].text);

  test('an edit sequence saves what the model saves, and undoes and redoes whole', async () => {
    const { page, downloads, errors } = await openPage(browser, url);
    const verbs = [];

    await choose(page, 'Plasma');
    verbs.push('choose Plasma');
    await keys(page, '#param-1', 'ArrowRight', 3);
    verbs.push('param 1 3');
    await keys(page, '#param-0', 'ArrowLeft', 1);  // at its minimum: nothing
    await page.click('#add');
    verbs.push('add');

    await choose(page, 'Lines');
    verbs.push('choose Lines');
    await page.keyboard.press('ArrowDown');  // the focus stayed in the commands list
    verbs.push(`choose ${await chosenName(page)}`);
    await keys(page, '#seed', 'ArrowRight', 2);
    verbs.push('seed 2');
    await keys(page, '#offset-x', 'ArrowRight', 5);
    verbs.push('offsetx 5');
    await keys(page, '#method', 'ArrowDown', 1);
    verbs.push(`method ${await page.$eval('#method', (s) => s.value)}`);
    await page.click('#up');
    verbs.push('up');
    await page.click('#add');
    verbs.push('add');

    await page.click('#program option:first-child');
    verbs.push('select 0');
    await page.click('#state');
    verbs.push('state');
    await page.click('#remark');
    await page.keyboard.type('Café wall');
    verbs.push('remark Café wall');
    await settled(page);

    const expected = modelSaves(verbs);
    const saved = await downloaded(downloads, 'Untitled.mlr', () => page.keyboard.down('Control')
      .then(() => page.keyboard.press('s')).then(() => page.keyboard.up('Control')));
    assert.ok(saved.equals(expected), 'the saved program differs from the model\'s');
    assert.equal(await page.$eval('#status', (e) => e.textContent), ' Untitled.mlr saved');

    // Undo to the start: an empty program, seed 0, no remark.
    await page.keyboard.down('Control');
    let undos = 0;
    while (!(await page.$eval('#undo', (b) => b.disabled))) {
      await page.keyboard.press('z');
      ++undos;
    }
    await page.keyboard.up('Control');
    const start = await page.evaluate(() => window.mottlerPage.state());
    assert.ok(undos > 5, `${undos} undo steps`);
    assert.equal(start.list.length, 0);
    assert.equal(start.seed, 0);
    assert.equal(start.remark, '');

    // And redo to the end: the same program again, unmodified (it was saved there).
    await page.keyboard.down('Control');
    await page.keyboard.down('Shift');
    let redos = 0;
    while (!(await page.$eval('#redo', (b) => b.disabled))) {
      await page.keyboard.press('Z');
      ++redos;
    }
    await page.keyboard.up('Shift');
    await page.keyboard.up('Control');
    assert.equal(redos, undos);
    const end = await page.evaluate(() => window.mottlerPage.state());
    assert.equal(end.modified, false);
    await settled(page);
    const again = await downloaded(downloads, 'Untitled.mlr', () => page.click('#save'));
    assert.ok(again.equals(expected));

    // A damaged file: the message, and the program stays as it was.
    const damaged = path.join(scratch, 'damaged.mlr');
    fs.writeFileSync(damaged, Buffer.from('this is no program file at all'));
    const input = await page.$('#open-file');
    await input.uploadFile(damaged);
    await page.waitForSelector('#error-dialog[open]');
    assert.equal(await page.$eval('#error-title', (e) => e.textContent), 'Error');
    assert.equal(await page.$eval('#error-text', (e) => e.textContent), 'File format not supported');
    await page.keyboard.press('Enter');
    await page.waitForSelector('#error-dialog:not([open])');
    const untouched = await downloaded(downloads, 'Untitled.mlr', () => page.click('#save'));
    assert.ok(untouched.equals(expected));
    assert.deepEqual(errors, []);
    await page.close();
  });

  test('the remark takes only what a program file can hold', async () => {
    const { page } = await openPage(browser, url);
    await page.click('#remark');
    // "→" has no byte in the remark's character set; "é" and "€" have.
    await page.keyboard.type('a→é€b');
    assert.equal(await page.$eval('#remark', (e) => e.value), 'aé€b');
    assert.equal(await page.evaluate(() => window.mottlerPage.state().remark), 'aé€b');
    await page.close();
  });

  test('"New" checks the size as the desktop dialog does and makes an empty program', async () => {
    const { page } = await openPage(browser, url);
    // Unsaved changes are offered for saving first; Cancel keeps everything.
    await choose(page, 'Plasma');
    await page.click('#add');
    await page.click('#new');
    await page.waitForSelector('#prompt-dialog[open]');
    assert.equal(await page.$eval('#prompt-text', (e) => e.textContent), 'Save changes to Untitled.mlr?');
    await page.click('#prompt-dialog button[value="cancel"]');
    assert.equal(await page.$('#new-dialog[open]'), null);
    assert.equal(await page.evaluate(() => window.mottlerPage.state().programLength), 1);
    await page.click('#new');
    await page.click('#prompt-dialog button[value="no"]');
    await page.waitForSelector('#new-dialog[open]');

    await page.select('#new-preset', '5');
    assert.equal(await page.$eval('#new-width', (e) => e.value), '8');
    await page.$eval('#new-width', (e) => { e.value = '300'; });
    await page.click('#new-ok');
    assert.equal(await page.$eval('#new-error', (e) => e.textContent),
      'Please enter an integer between 8 and 256.');
    await page.$eval('#new-height', (e) => { e.value = ''; });
    await page.click('#new-ok');
    assert.equal(await page.$eval('#new-error', (e) => e.textContent), 'Please enter a positive integer.');
    await page.$eval('#new-height', (e) => { e.value = '48'; });
    await page.$eval('#new-width', (e) => { e.value = '100'; });
    await page.$eval('#new-name', (e) => { e.value = 'cave'; });
    await page.click('#new-ok');
    await page.waitForSelector('#new-dialog:not([open])');
    const state = await page.evaluate(() => window.mottlerPage.state());
    assert.equal(state.width, 100);
    assert.equal(state.height, 48);
    assert.equal(await page.title(), 'Mottler - cave.mlr');
    await settled(page);
    assert.equal((await canvasPixels(page)).length, 100 * 48 * 3);
    await page.close();
  });
});

describe('opening', () => {
  test('a program dropped on the page opens; the file picker takes one too', async () => {
    const { page, errors } = await openPage(browser, url);
    const name = exampleNames[1];
    const bytes = fs.readFileSync(path.join(examples, name)).toString('base64');
    await page.evaluate((data, n) => {
      const raw = Uint8Array.from(atob(data), (c) => c.charCodeAt(0));
      const transfer = new DataTransfer();
      transfer.items.add(new File([raw], n));
      document.querySelector('main').dispatchEvent(
        new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
    }, bytes, name);
    await page.waitForFunction((n) => window.mottlerPage.state().documentPath === n, {}, name);
    await settled(page);
    assert.ok((await canvasPixels(page)).equals(bitmapPixels(nativeBitmap(name)).pixels));
    assert.equal(await page.$eval('#status', (e) => e.textContent), ` ${name} loaded`);

    const other = exampleNames[2];
    await (await page.$('#open-file')).uploadFile(path.join(examples, other));
    await page.waitForFunction((n) => window.mottlerPage.state().documentPath === n, {}, other);
    await settled(page);
    assert.ok((await canvasPixels(page)).equals(bitmapPixels(nativeBitmap(other)).pixels));
    assert.equal(await page.title(), `Mottler - ${other}`);
    assert.deepEqual(errors, []);
    await page.close();
  });
});

describe('preview', () => {
  test('after a burst of slider steps the preview shows the program as it ends', async () => {
    const { page, downloads } = await openPage(browser, url);
    const name = 'ember-glow.mlr';
    await openExample(page, name);
    // The first entry: every step reruns the whole program.
    await page.click('#program option:first-child');
    const k = await page.evaluate(() => window.mottlerPage.state().rows.findIndex((x) => x.enabled));
    const before = await page.evaluate(() => window.mottlerPage.drawn.length);
    await page.focus(`#param-${k}`);
    for (let i = 0; i < 20; ++i) await page.keyboard.press('ArrowRight', { delay: 0 });
    await settled(page);
    const runs = await page.evaluate((b) => window.mottlerPage.drawn.length - b, before);
    assert.ok(runs >= 1 && runs <= 20, `${runs} runs for 20 steps`);
    console.log(`${runs} runs for 20 steps`);

    const saved = await downloaded(downloads, name, () => page.click('#save'));
    const program = path.join(scratch, 'burst.mlr');
    fs.writeFileSync(program, saved);
    const out = path.join(scratch, 'burst.bmp');
    execFileSync(render, [program, '-o', out]);
    assert.ok((await canvasPixels(page)).equals(bitmapPixels(fs.readFileSync(out)).pixels));
    await page.close();
  });
});

describe('Export at Size', () => {
  const name = 'ember-glow.mlr';
  const stem = name.replace(/\.mlr$/, '');

  async function openSizeDialog(page) {
    await page.focus('#export-size');
    await page.keyboard.press('Enter');
    await page.waitForSelector('#size-dialog[open]');
  }
  async function exportAt(page, downloads, scale, type) {
    await page.select('#size-scale', String(scale));
    await page.select('#size-type', type);
    return downloaded(downloads, `${stem}.${type}`, () => page.click('#size-export'));
  }

  test('offers the design size to 16 times it with their pixel sizes', async () => {
    const { page } = await openPage(browser, url);
    await openExample(page, name);
    await openSizeDialog(page);
    assert.equal(await page.evaluate(() => document.activeElement.id), 'size-scale');
    const { width, height } = await page.evaluate(() => window.mottlerPage.state());
    const offered = await page.$$eval('#size-scale option', (os) => os.map((o) => [o.value, o.text]));
    assert.deepEqual(offered, [1, 2, 4, 8, 16].map((s) =>
      [String(s), `${width * s} × ${height * s} (${s === 1 ? 'design size' : `×${s}`})`]));
    // Escape closes it and gives the focus back to the button.
    await page.keyboard.press('Escape');
    await page.waitForSelector('#size-dialog:not([open])');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'export-size');
    await page.close();
  });

  for (const [scale, type] of [[2, 'bmp'], [2, 'png'], [1, 'bmp']]) {
    test(`×${scale} as ${type} is the native renderer's --scale ${scale} texture`, async () => {
      const { page, downloads, errors } = await openPage(browser, url);
      await openExample(page, name);
      await openSizeDialog(page);
      const exported = await exportAt(page, downloads, scale, type);
      const native = nativeBitmap(name, scale);
      if (type === 'bmp') assert.ok(exported.equals(native), 'exported bitmap differs');
      else assert.ok(pngPixels(exported).pixels.equals(bitmapPixels(native).pixels), 'PNG differs');
      await page.waitForFunction(() => !document.querySelector('#size-export').disabled);
      assert.equal(await page.$eval('#size-status', (e) => e.textContent), `${stem}.${type} saved`);
      assert.equal(await page.$eval('#size-close', (e) => e.textContent), 'Close');
      assert.deepEqual(errors, []);
      await page.close();
    });
  }

  test('the preview follows edits made while an export runs; the export keeps its program', async () => {
    const { page, downloads, errors } = await openPage(browser, url);
    await openExample(page, name);
    await openSizeDialog(page);
    await page.select('#size-scale', '2');
    await page.select('#size-type', 'bmp');
    const exported = downloaded(downloads, `${stem}.bmp`, () => page.click('#size-export'));
    // The edit after Export was pressed (the status is empty until then).
    await page.waitForFunction(() => document.querySelector('#size-status').textContent !== '');
    const before = await page.evaluate(() => window.mottlerPage.drawn.length);
    await page.focus('#seed');
    await page.keyboard.press('ArrowRight');
    assert.ok((await exported).equals(nativeBitmap(name, 2)), 'the export took the later edit');
    await settled(page);
    assert.ok(await page.evaluate((b) => window.mottlerPage.drawn.length > b, before));
    const saved = await downloaded(downloads, name, () => page.click('#save'));
    const program = path.join(scratch, 'during-export.mlr');
    fs.writeFileSync(program, saved);
    const out = path.join(scratch, 'during-export.bmp');
    execFileSync(render, [program, '-o', out]);
    assert.ok((await canvasPixels(page)).equals(bitmapPixels(fs.readFileSync(out)).pixels));
    assert.deepEqual(errors, []);
    await page.close();
  });

  test('Cancel stops an export: no file, and the dialog exports again', async () => {
    const { page, downloads, errors } = await openPage(browser, url);
    await openExample(page, name);
    await openSizeDialog(page);
    // The largest: it takes long enough to be cancelled on any machine.
    await page.select('#size-scale', '16');
    await page.select('#size-type', 'bmp');
    await page.click('#size-export');
    assert.equal(await page.$eval('#size-status', (e) => e.textContent), 'Rendering...');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'size-close');
    await page.keyboard.press('Enter');  // the focused Cancel
    assert.equal(await page.$eval('#size-status', (e) => e.textContent), 'Export cancelled');
    assert.equal(await page.$eval('#size-dialog', (d) => d.open), true);
    assert.equal(await page.$eval('#size-export', (b) => b.disabled), false);
    await new Promise((r) => setTimeout(r, 1500));
    assert.ok(!fs.existsSync(path.join(downloads, `${stem}.bmp`)), 'a cancelled export downloaded');
    const again = await exportAt(page, downloads, 1, 'bmp');
    assert.ok(again.equals(nativeBitmap(name)));
    assert.deepEqual(errors, []);
    await page.close();
  });
});

describe('preview without a worker canvas', () => {
  // Browsers that cannot hand a canvas to a worker: the page draws the planes.
  const noHandOver = () => { delete HTMLCanvasElement.prototype.transferControlToOffscreen; };

  test('shows the same texture, tiled view and buffer', async () => {
    const { page, errors } = await openPage(browser, url, noHandOver);
    const name = 'buffer-weave.mlr';
    await openExample(page, name);
    const { width, pixels } = bitmapPixels(nativeBitmap(name));
    assert.ok((await canvasPixels(page)).equals(pixels));
    await page.click('#tiled');
    const tiled = await canvasPixels(page);
    assert.equal(tiled.length, pixels.length * 9);
    assert.ok(tiled.subarray(width * 3, width * 6).equals(pixels.subarray(0, width * 3)));
    await page.click('#tiled');
    await page.click('#look-buffer');
    assert.ok(!(await canvasPixels(page)).equals(pixels), 'the buffer differs from the texture');
    await page.click('#look-buffer');
    assert.ok((await canvasPixels(page)).equals(pixels));
    assert.deepEqual(errors, []);
    await page.close();
  });
});

describe('speed', () => {
  // Selects the entry nearest to `from` (going towards `step`) that has a
  // parameter, steps its first slider up and back, and gives the medians of
  // the times until the picture was in the canvas and until the frame that
  // shows it began.
  async function measure(page, from, step) {
    let k = -1;
    for (let r = from; k < 0; r += step) {
      await page.click(`#program option:nth-child(${r + 1})`);
      k = await page.evaluate(() => window.mottlerPage.state().rows.findIndex((x) => x.enabled));
    }
    await page.focus(`#param-${k}`);
    const first = await page.evaluate(() => window.mottlerPage.timings.length);
    for (let i = 0; i < 15; ++i) {
      const count = await page.evaluate(() => window.mottlerPage.timings.length);
      await page.keyboard.press(i % 2 === 0 ? 'ArrowRight' : 'ArrowLeft');
      await page.waitForFunction((c) => window.mottlerPage.timings.length > c, { polling: 20 }, count);
    }
    const { shown, drawn } = await page.evaluate((f) => ({
      shown: window.mottlerPage.timings.slice(f), drawn: window.mottlerPage.drawn.slice(f) }), first);
    return { drawn: median(drawn), shown: median(shown), worst: Math.max(...shown) };
  }

  test('a slider step reaches the painted preview, for the last and the first entry', async () => {
    const { page } = await openPage(browser, url);
    const rows = [];
    for (const name of exampleNames) {
      await openExample(page, name);
      const length = await page.evaluate(() => window.mottlerPage.state().programLength);
      // The last entry reruns from its snapshot on; the first reruns everything.
      const last = await measure(page, length - 1, -1);
      const whole = await measure(page, 0, 1);
      rows.push({ name, last, whole });
    }
    const report = process.env.MOTTLER_WEB_TIMINGS;
    if (report) fs.writeFileSync(report, JSON.stringify(rows, null, 1));
    const ms = (t) => `${t.drawn.toFixed(1)} / ${t.shown.toFixed(1)} (worst ${t.worst.toFixed(1)})`;
    for (const r of rows) console.log(`${r.name.padEnd(26)} last ${ms(r.last)}  first ${ms(r.whole)}`);
    await page.close();
  });
});

describe('accessibility', () => {
  test('Tab reaches every control that works', async () => {
    const { page } = await openPage(browser, url);
    await openExample(page, exampleNames[0]);
    await page.click('#program option:first-child');
    const wanted = await page.evaluate(() => [...document.querySelectorAll('button, input, select')]
      .filter((e) => !e.disabled && !e.hidden && !e.closest('dialog')).map((e) => e.id));
    await page.focus('#new');
    const reached = new Set();
    for (let i = 0; i < wanted.length + 5; ++i) {
      reached.add(await page.evaluate(() => document.activeElement.id));
      await page.keyboard.press('Tab');
    }
    assert.deepEqual(wanted.filter((id) => !reached.has(id)), []);
    await page.close();
  });

  test('the page and its dialogs have no violations in the audit', async () => {
    const require = createRequire(import.meta.url);
    const { page } = await openPage(browser, url);
    await openExample(page, exampleNames[0]);
    await page.click('#program option:first-child');
    await page.addScriptTag({ path: require.resolve('axe-core/axe.min.js') });
    const audit = () => page.evaluate(async () => {
      const result = await window.axe.run(document);
      return result.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`);
    });
    assert.deepEqual(await audit(), []);
    // The save prompt (the selection marked the program changed), then "New".
    await page.click('#new');
    await page.waitForSelector('#prompt-dialog[open]');
    assert.deepEqual(await audit(), []);
    await page.click('#prompt-dialog button[value="no"]');
    await page.waitForSelector('#new-dialog[open]');
    assert.deepEqual(await audit(), []);
    await page.click('#new-cancel');
    // "Export at Size…", idle and while it renders.
    await page.click('#export-size');
    await page.waitForSelector('#size-dialog[open]');
    assert.deepEqual(await audit(), []);
    await page.select('#size-scale', '4');
    await page.click('#size-export');
    assert.deepEqual(await audit(), []);
    await page.click('#size-close');
    await page.click('#size-close');
    await page.waitForSelector('#size-dialog:not([open])');

    const shot = process.env.MOTTLER_WEB_SCREENSHOT;
    if (shot) {
      await page.screenshot({ path: shot });
    }
    await page.close();
  });
});
