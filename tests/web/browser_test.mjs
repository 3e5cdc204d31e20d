// browser_test.mjs: the web page, served on loopback, in headless Chromium driven through its DevTools
// protocol on a pipe. Scripted runs must give particles-capture's last frame, frame stream (as a CRC-32)
// and log byte for byte; live runs must take the keyboard and the quit button as the demo does.
import { spawn } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { extname, join, resolve } from 'node:path';
import * as zlib from 'node:zlib';

const [pageDir, capture, flag, screenshotFile] = process.argv.slice(2);  // FILE: only the README's picture
if (!pageDir || !capture || (flag !== undefined && (flag !== '--screenshot' || !screenshotFile))) {
  console.error('usage: node browser_test.mjs PAGE_DIR PARTICLES_CAPTURE [--screenshot FILE]');
  process.exit(64);
}
const work = mkdtempSync(join(tmpdir(), 'particles-web-'));
const kFrameBytes = 320 * 240 * 2;
const kViewport = { width: 680, height: 660, deviceScaleFactor: 1, mobile: false };  // the README picture
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
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

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
const server = createServer((request, response) => {  // the page folder's own files, nothing else
  const name = new URL(request.url, 'http://page').pathname.slice(1);
  const type = !name.includes('/') && existsSync(join(pageDir, name)) && types[extname(name)];
  response.writeHead(type ? 200 : 404, { 'Content-Type': type || 'text/plain' });
  response.end(type ? readFileSync(join(pageDir, name)) : 'not found');
});
await new Promise((done) => server.listen(0, '127.0.0.1', done));
const pageUrl = `http://127.0.0.1:${server.address().port}/particles.html`;

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
  await (query === null ? body() : open(query).then(started).then(body)).catch((e) => problems.push(e.stack));
  console.log(`${problems.length ? 'not ok' : 'ok'} - ${name} (${((Date.now() - start) / 1000).toFixed(1)} s)`);
  for (const p of problems) console.log(`    ${p.replaceAll('\n', '\n    ')}`);
  if (problems.length) ++failed; else ++passed;
}

// Chromium's DevTools protocol: NUL-terminated JSON on fds 3 (to it) and 4 (from it).
const chromium = spawn('chromium', ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run',
  '--disable-quic', '--disable-sync', '--disable-background-networking', '--disable-component-update',
  '--remote-debugging-pipe', `--user-data-dir=${join(work, 'profile')}`, 'about:blank',
], { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'] });
let chromiumErrors = '';  // its last words, for the report if it dies
chromium.stderr.on('data', (d) => { chromiumErrors = (chromiumErrors + d).slice(-4000); });
const answers = new Map();  // call id -> what takes the answer
const thrown = ({ exception, text }) => exception?.description || text;
let nextId = 1, inbox = '';
chromium.stdio[4].setEncoding('utf8');  // whole characters, however the chunks fall
chromium.stdio[4].on('data', (chunk) => {
  const messages = (inbox + chunk).split('\0');
  inbox = messages.pop();  // not ended yet
  for (const { id, method, params, result, error } of messages.map((text) => JSON.parse(text))) {
    answers.get(id)?.({ result, error });
    answers.delete(id);
    // The one page open is the running test's: a run that stops dead still shows its last frame.
    if (method === 'Runtime.exceptionThrown') problems.push(`uncaught: ${thrown(params.exceptionDetails)}`);
  }
});
chromium.on('exit', (code) => answers.forEach((answer) =>
  answer({ error: { message: `chromium exited (${code}): ${chromiumErrors}` } })));
function send(method, params = {}, sessionId = undefined) {
  const id = nextId++;
  chromium.stdio[3].write(JSON.stringify({ id, method, params, sessionId }) + '\0');
  return new Promise((done, fail) => answers.set(id, ({ result, error }) =>
    (error ? fail(new Error(`${method}: ${error.message}`)) : done(result))));
}

// One tab, each test's page loaded anew in it: Page.navigate answers once the old page is gone.
let session;
const call = (method, params) => send(method, params, session);
async function openTab() {
  const { targetId } = await send('Target.createTarget', { url: 'about:blank' });
  session = (await send('Target.attachToTarget', { targetId, flatten: true })).sessionId;
  await Promise.all([call('Runtime.enable'), call('Emulation.setDeviceMetricsOverride', kViewport)]);
}
const open = (query) => call('Page.navigate', { url: query.startsWith('file:') ? query : pageUrl + query });
async function evaluate(expression) {
  const { result, exceptionDetails } = await call('Runtime.evaluate', { expression, returnByValue: true });
  if (exceptionDetails) throw new Error(`${expression}: ${thrown(exceptionDetails)}`);
  return result.value;
}
// The page's test hooks (window.particles in particles.html), at once: { name: value }.
const read = (...names) => evaluate(`({ ${names.map((name) => `${name}: particles.${name}()`).join()} })`);
async function until(expression, timeoutMs) {  // true once the page expression is, false after timeoutMs
  for (const end = Date.now() + timeoutMs; Date.now() < end; await sleep(20)) {
    if (await evaluate(`(() => { try { return !!(${expression}); } catch { return false; } })()`)) return true;
  }
  return false;
}
async function started() {  // frames under way; a page in error fails at once, saying why
  const going = await until(`particles.framesRun() > 20 || particles.state() === 'error'`, 30000);
  const page = await read('state', 'status');
  if (!going || page.state === 'error') throw new Error(`the run did not start: ${page.state}: ${page.status}`);
}
const space = [' ', 'Space', 32], letterC = ['c', 'KeyC', 67], ctrl = ['Control', 'ControlLeft', 17];
const key = (type, [key, code, keyCode], modifiers = 0) => call('Input.dispatchKeyEvent', { type, key, code,
  modifiers, windowsVirtualKeyCode: keyCode, text: type === 'keyDown' && key.length === 1 ? key : undefined });
const press = (k, modifiers = 0) => key('keyDown', k, modifiers).then(() => key('keyUp', k, modifiers));

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
  await until(`/^(ended|error)$/.test(particles.state())`, timeoutMs);
  const page = await read('state', 'status', 'log');
  check(page.state === 'ended' && page.status.startsWith('The demo has ended'),
        `no end saying "The demo has ended" within ${timeoutMs / 1000} s: ${page.state}: ${page.status}`);
  same('log', logOf(page.log), logOf(native.log));
}
// A live run ends as particles-capture with the same way out, less the frame-rate lines (real time).
const quitsAs = async (way) => endsAsNative(await nativeCapture(way, ['--frames', '2', '--press', `2:${way}`]),
  10000, (log) => log.split('\n').filter((line) => !/^PARTICLE : \d+ FPS$/.test(line)).join('\n'));

// Scripted runs: name, display mode at the end, particles-capture's options (?name=value in the page).
const scriptedRuns = [
  ['2d', 1, '--frames 600'],  // each display mode for 600 frames (two view legs), reached as in the README
  ['3d', 2, '--frames 600 --press 1:space'],
  ['both', 3, '--frames 600 --press 1:space --press 1:space'],
  // Mode changes mid-run, a long stall and the 32-bit tick counter wrapping at frame 331, as natively.
  ['wrap', 3, '--frames 700 --start 4294962000 --press 100:space --press 300:space --stall 400:5000'],
  ['long', 3, '--frames 5000 --press 1:space --press 1:space'],  // 80 s: twenty legs, the background's cycles
  ['quit', 2, '--frames 500 --dt 45 --press 1:space --press 300:ctrl-c'],  // a slow clock, an early end
];

// Bad addresses: one line in particles-capture's words, or how to serve the page.
const badAddresses = [
  ['?frames=0', "Bad address: bad value for --frames: '0' (N >= 1)"],
  ['?frames=5&press=9:space', "Bad address: frame out of range in '--press 9:space' (1..5)"],
  ['?press=1:spacebar', "Bad address: bad value for --press: '1:spacebar' (F:KEY, see --help for the keys)"],
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
  await test('the CRC-32 reference gives the standard check value', null, async () =>
    check(crc32('123456789') === 0xcbf43926, 'CRC-32("123456789") is not cbf43926'));

  for (const [name, mode, options] of scriptedRuns) {
    const query = '?' + options.slice(2).replaceAll(' --', '&').replaceAll(' ', '=');
    await test(`scripted run ${name} (${options}) equals particles-capture`, query, async () => {
      const native = await nativeCapture(name, options.split(' '));
      await endsAsNative(native, 120000);
      const page = await read('framesRun', 'displayMode', 'frameBase64', 'canvasBase64', 'streamCrc');
      same('frames run', page.framesRun, native.frames);
      same('display mode', page.displayMode, mode);
      same('last frame (against --raw)', Buffer.from(page.frameBase64, 'base64'), native.raw);
      same('canvas (against --raw widened)', Buffer.from(page.canvasBase64, 'base64'), widen(native.raw));
      same('frame stream CRC-32 (against --stream)', page.streamCrc, native.streamCrc);
    });
  }

  await test('bad addresses: one line on the option or on serving the page; nothing runs', null, async () => {
    for (const [query, message] of badAddresses) {
      await open(query);
      await until(`particles.state() !== 'loading'`, 20000);
      const page = await read('state', 'status');
      same(query, `${page.state}: ${page.status}`, `error: ${message}`);
      check(await evaluate('(Module._web_frames_run?.() ?? 0) === 0'), `${query}: frames ran`);
    }
    await open('?help');
    check(await until(`particles.state() === 'usage'`, 20000), '?help: no usage shown');
    check((await evaluate(`document.getElementById('usage').textContent`)).includes('--press F:KEY'),
          '?help: the usage text lacks the options');
  });

  await test('live run: Space cycles the display mode, c alone does nothing, Ctrl+C quits', '', async () => {
    same('display mode at the start', await evaluate('particles.displayMode()'), 1);
    for (const mode of [2, 3, 1]) {
      await press(space);
      check(await until(`particles.displayMode() === ${mode}`, 5000), `Space did not lead to mode ${mode}`);
    }
    await press(letterC);  // alone: the run goes on
    await until(`particles.framesRun() > ${(await evaluate('particles.framesRun()')) + 10}`, 5000);
    check(await evaluate('particles.state()') === 'running', 'c without Ctrl ended the run');
    check(await until(`/^PARTICLE : \\d+ FPS$/.test(particles.caption())`, 5000), 'no frame-rate caption');
    await key('keyDown', ctrl, 2);
    await press(letterC, 2);
    await key('keyUp', ctrl);
    await quitsAs('ctrl-c');
  });

  await test('live run: the quit button ends it as closing the window does', '', async () => {
    const box = await evaluate(`document.getElementById('quit').getBoundingClientRect().toJSON()`);
    const at = { x: box.x + box.width / 2, y: box.y + box.height / 2, button: 'left', clickCount: 1 };
    await call('Input.dispatchMouseEvent', { type: 'mousePressed', ...at });
    await call('Input.dispatchMouseEvent', { type: 'mouseReleased', ...at });
    await quitsAs('quit');
    check(await evaluate(`document.getElementById('quit').disabled`), 'the quit button is still enabled');
  });

  await test('scripted run: keys on the page do not reach the demo', '?frames=100000', async () => {
    await press(space);
    await until(`particles.framesRun() > ${(await evaluate('particles.framesRun()')) + 30}`, 10000);
    same("a scripted run's display mode after Space", await evaluate('particles.displayMode()'), 1);
  });
}

async function screenshot(file) {  // the README's picture: both scenes of a live run, a few seconds in
  await open('').then(started);
  await press(space);
  await press(space);
  await sleep(4000);
  writeFileSync(file, Buffer.from((await call('Page.captureScreenshot', { format: 'png' })).data, 'base64'));
  console.log(`screenshot: ${file}`);
}

const watchdog = setTimeout(() => {
  console.log('not ok - the browser tests did not finish within 10 minutes');
  chromium.kill('SIGKILL');
  process.exit(1);
}, 600000);
await openTab().then(() => (screenshotFile ? screenshot(screenshotFile) : runTests())).catch((e) => {
  ++failed;
  console.log(`not ok - ${e.stack || e}`);
});
clearTimeout(watchdog);
// The profile folder can go once Chromium has stopped writing to it.
send('Browser.close').catch(() => chromium.kill());
await Promise.race([new Promise((done) => chromium.once('exit', done)), sleep(5000)]);
chromium.kill('SIGKILL');
server.close();
rmSync(work, { recursive: true, force: true });
if (!screenshotFile) console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
