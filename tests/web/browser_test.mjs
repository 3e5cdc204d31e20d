// browser_test.mjs: the web page in headless Chromium (web/headless.mjs) against the native tool.
// Scripted runs must give particles-capture's last frame, frame stream (as a CRC-32)
// and log byte for byte; live runs must take the keyboard and the quit button as the demo does.
import { spawn } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import * as zlib from 'node:zlib';

import { keys, openBrowser } from '../../web/headless.mjs';

const [pageDir, capture] = process.argv.slice(2);
if (!pageDir || !capture) {
  console.error('usage: node browser_test.mjs PAGE_DIR PARTICLES_CAPTURE');
  process.exit(64);
}
const work = mkdtempSync(join(tmpdir(), 'particles-web-'));
const kFrameBytes = 320 * 240 * 2;
// CRC-32 as zlib computes it, chained: node's own from 20.15 on, else byte by byte (Debian's node 18).
const crcTable = Array.from({ length: 256 }, (_, n) => {
  for (let k = 0; k < 8; ++k) n = n & 1 ? 0xedb88320 ^ (n >>> 1) : n >>> 1;
  return n >>> 0;
});
const crc32 = zlib.crc32 ?? ((data, crc = 0) => {
  crc = ~crc;
  for (const b of Buffer.from(data)) crc = crcTable[(crc ^ b) & 0xff] ^ (crc >>> 8);
  return ~crc >>> 0;
});

// The native reference: particles-capture in a folder of its own, its --stream read as a CRC-32.
async function nativeCapture(name, args) {
  const dir = mkdtempSync(join(work, `${name}-`));
  const child = spawn(resolve(capture), [...args, '--raw', 'last.raw', '--stream'],
                      { cwd: dir, stdio: ['ignore', 'pipe', 'inherit'] });
  let streamCrc = 0, bytes = 0;
  child.stdout.on('data', (chunk) => { streamCrc = crc32(chunk, streamCrc); bytes += chunk.length; });
  const status = await new Promise((done, fail) => child.on('error', fail).on('close', done));
  if (status !== 0) throw new Error(`particles-capture ${args.join(' ')}: status ${status}`);
  return { raw: readFileSync(join(dir, 'last.raw')), log: readFileSync(join(dir, 'ParticlesLog.txt'), 'utf8'),
           streamCrc, frames: bytes / kFrameBytes };
}

// The running test's problems: a check adds one and the test goes on, to report all it finds.
let problems = [], passed = 0, failed = 0;
const check = (ok, what) => ok || problems.push(what);
function same(what, got, want) {  // pictures say where they first differ, the rest is shown whole
  if (!Buffer.isBuffer(want)) return check(got === want, `${what}:\n--- page\n${got}\n--- expected\n${want}`);
  const pixel = Math.floor(got.findIndex((byte, n) => byte !== want[n]) / (want.length / (kFrameBytes / 2)));
  return check(want.equals(got), `${what} first differs at pixel (${pixel % 320}, ${Math.floor(pixel / 320)})` +
    `; ${got.length} bytes, ${want.length} expected`);
}
async function test(name, query, body) {  // query: the page whose run begins before the body; null: none
  const start = Date.now();
  problems = [];
  const run = query === null ? body() : browser.open(query).then(browser.started).then(body);
  await run.catch((e) => problems.push(e.stack));
  console.log(`${problems.length ? 'not ok' : 'ok'} - ${name} (${((Date.now() - start) / 1000).toFixed(1)} s)`);
  for (const p of problems) console.log(`    ${p.replaceAll('\n', '\n    ')}`);
  if (problems.length) ++failed; else ++passed;
}

// RGB565 to the canvas's opaque RGBA by bit replication, made here: the page's own widening is under test.
function widen(raw) {
  const rgba = Buffer.alloc(raw.length * 2);
  for (let i = 0; i < raw.length / 2; ++i) {
    const p = raw.readUInt16LE(2 * i), r = p >> 11, g = (p >> 5) & 0x3f, b = p & 0x1f;
    rgba.set([(r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2), 255], 4 * i);
  }
  return rgba;
}

// The end every run must reach: ended (not stopped by an error), saying so, with the native log.
async function endsAsNative(native, timeoutMs, logOf = (log) => log) {
  await browser.until(`/^(ended|error)$/.test(particles.state())`, timeoutMs);
  const page = await browser.read('state', 'status', 'log');
  check(page.state === 'ended' && page.status.startsWith('The demo has ended'),
        `no end saying "The demo has ended" within ${timeoutMs / 1000} s: ${page.state}: ${page.status}`);
  same('log', logOf(page.log), logOf(native.log));
}
// A live run ends as particles-capture with the same way out, less the frame-rate lines (real time).
const quitsAs = async (way) => endsAsNative(await nativeCapture(way, ['--frames', '2', '--press', `2:${way}`]),
  10000, (log) => log.split('\n').filter((line) => !/^PARTICLE : \d+ FPS$/.test(line)).join('\n'));

// Scripted runs: name, display mode at the end, particles-capture's options (?name=value in the page).
const scriptedRuns = [
  // Every display mode in turn, a long stall and the 32-bit tick counter wrapping at frame 331.
  ['wrap', 3, '--frames 700 --start 4294962000 --press 100:space --press 300:space --stall 400:5000'],
  ['long', 3, '--frames 5000 --press 1:space --press 1:space'],  // 80 s: twenty legs, the background's cycles
  ['quit', 2, '--frames 500 --dt 45 --press 1:space --press 300:ctrl-c'],  // a slow clock, an early end
];

// Bad addresses: one line in particles-capture's words (its parser decides: a few samples here), or
// how to serve the page.
const badAddresses = [
  ['?frames=5&press=9:space', "Bad address: frame out of range in '--press 9:space' (1..5)"],
  ['?speed=2', "Bad address: unknown argument '--speed=2' (see --help)"],
  ['?dt', 'Bad address: --dt needs a value'],
  ['?raw=f.raw', 'Bad address: raw, png and stream write files, which a page cannot; the page shows the frames'],
  ['?frames=5%00abc', "Bad address: bad value for --frames: '5\\x00abc' (N >= 1)"],  // cut at the NUL, 5 ran
  ['?frames=1%0A2', "Bad address: bad value for --frames: '1\\x0a2' (N >= 1)"],  // was a two-line message
  // The page cannot fetch its module from a file:// address: it said "Loading..." for ever.
  [`file://${resolve(pageDir)}/particles.html`, 'This page must be served, not opened as a file: run ' +
   'scripts/run.sh --web and open http://127.0.0.1:8000/particles.html'],
];

async function runTests() {
  for (const [name, mode, options] of scriptedRuns) {
    const query = '?' + options.slice(2).replaceAll(' --', '&').replaceAll(' ', '=');
    await test(`scripted run ${name} (${options}) equals particles-capture`, query, async () => {
      const native = await nativeCapture(name, options.split(' '));
      await endsAsNative(native, 120000);
      const page = await browser.read('framesRun', 'displayMode', 'frameBase64', 'canvasBase64', 'streamCrc');
      same('frames run', page.framesRun, native.frames);
      same('display mode', page.displayMode, mode);
      same('last frame (against --raw)', Buffer.from(page.frameBase64, 'base64'), native.raw);
      same('canvas (against --raw widened)', Buffer.from(page.canvasBase64, 'base64'), widen(native.raw));
      same('frame stream CRC-32 (against --stream)', page.streamCrc, native.streamCrc);
    });
  }

  await test('bad addresses: one line on the option or on serving the page; nothing runs', null, async () => {
    for (const [query, message] of badAddresses) {
      await browser.open(query);
      await browser.until(`particles.state() !== 'loading'`, 20000);
      const page = await browser.read('state', 'status');
      same(query, `${page.state}: ${page.status}`, `error: ${message}`);
      check(await browser.evaluate('(Module._web_frames_run?.() ?? 0) === 0'), `${query}: frames ran`);
    }
    await browser.open('?help');
    check(await browser.until(`particles.state() === 'usage'`, 20000), '?help: no usage shown');
    check((await browser.evaluate(`document.getElementById('usage').textContent`)).includes('--press F:KEY'),
          '?help: the usage text lacks the options');
  });

  await test('live run: Space cycles the display mode, c alone does nothing, Ctrl+C quits', '', async () => {
    same('display mode at the start', await browser.evaluate('particles.displayMode()'), 1);
    for (const mode of [2, 3, 1]) {
      await browser.press(keys.space);
      check(await browser.until(`particles.displayMode() === ${mode}`, 5000), `Space did not lead to mode ${mode}`);
    }
    await browser.press(keys.c);  // alone: the run goes on
    await browser.until(`particles.framesRun() > ${(await browser.evaluate('particles.framesRun()')) + 10}`, 5000);
    check(await browser.evaluate('particles.state()') === 'running', 'c without Ctrl ended the run');
    check(await browser.until(`/^PARTICLE : \\d+ FPS$/.test(particles.caption())`, 5000), 'no frame-rate caption');
    await browser.key('keyDown', keys.ctrl, 2);
    await browser.press(keys.c, 2);
    await browser.key('keyUp', keys.ctrl);
    await quitsAs('ctrl-c');
  });

  await test('live run: the quit button ends it as closing the window does', '', async () => {
    const box = await browser.evaluate(`document.getElementById('quit').getBoundingClientRect().toJSON()`);
    const at = { x: box.x + box.width / 2, y: box.y + box.height / 2, button: 'left', clickCount: 1 };
    await browser.call('Input.dispatchMouseEvent', { type: 'mousePressed', ...at });
    await browser.call('Input.dispatchMouseEvent', { type: 'mouseReleased', ...at });
    await quitsAs('quit');
    check(await browser.evaluate(`document.getElementById('quit').disabled`), 'the quit button is still enabled');
  });

  await test('scripted run: keys on the page do not reach the demo', '?frames=100000', async () => {
    await browser.press(keys.space);
    await browser.until(`particles.framesRun() > ${(await browser.evaluate('particles.framesRun()')) + 30}`, 10000);
    same("a scripted run's display mode after Space", await browser.evaluate('particles.displayMode()'), 1);
  });
}

const watchdog = setTimeout(() => {
  console.log('not ok - the browser tests did not finish within 10 minutes');
  browser?.kill();
  process.exit(1);
}, 600000);
let browser;
await openBrowser(pageDir, (error) => problems.push(error)).then((b) => (browser = b)).then(runTests).catch((e) => {
  ++failed;
  console.log(`not ok - ${e.stack || e}`);
});
clearTimeout(watchdog);
await browser?.close();
rmSync(work, { recursive: true, force: true });
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
