// The web page's benchmarks (figures, not tests), in Debian's Chromium,
// headless: the time from opening a page to its first frame; the page's
// ticks per second against the native bwtool simulate on the same table
// and keys, in the same run; the ticks after 60 s of a visible page under
// an injected clock and under the real one.
//   node bench/web/page_bench.mjs     (after the native build; scripts/bench.sh runs it)
import { execFileSync } from 'node:child_process';
import path from 'node:path';
import { BWTOOL, EXAMPLES, SOURCE_DIR, injectedClock, keyScriptOf, launch, open, pageOf, scratch } from
  '../../tests/web/browser.mjs';

const dir = scratch();
const browser = await launch();
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const keys = keyScriptOf(path.join(SOURCE_DIR, 'examples/classic.keys'));
const TICKS = 1000000;

for (const table of ['classic', 'full']) {
  const bwt = path.join(EXAMPLES, table + '.bwt');
  const file = pageOf(bwt, dir);
  // Opening to first frame, each time in a fresh tab.
  const times = [];
  for (let i = 0; i < 15; ++i) {
    const page = await open(browser, file);
    times.push(await page.evaluate(() => performance.getEntriesByName('bumpwright-first-frame')[0].startTime));
    await page.close();
  }
  console.log(`${table}: first frame ${median(times).toFixed(1)} ms after opening (median of ${times.length};` +
              ` ${Math.min(...times).toFixed(1)} to ${Math.max(...times).toFixed(1)})`);
  // The core's speed: the same game in the page and natively, alternately, the best of five each.
  const page = await open(browser, file);
  // The native figure leaves out the process's start: a run of no ticks, timed the same way.
  const web = [], native = [], started = [];
  const timed = (ticks) => {
    const start = process.hrtime.bigint();
    execFileSync(BWTOOL, ['simulate', bwt, '--ticks', String(ticks), '--keys', keys, '--checksum']);
    return Number(process.hrtime.bigint() - start) / 1e6;
  };
  for (let i = 0; i < 5; ++i) {
    web.push(await page.evaluate((keys, n) => {
      const start = performance.now();
      bumpwright.play(keys, n);
      return performance.now() - start;
    }, keys, TICKS));
    native.push(timed(TICKS));
    started.push(timed(0));
  }
  await page.close();
  const webRate = TICKS / Math.min(...web) * 1000;
  const nativeRate = TICKS / Math.max(0.001, Math.min(...native) - Math.min(...started)) * 1000;
  console.log(`${table}: ${TICKS} ticks with classic.keys: page ${(webRate / 1e6).toFixed(2)} M ticks/s, ` +
              `native bwtool simulate ${(nativeRate / 1e6).toFixed(2)} M ticks/s (its start, ` +
              `${Math.min(...started).toFixed(1)} ms, left out): ` +
              `the page at ${(webRate / nativeRate).toFixed(2)} of native`);
}

// Ticks after 60 s of a visible page: the injected clock at 60 frames a second, then the real one.
const file = pageOf(path.join(EXAMPLES, 'classic.bwt'), dir);
const injected = await open(browser, file, undefined, injectedClock);
await injected.click('header button');
await injected.evaluate(() => clock.advance(60000, 1000 / 60));
console.log(`ticks after 60 s visible, injected clock at 60 Hz: ${(await injected.evaluate(() => bumpwright.state())).ticks}` +
            ' (60 s / 20 ms = 3000)');
const real = await open(browser, file);
await real.bringToFront();
const started = await real.evaluate(() => {
  document.querySelector('header button').click();
  return performance.now();
});
await new Promise((done) => setTimeout(done, 60000));
const [ticks, elapsed] = await real.evaluate(() => [bumpwright.state().ticks, performance.now()]);
console.log(`ticks after ${((elapsed - started) / 1000).toFixed(2)} s visible, real clock: ${ticks}` +
            ` (expected ${Math.floor((elapsed - started) / 20)})`);
await browser.close();
