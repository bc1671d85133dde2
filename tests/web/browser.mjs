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
           '--disable-component-update', '--disable-sync', '--disable-dev-shm-usage', '--force-color-profile=srgb'],
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
  // Asked every 20 ms, not at each animation frame: an injected clock has
  // taken the frames.
  await page.waitForFunction(() => performance.getEntriesByName('bumpwright-first-frame').length > 0,
                             { polling: 20 });
  return page;
}

export const decodePng = (bytes) => PNG.sync.read(Buffer.from(bytes));
export const readPng = (file) => decodePng(readFileSync(file));

// The playfield as the screen shows it, in device pixels: the screenshot of
// the whole window, cut where the canvas lies, 250 x 200 times the zoom.
export async function shownCanvas(page) {
  const at = await page.evaluate(() => {
    const r = document.querySelector('canvas').getBoundingClientRect(), ratio = devicePixelRatio;
    const { zoom } = bumpwright.state();
    return { x: Math.round(r.left * ratio), y: Math.round(r.top * ratio), width: 250 * zoom, height: 200 * zoom };
  });
  const whole = decodePng(await page.screenshot());
  const cut = { width: at.width, height: at.height, data: Buffer.alloc(at.width * at.height * 4) };
  for (let y = 0; y < at.height; ++y)
    whole.data.copy(cut.data, y * at.width * 4, ((at.y + y) * whole.width + at.x) * 4,
                    ((at.y + y) * whole.width + at.x + at.width) * 4);
  return cut;
}

// The page's clock, injected before its script runs: performance.now and
// requestAnimationFrame answer to window.clock, which the test moves on a
// frame at a time (clock.frame(ms)), by whole stretches of frames
// (clock.advance), or without frames (clock.pass, as in a background tab).
export function injectedClock() {
  let now = 1000, waiting = [];
  performance.now = () => now;
  window.requestAnimationFrame = (callback) => waiting.push(callback);
  window.clock = {
    frame(ms) {
      now += ms;
      const due = waiting;
      waiting = [];
      for (const callback of due) callback(now);
    },
    pass(ms) {
      now += ms;
    },
    advance(total, every = 20) {
      for (let t = 0; t < total; t += every) this.frame(Math.min(every, total - t));
    },
  };
}

// A key script (TICK:+KEY or TICK:-KEY, comma-separated) as [tick, key, down].
export const parseKeys = (text) => text.split(',').filter(Boolean).map((event) => {
  const [, tick, sign, key] = /^(\d+):([+-])(Z|X|SPACE)$/.exec(event);
  return [Number(tick), key, sign === '+'];
});

export const keyScriptOf = (file) => readFileSync(file, 'utf8').split('\n')
  .filter((line) => line && !line.startsWith('#')).join(',');

// bwtool simulate's answer for a table, a key script and a number of ticks.
export function simulate(table, keys, ticks) {
  const out = bwtool('simulate', table, '--ticks', String(ticks), '--keys', keys, '--checksum');
  return { checksum: /checksum (\w+)/.exec(out)[1], score: Number(/score (\d+)/.exec(out)[1]) };
}
