// The page's clock, injected: a tick for every 20 ms the page is visible
// after Start (give or take one), whatever the frames' lengths; at most 5
// ticks in one frame after a stall, and none while the page is hidden.
import { test, after } from 'node:test';
import assert from 'node:assert/strict';
import path from 'node:path';
import { EXAMPLES, injectedClock, launch, open, pageOf, scratch } from './browser.mjs';

const dir = scratch();
const file = pageOf(path.join(EXAMPLES, 'classic.bwt'), dir);
const browser = await launch();
after(() => browser.close());

// A small window: the frames' drawing costs little.
async function started() {
  const page = await open(browser, file, { width: 300, height: 360, deviceScaleFactor: 1 }, injectedClock);
  await page.click('header button');
  return page;
}

// Runs frames of the given lengths (ms); the ticks played after each, and
// the time since Start.
const frames = (page, lengths) => page.evaluate((lengths) => {
  let time = 0;
  return lengths.map((ms) => {
    clock.frame(ms);
    time += ms;
    return [time, bumpwright.state().ticks];
  });
}, lengths);

const assertOnTime = (seen) => {
  for (const [time, ticks] of seen)
    assert.ok(Math.abs(ticks - Math.floor(time / 20)) <= 1, `${ticks} ticks after ${time} ms`);
};

test('a minute of frames at 60 Hz plays 3,000 ticks, on time all along', async () => {
  const page = await started();
  const seen = await frames(page, Array(3600).fill(1000 / 60));
  assertOnTime(seen);
  assert.ok(Math.abs(seen.at(-1)[1] - 3000) <= 1, `${seen.at(-1)[1]} ticks`);
  await page.close();
});

test('frames of any length up to a tenth of a second keep the ticks on time', async () => {
  const page = await started();
  let seed = 7;
  const lengths = Array.from({ length: 2000 }, () => (seed = (seed * 1103515245 + 12345) % 2147483648) % 97 + 1);
  assertOnTime(await frames(page, lengths));
  await page.close();
});

test('after a stall the game catches up 5 ticks, then goes on at its pace', async () => {
  const page = await started();
  const before = (await frames(page, [20, 20, 20])).at(-1)[1];
  const [[, afterStall]] = await frames(page, [1000]);
  assert.equal(afterStall - before, 5);
  const later = await frames(page, Array(50).fill(20));
  assert.equal(later.at(-1)[1] - afterStall, 50);
  await page.close();
});

test('no ticks while the page is hidden, and no catching up when it shows again', async () => {
  const page = await started();
  const shown = (await frames(page, Array(50).fill(20))).at(-1)[1];
  const setHidden = (hidden) => page.evaluate((hidden) => {
    Object.defineProperty(document, 'hidden', { configurable: true, get: () => hidden });
    document.dispatchEvent(new Event('visibilitychange'));
  }, hidden);
  await setHidden(true);
  assert.equal((await frames(page, Array(100).fill(100))).at(-1)[1], shown);
  await page.evaluate(() => clock.pass(10000));
  await setHidden(false);
  const back = await frames(page, Array(50).fill(20));
  assert.ok(Math.abs(back.at(-1)[1] - shown - 50) <= 1, `${back.at(-1)[1] - shown} ticks in the second after`);
  await page.close();
});
