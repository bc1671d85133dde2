// What the page shows before Start: the pixels of bwtool render, each a
// square of zoom x zoom device pixels, nothing smoothed, at the largest zoom
// that fits the window, on a desktop and on a phone's high-DPI screen.
import { test, after } from 'node:test';
import assert from 'node:assert/strict';
import { copyFileSync } from 'node:fs';
import path from 'node:path';
import { bwtool, EXAMPLES, launch, open, pageOf, readPng, scratch, shownCanvas } from './browser.mjs';

const dir = scratch();
const browser = await launch();
after(() => browser.close());

const screens = [
  ['desktop', { width: 1024, height: 768, deviceScaleFactor: 1 }],
  ['desktop at 3x', { width: 1280, height: 800, deviceScaleFactor: 3 }],
  ['phone at 3x', { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true }],
];

for (const table of ['classic', 'full']) {
  const file = pageOf(path.join(EXAMPLES, table + '.bwt'), dir);
  const rendered = path.join(dir, table + '.png');
  bwtool('render', path.join(EXAMPLES, table + '.bwt'), rendered);
  const expected = readPng(rendered);
  for (const [name, viewport] of screens) {
    test(`${table} on a ${name} screen shows bwtool render's pixels enlarged`, async () => {
      const page = await open(browser, file, viewport);
      const { zoom } = await page.evaluate(() => bumpwright.state());
      const shown = await shownCanvas(page);
      assert.equal(shown.width, 250 * zoom);
      assert.equal(shown.height, 200 * zoom);
      let wrong = 0, first = '';
      for (let y = 0; y < shown.height; ++y) {
        for (let x = 0; x < shown.width; ++x) {
          const s = (y * shown.width + x) * 4;
          const e = (Math.floor(y / zoom) * 250 + Math.floor(x / zoom)) * 4;
          if ([0, 1, 2].some((c) => shown.data[s + c] !== expected.data[e + c])) {
            if (!wrong++) first = `(${x}, ${y}): ${shown.data.slice(s, s + 3)} for ${expected.data.slice(e, e + 3)}`;
          }
        }
      }
      assert.equal(wrong, 0, `${wrong} device pixels differ, the first at ${first}`);
      // The largest zoom that fits: the playfield lies within the window,
      // between the bar and the controls, and one more would not.
      const room = await page.evaluate(() => ({
        top: document.querySelector('header').getBoundingClientRect().bottom,
        bottom: document.querySelector('.controls').getBoundingClientRect().top,
        canvas: document.querySelector('canvas').getBoundingClientRect().toJSON(),
      }));
      const ratio = viewport.deviceScaleFactor;
      assert.ok(room.canvas.left >= 0 && room.canvas.right <= viewport.width);
      assert.ok(room.canvas.top >= room.top && room.canvas.bottom <= room.bottom + 0.01);
      const controlsLeast = 72;
      assert.ok(250 * (zoom + 1) > viewport.width * ratio ||
                200 * (zoom + 1) > (viewport.height - room.top - controlsLeast) * ratio, `zoom ${zoom + 1} fits too`);
      assert.deepEqual(page.errors, []);
      await page.close();
    });
  }
}

test('the page is titled with the table\'s name', async () => {
  const named = path.join(dir, 'Flipper <Tisch> & Co.bwt');
  copyFileSync(path.join(EXAMPLES, 'classic.bwt'), named);
  const file = pageOf(named, dir, 'named');
  const page = await open(browser, file);
  assert.equal(await page.title(), 'Flipper <Tisch> & Co');
  assert.equal(await page.$eval('h1', (h) => h.textContent), 'Flipper <Tisch> & Co');
  await page.close();
});
