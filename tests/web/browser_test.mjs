// browser_test.mjs: the web page in headless Chromium, against the native build.
//
//   node browser_test.mjs PAGE_DIR PARTICLES_CAPTURE [--screenshot FILE]
//
// Serves PAGE_DIR (particles.html, .js, .wasm) on a loopback port and drives Chromium
// through its DevTools protocol on a pipe (no WebSocket client needed). Scripted runs
// must give the native particles-capture's last frame, frame stream (as a CRC-32) and
// log byte for byte; live runs must take the keyboard and the quit button as the demo
// does. With --screenshot it only takes the README's picture of a live run.
import { spawn } from 'node:child_process';
import { mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { extname, join, resolve } from 'node:path';

const [pageDir, capture, flag, screenshotFile] = process.argv.slice(2);
if (!pageDir || !capture || (flag !== undefined && (flag !== '--screenshot' || !screenshotFile))) {
  console.error('usage: node browser_test.mjs PAGE_DIR PARTICLES_CAPTURE [--screenshot FILE]');
  process.exit(64);
}
const work = mkdtempSync(join(tmpdir(), 'particles-web-'));
const kFrameBytes = 320 * 240 * 2;

// --- CRC-32 (zlib's), the reference for the page's stream CRC ---------------------
const crcTable = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});
function crcUpdate(crc, bytes) {
  for (let i = 0; i < bytes.length; ++i) crc = crcTable[(crc ^ bytes[i]) & 0xff] ^ (crc >>> 8);
  return crc;
}
const crcOf = (bytes) => (crcUpdate(0xffffffff, bytes) ^ 0xffffffff) >>> 0;

// --- the native reference: particles-capture in a folder of its own --------------
function nativeCapture(name, args) {
  const dir = join(work, name);
  rmSync(dir, { recursive: true, force: true });
  mkdirSync(dir);
  return new Promise((done, fail) => {
    const child = spawn(resolve(capture), [...args, '--raw', 'last.raw', '--stream'],
                        { cwd: dir, stdio: ['ignore', 'pipe', 'inherit'] });
    let crc = 0xffffffff;
    let bytes = 0;
    child.stdout.on('data', (chunk) => { crc = crcUpdate(crc, chunk); bytes += chunk.length; });
    child.on('error', fail);
    child.on('close', (status) => {
      if (status !== 0) return fail(new Error(`particles-capture ${args.join(' ')}: status ${status}`));
      done({
        raw: readFileSync(join(dir, 'last.raw')),
        log: readFileSync(join(dir, 'ParticlesLog.txt'), 'utf8'),
        streamCrc: (crc ^ 0xffffffff) >>> 0,
        frames: bytes / kFrameBytes,
      });
    });
  });
}

// --- the page, served on loopback --------------------------------------------------
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
const server = createServer((request, response) => {
  const name = new URL(request.url, 'http://page').pathname.slice(1);
  const type = types[extname(name)];
  let body = null;
  try {
    if (type && !name.includes('/')) body = readFileSync(join(pageDir, name));
  } catch (e) { /* not there: 404 */ }
  response.writeHead(body ? 200 : 404, { 'Content-Type': type || 'text/plain' });
  response.end(body || 'not found');
});
await new Promise((done) => server.listen(0, '127.0.0.1', done));
const pageUrl = `http://127.0.0.1:${server.address().port}/particles.html`;

// --- Chromium and its DevTools protocol: NUL-terminated JSON on fds 3 (in) and 4 (out)
const chromium = spawn('chromium', [
  '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
  '--remote-debugging-pipe', `--user-data-dir=${join(work, 'profile')}`, 'about:blank',
], { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'] });
let chromiumErrors = '';
chromium.stderr.on('data', (d) => { chromiumErrors = (chromiumErrors + d).slice(-4000); });
const pending = new Map();
const listeners = [];
let nextId = 1;
let inbox = '';
chromium.stdio[4].setEncoding('utf8');  // whole characters, however the chunks fall
chromium.stdio[4].on('data', (chunk) => {
  inbox += chunk;
  for (let end; (end = inbox.indexOf('\0')) >= 0; inbox = inbox.slice(end + 1)) {
    const message = JSON.parse(inbox.slice(0, end));
    if (message.id && pending.has(message.id)) {
      const { done, fail, method } = pending.get(message.id);
      pending.delete(message.id);
      if (message.error) fail(new Error(`${method}: ${message.error.message}`));
      else done(message.result);
    } else if (message.method) {
      for (const listener of listeners) listener(message);
    }
  }
});
chromium.on('exit', (code) => {
  for (const { fail } of pending.values()) fail(new Error(`chromium exited (${code}): ${chromiumErrors}`));
  pending.clear();
});
function send(method, params = {}, sessionId = undefined) {
  const id = nextId++;
  chromium.stdio[3].write(JSON.stringify({ id, method, params, sessionId }) + '\0');
  return new Promise((done, fail) => pending.set(id, { done, fail, method }));
}

const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// One tab per test: its session, the page's uncaught exceptions, and helpers. A query
// is for the served page; a file:// address is opened as it is.
async function openPage(query) {
  const { targetId } = await send('Target.createTarget', { url: 'about:blank' });
  const { sessionId } = await send('Target.attachToTarget', { targetId, flatten: true });
  const tab = {
    exceptions: [],
    call: (method, params) => send(method, params, sessionId),
    async eval(expression) {
      const { result, exceptionDetails } = await tab.call('Runtime.evaluate',
        { expression, returnByValue: true, awaitPromise: true });
      if (exceptionDetails) throw new Error(`${expression}: ${exceptionDetails.exception?.description}`);
      return result.value;
    },
    // Polls until the page expression is true; false after timeoutMs.
    async until(expression, timeoutMs = 60000) {
      for (const end = Date.now() + timeoutMs; Date.now() < end; await sleep(20)) {
        if (await tab.eval(`(() => { try { return !!(${expression}); } catch (e) { return false; } })()`)) return true;
      }
      return false;
    },
    async key(type, key, code, keyCode, modifiers = 0) {
      await tab.call('Input.dispatchKeyEvent', { type, key, code, windowsVirtualKeyCode: keyCode,
        nativeVirtualKeyCode: keyCode, modifiers, text: type === 'keyDown' && key.length === 1 ? key : undefined });
    },
    async press(key, code, keyCode) {
      await tab.key('keyDown', key, code, keyCode);
      await tab.key('keyUp', key, code, keyCode);
    },
    close: () => send('Target.closeTarget', { targetId }),
  };
  listeners.push((m) => {
    if (m.sessionId === sessionId && m.method === 'Runtime.exceptionThrown') {
      tab.exceptions.push(m.params.exceptionDetails.exception?.description || m.params.exceptionDetails.text);
    }
  });
  await tab.call('Runtime.enable');
  await tab.call('Emulation.setDeviceMetricsOverride', { width: 680, height: 660, deviceScaleFactor: 1, mobile: false });
  await tab.call('Page.navigate', { url: query.startsWith('file:') ? query : pageUrl + query });
  return tab;
}

// --- a small runner ------------------------------------------------------------------
let passed = 0;
let failed = 0;
async function test(name, body) {
  const started = Date.now();
  const problems = [];
  const check = (ok, what) => { if (!ok) problems.push(what); return ok; };
  try {
    await body(check);
  } catch (e) {
    problems.push(e.stack || String(e));
  }
  const time = `${((Date.now() - started) / 1000).toFixed(1)} s`;
  if (problems.length === 0) {
    ++passed;
    console.log(`ok - ${name} (${time})`);
  } else {
    ++failed;
    console.log(`not ok - ${name} (${time})`);
    for (const p of problems) console.log(`    ${p.split('\n').join('\n    ')}`);
  }
}

// Address of a scripted run: particles-capture's options, --name value as name=value.
function queryOf(args) {
  const params = new URLSearchParams();
  for (let i = 0; i < args.length; i += 2) params.append(args[i].replace(/^--/, ''), args[i + 1]);
  return '?' + params.toString();
}

// RGB565 little-endian to the canvas's opaque RGBA, each channel by bit replication.
function widen(raw) {
  const rgba = Buffer.alloc(raw.length * 2);
  for (let i = 0; i < raw.length / 2; ++i) {
    const p = raw.readUInt16LE(2 * i);
    const r5 = p >> 11, g6 = (p >> 5) & 0x3f, b5 = p & 0x1f;
    rgba[4 * i] = (r5 << 3) | (r5 >> 2);
    rgba[4 * i + 1] = (g6 << 2) | (g6 >> 4);
    rgba[4 * i + 2] = (b5 << 3) | (b5 >> 2);
    rgba[4 * i + 3] = 255;
  }
  return rgba;
}

function firstDifference(a, b, bytesPerPixel = 2) {
  for (let i = 0; i < Math.min(a.length, b.length); ++i) {
    if (a[i] !== b[i]) {
      const pixel = Math.floor(i / bytesPerPixel);
      return `first difference at pixel x=${pixel % 320} y=${Math.floor(pixel / 320)}`;
    }
  }
  return `lengths ${a.length} and ${b.length}`;
}

const withoutFpsLines = (log) => log.split('\n').filter((line) => !/^PARTICLE : \d+ FPS$/.test(line));

// A scripted run in the page against the native capture of the same options.
async function sameAsNative(name, args, expectedMode) {
  await test(`scripted run ${name} (${args.join(' ')}) equals particles-capture`, async (check) => {
    const native = await nativeCapture(name, args);
    const tab = await openPage(queryOf(args));
    try {
      check(await tab.until(`particles.state() === 'ended' || particles.state() === 'error'`, 120000),
            'the run did not end within 120 s');
      check(await tab.eval('particles.state()') === 'ended', `state: ${await tab.eval('particles.status()')}`);
      check(/^The demo has ended/.test(await tab.eval('particles.status()')), 'the page does not say the demo has ended');
      check(await tab.eval('particles.framesRun()') === native.frames,
            `frames run: page ${await tab.eval('particles.framesRun()')}, native ${native.frames}`);
      check(await tab.eval('particles.displayMode()') === expectedMode, `display mode is not ${expectedMode}`);
      const frame = Buffer.from(await tab.eval('particles.frameBase64()'), 'base64');
      check(frame.equals(native.raw), `last frame differs from --raw: ${firstDifference(frame, native.raw)}`);
      const canvas = Buffer.from(await tab.eval('particles.canvasBase64()'), 'base64');
      const widened = widen(native.raw);
      check(canvas.equals(widened), `canvas differs from the widened --raw frame: ${firstDifference(canvas, widened, 4)}`);
      const crc = await tab.eval('particles.streamCrc()');
      check(crc === native.streamCrc,
            `frame stream CRC-32: page ${crc.toString(16)}, native --stream ${native.streamCrc.toString(16)}`);
      const log = await tab.eval('particles.log()');
      check(log === native.log, `log differs:\n--- page\n${log}\n--- native\n${native.log}`);
      check(tab.exceptions.length === 0, `uncaught: ${tab.exceptions.join('; ')}`);
    } finally {
      await tab.close();
    }
  });
}

// A live run's log, less the frame-rate lines whose count depends on real time, must
// be the native capture's for the same way out.
async function quitLikeNative(check, tab, nativeArgs, name) {
  check(await tab.until(`particles.state() === 'ended'`, 10000), 'the run did not end');
  check(/^The demo has ended/.test(await tab.eval('particles.status()')), 'the page does not say the demo has ended');
  const native = await nativeCapture(name, nativeArgs);
  const log = withoutFpsLines(await tab.eval('particles.log()'));
  const expected = withoutFpsLines(native.log);
  check(log.join('\n') === expected.join('\n'),
        `log differs from particles-capture ${nativeArgs.join(' ')}:\n--- page\n${log.join('\n')}\n--- native\n${expected.join('\n')}`);
  check(tab.exceptions.length === 0, `uncaught: ${tab.exceptions.join('; ')}`);
}

async function screenshot(file) {
  const tab = await openPage('');
  if (!(await tab.until('particles.framesRun() > 30', 30000))) throw new Error('the live run did not start');
  await tab.press(' ', 'Space', 32);  // both scenes
  await tab.press(' ', 'Space', 32);
  await sleep(4000);
  const { data } = await tab.call('Page.captureScreenshot', { format: 'png' });
  writeFileSync(file, Buffer.from(data, 'base64'));
  await tab.close();
}

async function main() {
  if (screenshotFile) {
    await screenshot(screenshotFile);
    console.log(`screenshot: ${screenshotFile}`);
    return;
  }
  await test('the CRC-32 reference gives the standard check value', (check) => {
    check(crcOf(Buffer.from('123456789')) === 0xcbf43926, 'CRC-32("123456789") is not cbf43926');
  });

  // Each display mode for 600 frames (two view legs), reached by presses as in the README.
  await sameAsNative('2d', ['--frames', '600'], 1);
  await sameAsNative('3d', ['--frames', '600', '--press', '1:space'], 2);
  await sameAsNative('both', ['--frames', '600', '--press', '1:space', '--press', '1:space'], 3);
  // Mode changes mid-run, a long stall and the tick counter wrapping past 2^32 ms at
  // frame 331: the 32-bit clock arithmetic must agree with the native build's.
  await sameAsNative('wrap', ['--frames', '700', '--start', '4294962000',
                              '--press', '100:space', '--press', '300:space', '--stall', '400:5000'], 3);
  // Both scenes for 80 s of clock: twenty view legs, the background's brightening cycles.
  await sameAsNative('long', ['--frames', '5000', '--press', '1:space', '--press', '1:space'], 3);
  // A slow clock and the quit from the script: the run ends early, as natively.
  await sameAsNative('quit', ['--frames', '500', '--dt', '45', '--press', '1:space',
                              '--press', '300:ctrl-c'], 2);

  await test('bad addresses get one line naming the option or saying how to serve the page, and nothing runs', async (check) => {
    const cases = [
      ['?frames=0', "Bad address: bad value for --frames: '0' (N >= 1)"],
      ['?frames=5&press=9:space', "Bad address: frame out of range in '--press 9:space' (1..5)"],
      ['?press=1:spacebar', "Bad address: bad value for --press: '1:spacebar' (F:KEY, see --help for the keys)"],
      ['?speed=2', "Bad address: unknown argument '--speed=2' (see --help)"],
      ['?dt', 'Bad address: --dt needs a value'],
      ['?raw=f.raw', 'Bad address: raw, png and stream write files, which a page cannot; the page shows the frames'],
      // A NUL ended the C string: 5 frames ran. A newline made the message two lines.
      ['?frames=5%00abc', "Bad address: bad value for --frames: '5\\x00abc' (N >= 1)"],
      ['?frames=1%0A2', "Bad address: bad value for --frames: '1\\x0a2' (N >= 1)"],
      // The page cannot fetch its module from a file:// address: it said "Loading..." for ever.
      [`file://${resolve(pageDir)}/particles.html`, 'This page must be served, not opened as a file: run ' +
       'scripts/run.sh --web and open http://127.0.0.1:8000/particles.html'],
    ];
    for (const [query, message] of cases) {
      const tab = await openPage(query);
      check(await tab.until(`particles.state() !== 'loading'`, 20000), `${query}: page never left loading`);
      check(await tab.eval('particles.state()') === 'error', `${query}: state ${await tab.eval('particles.state()')}`);
      const status = await tab.eval('particles.status()');
      check(status === message, `${query}: said "${status}", expected "${message}"`);
      check(await tab.eval(`typeof Module._web_frames_run !== 'function' || particles.framesRun() === 0`),
            `${query}: frames ran`);
      check(tab.exceptions.length === 0, `${query}: uncaught: ${tab.exceptions.join('; ')}`);
      await tab.close();
    }
    const tab = await openPage('?help');
    check(await tab.until(`particles.state() === 'usage'`, 20000), '?help: no usage shown');
    check((await tab.eval(`document.getElementById('usage').textContent`)).includes('--press F:KEY'),
          '?help: the usage text lacks the options');
    await tab.close();
  });

  await test('live run: Space cycles the display mode, c alone does nothing, Ctrl+C quits', async (check) => {
    const tab = await openPage('');
    try {
      check(await tab.until('particles.framesRun() > 10', 30000), 'the live run did not start');
      check(await tab.eval('particles.displayMode()') === 1, 'a run does not start in mode 1');
      for (const mode of [2, 3, 1]) {
        await tab.press(' ', 'Space', 32);
        check(await tab.until(`particles.displayMode() === ${mode}`, 5000), `Space did not lead to mode ${mode}`);
      }
      await tab.press('c', 'KeyC', 67);
      const frames = await tab.eval('particles.framesRun()');
      await tab.until(`particles.framesRun() > ${frames + 10}`, 5000);
      check(await tab.eval('particles.state()') === 'running', 'c without Ctrl ended the run');
      check(await tab.until(`/^PARTICLE : \\d+ FPS$/.test(particles.caption())`, 5000),
            `no frame-rate caption above the canvas: "${await tab.eval('particles.caption()')}"`);
      await tab.key('keyDown', 'Control', 'ControlLeft', 17, 2);
      await tab.key('keyDown', 'c', 'KeyC', 67, 2);
      await tab.key('keyUp', 'c', 'KeyC', 67, 2);
      await tab.key('keyUp', 'Control', 'ControlLeft', 17, 0);
      await quitLikeNative(check, tab, ['--frames', '2', '--press', '2:ctrl-c'], 'live-ctrl-c');
    } finally {
      await tab.close();
    }
  });

  await test('live run: the quit button ends it as closing the window does', async (check) => {
    const tab = await openPage('');
    try {
      check(await tab.until('particles.framesRun() > 10', 30000), 'the live run did not start');
      const box = await tab.eval(`(() => { const r = document.getElementById('quit').getBoundingClientRect();
                                          return { x: r.x + r.width / 2, y: r.y + r.height / 2 }; })()`);
      for (const type of ['mousePressed', 'mouseReleased']) {
        await tab.call('Input.dispatchMouseEvent', { type, x: box.x, y: box.y, button: 'left', clickCount: 1 });
      }
      await quitLikeNative(check, tab, ['--frames', '2', '--press', '2:quit'], 'live-quit');
      check(await tab.eval(`document.getElementById('quit').disabled`), 'the quit button is still enabled');
    } finally {
      await tab.close();
    }
  });

  await test('scripted run: keys on the page do not reach the demo', async (check) => {
    const tab = await openPage('?frames=100000');
    try {
      check(await tab.until('particles.framesRun() > 20', 30000), 'the scripted run did not start');
      await tab.press(' ', 'Space', 32);
      const frames = await tab.eval('particles.framesRun()');
      await tab.until(`particles.framesRun() > ${frames + 30}`, 10000);
      check(await tab.eval('particles.displayMode()') === 1, 'Space changed a scripted run\'s mode');
    } finally {
      await tab.close();
    }
  });
}

const watchdog = setTimeout(() => {
  console.log('not ok - the browser tests did not finish within 10 minutes');
  chromium.kill('SIGKILL');
  process.exit(1);
}, 600000);
try {
  await main();
} catch (e) {
  ++failed;
  console.log(`not ok - ${e.stack || e}`);
} finally {
  clearTimeout(watchdog);
  // The profile folder can go once Chromium has stopped writing to it.
  const exited = new Promise((done) => chromium.once('exit', done));
  send('Browser.close').catch(() => chromium.kill());
  await Promise.race([exited, sleep(5000)]);
  chromium.kill('SIGKILL');
  server.close();
  rmSync(work, { recursive: true, force: true });
}
if (!screenshotFile) console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
