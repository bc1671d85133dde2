// The page played with the keyboard alone: Enter on the focused Start, then
// Z, X and SPACE as in the program (a held SPACE's repeats charge the
// cannon) give the game bwtool simulate plays with the same key script;
// leaving the page lets go of the keys.
import { test, after } from 'node:test';
import assert from 'node:assert/strict';
import path from 'node:path';
import { EXAMPLES, SOURCE_DIR, injectedClock, keyScriptOf, launch, open, pageOf, parseKeys, scratch, shownCanvas,
         simulate } from './browser.mjs';

const dir = scratch();
const table = path.join(EXAMPLES, 'classic.bwt');
const file = pageOf(table, dir);
const browser = await launch();
after(() => browser.close());

const KEYS = { Z: 'z', X: 'x', SPACE: ' ' };

// Plays `events` ([tick, key, down], or [tick, action] for anything else
// to do) with real key presses, each before its tick, on the injected
// clock: a tick every 20 ms. A key-down of a key already down is the key's
// repeat, as a held key sends it.
async function playKeys(page, events, ticks) {
  let played = 0;
  for (const [tick, key, down] of [...events, [ticks + 1]]) {
    await page.evaluate((n) => clock.advance(20 * n), tick - 1 - played);
    played = tick - 1;
    if (typeof key === 'function') await key();
    else if (key) await (down ? page.keyboard.down(KEYS[key]) : page.keyboard.up(KEYS[key]));
  }
  return page.evaluate(() => bumpwright.state());
}

test('the classic key script played on the keyboard is the game bwtool simulate plays', async () => {
  const keys = keyScriptOf(path.join(SOURCE_DIR, 'examples/classic.keys'));
  const page = await open(browser, file, undefined, injectedClock);
  assert.equal(await page.evaluate(() => document.activeElement.textContent), 'Start');
  await page.keyboard.press('Enter');
  const played = await playKeys(page, parseKeys(keys), 3600);
  const expected = simulate(table, keys, 3600);
  assert.equal(played.ticks, 3600);
  assert.ok(expected.score > 0, 'the game scores');
  assert.equal(played.score, expected.score);
  assert.equal(played.checksum, expected.checksum);
  // SPACE never pressed the focused "Start again": the game went on.
  assert.equal(await page.evaluate(() => document.querySelector('header button').textContent), 'Start again');
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('a held Z raises the left flippers on screen', async () => {
  const page = await open(browser, file, undefined, injectedClock);
  await page.keyboard.press('Enter');
  await page.evaluate(() => clock.advance(100));
  const down = await shownCanvas(page);
  await page.keyboard.down('z');
  await page.evaluate(() => clock.advance(100));
  const up = await shownCanvas(page);
  await page.keyboard.up('z');
  await page.evaluate(() => clock.advance(100));
  const back = await shownCanvas(page);
  // The left flippers' corner of the playfield (the ball is in the lane on
  // the right), in playfield pixels.
  const changed = (a, b) => {
    const zoom = a.width / 250;
    let n = 0;
    for (let y = 150 * zoom; y < 200 * zoom; ++y)
      for (let x = 80 * zoom; x < 130 * zoom; ++x) {
        const i = (y * a.width + x) * 4;
        if (a.data.readUInt32LE(i) !== b.data.readUInt32LE(i)) ++n;
      }
    return n;
  };
  assert.ok(changed(down, up) > 20, 'the flipper moved up');
  assert.equal(changed(down, back), 0, 'and back down');
  await page.close();
});

test('leaving the page lets go of the held keys: a charging cannon fires as at a key-up', async () => {
  const page = await open(browser, file, undefined, injectedClock);
  await page.keyboard.press('Enter');
  const charge = '1:+Z,1:+SPACE,2:+SPACE,3:+SPACE,4:+SPACE,5:+SPACE,6:+SPACE,7:+SPACE,8:+SPACE';
  const leave = () => page.evaluate(() => window.dispatchEvent(new Event('blur')));
  const played = await playKeys(page, [...parseKeys(charge), [30, leave]], 400);
  const expected = simulate(table, charge + ',30:-Z,30:-X,30:-SPACE', 400);
  assert.notEqual(simulate(table, charge, 400).checksum, expected.checksum, 'the shot makes another game');
  assert.equal(played.checksum, expected.checksum);
  await page.keyboard.up(' ');
  await page.keyboard.up('z');
  await page.close();
});
