// Every recorded game of tests/replays plays in the browser to its recorded
// checksums: its table made into a page by bwtool page, its keys played
// through the page's test entry, bumpwright.play(keys, ticks).
import { test, after } from 'node:test';
import assert from 'node:assert/strict';
import { readdirSync, readFileSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { EXAMPLES, SOURCE_DIR, bwtool, keyScriptOf, launch, open, pageOf, scratch, simulate } from './browser.mjs';

const dir = scratch();
const browser = await launch();
after(() => browser.close());
const replays = path.join(SOURCE_DIR, 'tests/replays');

const names = readdirSync(replays).filter((f) => f.endsWith('.bwr')).sort();
test('the corpus is there', () => assert.ok(names.length >= 10));

for (const name of names) {
  test(`${name} plays in the browser to its checksums`, async () => {
    const lines = readFileSync(path.join(replays, name), 'utf8').split(/\r?\n/);
    const value = (key) => lines.filter((l) => l.startsWith(key + ' ')).map((l) => l.slice(key.length + 1));
    assert.equal(value('random')[0], '1', 'a game from the table\'s start, as a page plays it');
    const text = path.join(dir, name + '.txt'), table = path.join(dir, name + '.bwt');
    writeFileSync(text, lines.slice(lines.indexOf('table') + 1, lines.indexOf('end replay')).join('\n'));
    bwtool('build', text, table);
    const page = await open(browser, pageOf(table, dir, name));
    const played = await page.evaluate((keys, ticks) => bumpwright.play(keys, ticks),
                                       value('keys').join(','), Number(value('ticks')[0]));
    assert.equal(played.checksum, value('checksum')[0]);
    assert.equal(played.score, Number(value('score')[0]));
    assert.deepEqual(played.checks, value('check').map((c) => c.split(' ')[1]));
    await page.close();
  });
}

test('the test entry plays as bwtool simulate does, and refuses what simulate refuses', async () => {
  const table = path.join(EXAMPLES, 'classic.bwt');
  const page = await open(browser, pageOf(table, dir));
  const keys = keyScriptOf(path.join(SOURCE_DIR, 'examples/classic.keys'));
  const played = await page.evaluate((keys) => bumpwright.play(keys, 3600), keys);
  const expected = simulate(table, keys, 3600);
  assert.equal(played.checksum, expected.checksum);
  assert.equal(played.score, expected.score);
  const refused = (keys, ticks) => page.evaluate((keys, ticks) => {
    try { bumpwright.play(keys, ticks); return ''; } catch (e) { return e.message; }
  }, keys, ticks);
  assert.match(await refused('5:+Q', 10), /unknown key 'Q'/);
  assert.match(await refused('5+Z', 10), /malformed key event '5\+Z'/);
  assert.match(await refused('', -1), /whole number/);
  assert.match(await refused('', 1.5), /whole number/);
  // The game on screen is another, untouched by the test entry.
  assert.deepEqual(await page.evaluate(() => bumpwright.state().ticks), 0);
  await page.close();
});
