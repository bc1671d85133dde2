// What the browser tests share: Debian's Chromium, headless, driven through
// puppeteer-core; pages made by bwtool page; screenshots as pixels.
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';
import { PNG } from 'pngjs';

export const SOURCE_DIR = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
export const BWTOOL = process.env.BW_BWTOOL || path.join(SOURCE_DIR, 'build/native/bwtool');
export const EXAMPLES = process.env.BW_EXAMPLES || path.join(SOURCE_DIR, 'build/native/examples');
export const CHROMIUM = process.env.BW_CHROMIUM || '/usr/bin/chromium';

export const scratch = () => mkdtempSync(path.join(tmpdir(), 'bw-page-'));
export const bwtool = (...args) => execFileSync(BWTOOL, args, { encoding: 'utf8' });

// The page of a table file, written by bwtool page into `dir`.
export function pageOf(table, dir, name = path.basename(table, '.bwt')) {
  const out = path.join(dir, name + '.html');
  bwtool('page', table, out);
  return out;
}

// As root, Chromium needs no sandbox; the background-networking switches
// keep it from reaching for a network this machine does not have.
export function launch() {
  return puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--disable-dev-shm-usage'],
  });
}

// Opens `file` in a new tab at the viewport given, and waits for its first frame.
export async function open(browser, file, viewport = { width: 1024, height: 768, deviceScaleFactor: 1 }, before) {
  const page = await browser.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  page.errors = errors;
  await page.setViewport(viewport);
  if (before) await page.evaluateOnNewDocument(before);
  await page.goto('file://' + file);
  await page.waitForFunction(() => performance.getEntriesByName('bumpwright-first-frame').length > 0);
  return page;
}

export const decodePng = (bytes) => PNG.sync.read(Buffer.from(bytes));
export const readPng = (file) => decodePng(readFileSync(file));

// The canvas as the screen shows it, in device pixels.
export async function shownCanvas(page) {
  const box = await page.evaluate(() => {
    const r = document.querySelector('canvas').getBoundingClientRect();
    return { x: r.left, y: r.top, width: r.width, height: r.height };
  });
  return decodePng(await page.screenshot({ clip: box, captureBeyondViewport: false }));
}
