// The page played by touch alone, on a phone: a tap on Start, the launch
// control held charges the cannon as a held SPACE does (its repeats), and
// the flipper controls take several fingers at once.
import { test, after } from 'node:test';
import assert from 'node:assert/strict';
import path from 'node:path';
import { EXAMPLES, injectedClock, launch, open, pageOf, scratch, shownCanvas, simulate } from './browser.mjs';

const dir = scratch();
const table = path.join(EXAMPLES, 'classic.bwt');
const file = pageOf(table, dir);
const browser = await launch();
after(() => browser.close());
const PHONE = { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true };

const centre = (page, selector) => page.$eval(selector, (el) => {
  const r = el.getBoundingClientRect();
  return [r.left + r.width / 2, r.top + r.height / 2];
});
const ticks = (page, n) => page.evaluate((n) => clock.advance(20 * n), n);

async function startByTouch() {
  const page = await open(browser, file, PHONE, injectedClock);
  const [x, y] = await centre(page, 'header button');
  await page.touchscreen.tap(x, y);
  assert.equal((await page.evaluate(() => bumpwright.state())).playing, true);
  return page;
}

test('the launch control held for a second fires the ball at full power, and the score grows', async () => {
  const page = await startByTouch();
  const [x, y] = await centre(page, '.launch');
  const finger = await page.touchscreen.touchStart(x, y);
  await ticks(page, 40);
  await finger.end();
  await ticks(page, 360);
  const played = await page.evaluate(() => bumpwright.state());
  // A full charge: ten key-downs (the key's and its repeats') before the key-up.
  const expected = simulate(table, '1:+SPACE,2:+SPACE,3:+SPACE,4:+SPACE,5:+SPACE,6:+SPACE,7:+SPACE,8:+SPACE,' +
                                   '9:+SPACE,10:+SPACE,41:-SPACE', 400);
  assert.equal(played.checksum, expected.checksum);
  assert.ok(played.score > 0);
  assert.equal(await page.$eval('header span', (s) => s.textContent), 'Score: ' + played.score);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('fingers on both flipper controls at once raise both sides; a side falls when its last finger lifts', async () => {
  const page = await startByTouch();
  await ticks(page, 5);
  const rest = await shownCanvas(page);
  // How much of each side's flipper corner differs from the flippers at rest.
  const moved = async () => {
    await ticks(page, 5);
    const now = await shownCanvas(page), zoom = now.width / 250;
    const count = (x0, x1) => {
      let n = 0;
      for (let y = 150 * zoom; y < 200 * zoom; ++y)
        for (let x = x0 * zoom; x < x1 * zoom; ++x)
          if (now.data.readUInt32LE((y * now.width + x) * 4) !== rest.data.readUInt32LE((y * now.width + x) * 4)) ++n;
      return n;
    };
    return { left: count(80, 118) > 20, right: count(132, 170) > 20 };
  };
  const [lx, ly] = await centre(page, '.controls div:first-child');
  const [rx, ry] = await centre(page, '.controls div:last-child');
  const left1 = await page.touchscreen.touchStart(lx, ly);
  const right = await page.touchscreen.touchStart(rx, ry);
  assert.deepEqual(await moved(), { left: true, right: true });
  const left2 = await page.touchscreen.touchStart(lx + 20, ly + 20);
  await left1.end();
  assert.deepEqual(await moved(), { left: true, right: true }, 'a second finger still holds the left side');
  await left2.end();
  assert.deepEqual(await moved(), { left: false, right: true });
  await right.end();
  assert.deepEqual(await moved(), { left: false, right: false });
  await page.close();
});
