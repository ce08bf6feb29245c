// What the page's browser tests share: a static server for the built site,
// headless Chromium driven by puppeteer-core, downloads into a folder, and
// the pixels of the preview canvas and of bitmap files.
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import assert from 'node:assert/strict';
import zlib from 'node:zlib';
import puppeteer from 'puppeteer-core';

export const site = process.env.MOTTLER_SITE;
export const render = process.env.MOTTLER_RENDER;
export const editScript = process.env.MOTTLER_EDIT_SCRIPT;
export const examples = process.env.MOTTLER_EXAMPLES;

const types = {
  '.html': 'text/html', '.css': 'text/css', '.js': 'text/javascript',
  '.wasm': 'application/wasm', '.json': 'application/json', '.mlr': 'application/octet-stream',
};

// A plain static server over the site folder, as any static host would be.
export function serve(root) {
  const server = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://localhost');
    const file = path.join(root, decodeURIComponent(url.pathname === '/' ? '/index.html' : url.pathname));
    if (!file.startsWith(root) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

export async function launch() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'mottler-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.MOTTLER_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           `--user-data-dir=${profile}`],
  });
  browser.on('disconnected', () => {
    try {
      fs.rmSync(profile, { recursive: true, force: true, maxRetries: 10, retryDelay: 100 });
    } catch {
      // Chromium's last writes into its profile; the system cleans its temporary folder.
    }
  });
  return browser;
}

// A fresh page of the site whose downloads land in a folder of their own.
export async function openPage(browser, url, beforeLoad = null) {
  const page = await browser.newPage();
  if (beforeLoad) await page.evaluateOnNewDocument(beforeLoad);
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  await page.setViewport({ width: 1280, height: 900 });
  const downloads = fs.mkdtempSync(path.join(os.tmpdir(), 'mottler-downloads-'));
  const cdp = await page.createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  await page.goto(url);
  await page.waitForSelector('body[data-ready]');
  return { page, downloads, errors };
}

// The bytes of a file the page downloads by an action (within 15 s: a loaded
// machine can take seconds to encode and hand over a picture).
export async function downloaded(downloads, name, action) {
  const file = path.join(downloads, name);
  fs.rmSync(file, { force: true });
  await action();
  for (let i = 0; i < 600; ++i) {
    if (fs.existsSync(file)) {
      const bytes = fs.readFileSync(file);
      await new Promise((r) => setTimeout(r, 30));
      if (fs.readFileSync(file).length === bytes.length) return bytes;
    }
    await new Promise((r) => setTimeout(r, 25));
  }
  throw new Error(`no download ${name}`);
}

// Waits until the preview shows the last edit.
export async function settled(page) {
  await page.waitForFunction(() => window.mottlerPage.idle(), { polling: 20 });
}

export async function openExample(page, name) {
  await page.select('#examples', name);
  await page.click('#open-example');
  await page.waitForFunction((n) => window.mottlerPage.state().documentPath === n, {}, name);
  await settled(page);
}

// The preview canvas's pixels, red, green, blue (the opaque alpha left out).
export async function canvasPixels(page) {
  const base64 = await page.evaluate(async () => {
    const data = await window.mottlerPage.previewPixels();
    let s = '';
    for (let i = 0; i < data.length; i += 4) s += String.fromCharCode(data[i], data[i + 1], data[i + 2]);
    return btoa(s);
  });
  return Buffer.from(base64, 'base64');
}

// The pixels of a 24-bit bottom-up bitmap, top row first, red, green, blue.
export function bitmapPixels(bmp) {
  const offset = bmp.readUInt32LE(10);
  const width = bmp.readInt32LE(18);
  const height = bmp.readInt32LE(22);
  const rowLength = (3 * width + 3) & ~3;
  const out = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; ++y) {
    const row = offset + (height - 1 - y) * rowLength;
    for (let x = 0; x < width; ++x) {
      const o = (y * width + x) * 3;
      out[o] = bmp[row + 3 * x + 2];
      out[o + 1] = bmp[row + 3 * x + 1];
      out[o + 2] = bmp[row + 3 * x];
    }
  }
  return { width, height, pixels: out };
}

export const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const mid = sorted.length >> 1;
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
};

// The pixels of an 8-bit RGB or RGBA PNG without interlacing (what a
// browser's encoder writes), red, green, blue.
export function pngPixels(png) {
  assert.ok(png.subarray(0, 8).equals(Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a])));
  let width = 0;
  let height = 0;
  let channels = 0;
  const data = [];
  for (let at = 8; at < png.length;) {
    const length = png.readUInt32BE(at);
    const type = png.toString('latin1', at + 4, at + 8);
    const body = png.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      assert.equal(body[8], 8, 'bit depth');
      channels = { 2: 3, 6: 4 }[body[9]];
      assert.ok(channels, `colour type ${body[9]}`);
      assert.equal(body[12], 0, 'interlace');
    } else if (type === 'IDAT') {
      data.push(body);
    }
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const rows = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let i = 0; i < stride; ++i) {
      const a = i >= channels ? rows[y * stride + i - channels] : 0;
      const b = y > 0 ? rows[(y - 1) * stride + i] : 0;
      const c = i >= channels && y > 0 ? rows[(y - 1) * stride + i - channels] : 0;
      const p = a + b - c;
      const paeth = Math.abs(p - a) <= Math.abs(p - b) && Math.abs(p - a) <= Math.abs(p - c) ? a
        : Math.abs(p - b) <= Math.abs(p - c) ? b : c;
      const predictor = [0, a, b, (a + b) >> 1, paeth][filter];
      rows[y * stride + i] = (line[i] + predictor) & 255;
    }
  }
  const out = Buffer.alloc(width * height * 3);
  for (let i = 0; i < width * height; ++i) rows.copy(out, i * 3, i * channels, i * channels + 3);
  return { width, height, pixels: out };
}
