// headless.mjs: the page served on loopback and driven in headless Chromium through its DevTools
// protocol on a pipe; used by web/screenshot.mjs and by the browser tests.
import { spawn } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { extname, join } from 'node:path';

export const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
const kViewport = { width: 680, height: 660, deviceScaleFactor: 1, mobile: false };  // the README's picture

// Serves the page folder's own files, nothing else, and opens one tab. `onPageError` hears every
// uncaught exception of the page open in it.
export async function openBrowser(pageDir, onPageError = () => {}) {
  const work = mkdtempSync(join(tmpdir(), 'particles-web-'));
  const server = createServer((request, response) => {
    const name = new URL(request.url, 'http://page').pathname.slice(1);
    const type = !name.includes('/') && existsSync(join(pageDir, name)) && types[extname(name)];
    response.writeHead(type ? 200 : 404, { 'Content-Type': type || 'text/plain' });
    response.end(type ? readFileSync(join(pageDir, name)) : 'not found');
  });
  await new Promise((done) => server.listen(0, '127.0.0.1', done));
  const pageUrl = `http://127.0.0.1:${server.address().port}/particles.html`;

  // NUL-terminated JSON on fds 3 (to Chromium) and 4 (from it).
  const chromium = spawn('chromium', ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run',
    '--disable-quic', '--disable-sync', '--disable-background-networking', '--disable-component-update',
    '--remote-debugging-pipe', `--user-data-dir=${join(work, 'profile')}`, 'about:blank',
  ], { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'] });
  let lastWords = '';  // for the report if it dies
  chromium.stderr.on('data', (d) => { lastWords = (lastWords + d).slice(-4000); });
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
      if (method === 'Runtime.exceptionThrown') onPageError(`uncaught: ${thrown(params.exceptionDetails)}`);
    }
  });
  chromium.on('exit', (code) => answers.forEach((answer) =>
    answer({ error: { message: `chromium exited (${code}): ${lastWords}` } })));
  const send = (method, params = {}, sessionId = undefined) => {
    const id = nextId++;
    chromium.stdio[3].write(JSON.stringify({ id, method, params, sessionId }) + '\0');
    return new Promise((done, fail) => answers.set(id, ({ result, error }) =>
      (error ? fail(new Error(`${method}: ${error.message}`)) : done(result))));
  };

  const { targetId } = await send('Target.createTarget', { url: 'about:blank' });
  const session = (await send('Target.attachToTarget', { targetId, flatten: true })).sessionId;
  const call = (method, params) => send(method, params, session);
  await Promise.all([call('Runtime.enable'), call('Emulation.setDeviceMetricsOverride', kViewport)]);

  const browser = {
    call,
    // Loads a page anew in the tab: Page.navigate answers once the old page is gone.
    open: (query) => call('Page.navigate', { url: query.startsWith('file:') ? query : pageUrl + query }),
    async evaluate(expression) {
      const { result, exceptionDetails } = await call('Runtime.evaluate', { expression, returnByValue: true });
      if (exceptionDetails) throw new Error(`${expression}: ${thrown(exceptionDetails)}`);
      return result.value;
    },
    // The page's test hooks (window.particles in particles.html), at once: { name: value }.
    read: (...names) => browser.evaluate(`({ ${names.map((name) => `${name}: particles.${name}()`).join()} })`),
    async until(expression, timeoutMs) {  // true once the page expression is, false after timeoutMs
      for (const end = Date.now() + timeoutMs; Date.now() < end; await sleep(20)) {
        if (await browser.evaluate(`(() => { try { return !!(${expression}); } catch { return false; } })()`)) return true;
      }
      return false;
    },
    async started() {  // frames under way; a page in error fails at once, saying why
      const going = await browser.until(`particles.framesRun() > 20 || particles.state() === 'error'`, 30000);
      const page = await browser.read('state', 'status');
      if (!going || page.state === 'error') throw new Error(`the run did not start: ${page.state}: ${page.status}`);
    },
    key: (type, [key, code, keyCode], modifiers = 0) => call('Input.dispatchKeyEvent', { type, key, code,
      modifiers, windowsVirtualKeyCode: keyCode, text: type === 'keyDown' && key.length === 1 ? key : undefined }),
    press: (k, modifiers = 0) => browser.key('keyDown', k, modifiers).then(() => browser.key('keyUp', k, modifiers)),
    async screenshot() { return Buffer.from((await call('Page.captureScreenshot', { format: 'png' })).data, 'base64'); },
    // The profile folder can go once Chromium has stopped writing to it.
    async close() {
      send('Browser.close').catch(() => chromium.kill());
      await Promise.race([new Promise((done) => chromium.once('exit', done)), sleep(5000)]);
      chromium.kill('SIGKILL');
      server.close();
      rmSync(work, { recursive: true, force: true });
    },
    kill: () => chromium.kill('SIGKILL'),
  };
  return browser;
}

// Keys as the DevTools protocol takes them: key, code, Windows key code.
export const keys = { space: [' ', 'Space', 32], c: ['c', 'KeyC', 67], ctrl: ['Control', 'ControlLeft', 17] };
