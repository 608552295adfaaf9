// Headless Chromium for the web tests, driven over the DevTools protocol through a pipe
// (--remote-debugging-pipe: no port that could outlive a test). Opens pages, sends real
// key and mouse events, evaluates JavaScript, takes screenshots decoded to RGBA pixels,
// and collects console errors and uncaught exceptions. The browser runs in a process
// group of its own and is killed as a whole when the test ends, fails or times out.
//
//   import { withBrowser } from './browser.mjs';
//   await withBrowser(async (browser) => {
//     const page = await browser.newPage({ width: 1700, height: 700 });
//     await page.goto(url);
//     await page.key('F7');
//     const shot = await page.screenshotElement('#view');
//     shot.pixel(10, 10);                      // [r, g, b, a]
//     page.assertNoConsoleErrors();
//   });

import { spawn, spawnSync } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { inflateSync } from 'node:zlib';

const COMMAND_TIMEOUT_MS = 20000;

const BROWSER_FLAGS = [
  '--headless',
  '--no-sandbox',
  // WebGL without a GPU: ANGLE on the SwiftShader software rasteriser.
  '--use-gl=angle', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
  '--no-first-run', '--disable-quic', '--disable-dev-shm-usage',
  '--hide-scrollbars', '--mute-audio',
  '--remote-debugging-pipe',
];

// The browser binary: $WEISSENBERG_CHROMIUM, else the headless shell, else the full browser.
export function findBrowser() {
  if (process.env.WEISSENBERG_CHROMIUM) return process.env.WEISSENBERG_CHROMIUM;
  for (const name of ['chromium-headless-shell', 'chromium', 'chromium-browser']) {
    const r = spawnSync('sh', ['-c', `command -v ${name}`], { encoding: 'utf8' });
    if (r.status === 0 && r.stdout.trim()) return r.stdout.trim();
  }
  return null;
}

// Every browser this process started, so that an exit by any path still kills them.
const running = new Set();
function killGroup(pid) {
  try { process.kill(-pid, 'SIGKILL'); } catch { /* already gone */ }
}
process.on('exit', () => { for (const b of running) b.killNow(); });
for (const [sig, number] of [['SIGINT', 2], ['SIGTERM', 15], ['SIGHUP', 1]]) {
  process.on(sig, () => { for (const b of running) b.killNow(); process.exit(128 + number); });
}

export async function launchBrowser({ executable = findBrowser(), extraFlags = [] } = {}) {
  if (!executable) throw new Error('no headless Chromium found (web/install_deps.sh installs it)');
  const profile = mkdtempSync(join(tmpdir(), 'weissenberg-chromium-'));
  const child = spawn(executable, [...BROWSER_FLAGS, `--user-data-dir=${profile}`, ...extraFlags, 'about:blank'], {
    detached: true,                       // a process group of its own: killed as a whole
    stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'],
  });
  const browser = new Browser(child, profile);
  running.add(browser);
  try {
    await browser.send('Browser.getVersion');
  } catch (e) {
    await browser.close();
    throw new Error(`${e.message}\nbrowser stderr:\n${browser.stderrTail()}`);
  }
  return browser;
}

// Launches a browser, runs fn(browser) and always closes it; fails after timeoutMs.
export async function withBrowser(fn, { timeoutMs = 120000, ...launchOptions } = {}) {
  const browser = await launchBrowser(launchOptions);
  let timer;
  try {
    const timeout = new Promise((_, reject) => {
      timer = setTimeout(() => reject(new Error(`browser test took longer than ${timeoutMs} ms`)), timeoutMs);
    });
    return await Promise.race([fn(browser), timeout]);
  } finally {
    clearTimeout(timer);
    await browser.close();
  }
}

class Browser {
  constructor(child, profile) {
    this.child = child;
    this.profile = profile;
    this.nextId = 1;
    this.pending = new Map();             // command id -> { resolve, reject, timer, method }
    this.listeners = new Map();           // sessionId ('' for the browser) -> handler(method, params)
    this.stderr = '';
    this.exited = new Promise((resolve) => child.once('exit', resolve));
    this.alive = true;
    child.once('exit', (code, signal) => {
      this.alive = false;
      for (const p of this.pending.values()) {
        clearTimeout(p.timer);
        p.reject(new Error(`browser exited (${code ?? signal}) during ${p.method}`));
      }
      this.pending.clear();
    });
    child.stderr.on('data', (d) => { this.stderr = (this.stderr + d).slice(-8000); });
    this.toBrowser = child.stdio[3];
    let buffer = Buffer.alloc(0);
    child.stdio[4].on('data', (chunk) => {
      buffer = Buffer.concat([buffer, chunk]);
      let end;
      while ((end = buffer.indexOf(0)) >= 0) {   // messages are NUL-terminated JSON
        const message = JSON.parse(buffer.subarray(0, end).toString('utf8'));
        buffer = buffer.subarray(end + 1);
        this.dispatch(message);
      }
    });
    this.toBrowser.on('error', () => {});       // a write after the browser died: reported by 'exit'
  }

  stderrTail() { return this.stderr; }

  dispatch(message) {
    if (message.id !== undefined) {
      const p = this.pending.get(message.id);
      if (!p) return;
      this.pending.delete(message.id);
      clearTimeout(p.timer);
      if (message.error) p.reject(new Error(`${p.method}: ${message.error.message}`));
      else p.resolve(message.result);
    } else {
      const handler = this.listeners.get(message.sessionId ?? '');
      if (handler) handler(message.method, message.params);
    }
  }

  send(method, params = {}, sessionId = undefined, timeoutMs = COMMAND_TIMEOUT_MS) {
    if (!this.alive) return Promise.reject(new Error(`browser not running (${method})`));
    const id = this.nextId++;
    const message = { id, method, params };
    if (sessionId) message.sessionId = sessionId;
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => {
        this.pending.delete(id);
        reject(new Error(`${method}: no answer within ${timeoutMs} ms`));
      }, timeoutMs);
      this.pending.set(id, { resolve, reject, timer, method });
      this.toBrowser.write(JSON.stringify(message) + '\0');
    });
  }

  // A new tab of the given CSS size (device metrics: --window-size does not apply here).
  async newPage({ width = 1700, height = 700 } = {}) {
    const { targetId } = await this.send('Target.createTarget', { url: 'about:blank' });
    const { sessionId } = await this.send('Target.attachToTarget', { targetId, flatten: true });
    const page = new Page(this, sessionId);
    this.listeners.set(sessionId, (method, params) => page.onEvent(method, params));
    await Promise.all([
      page.send('Page.enable'), page.send('Runtime.enable'), page.send('Log.enable'),
    ]);
    await page.send('Emulation.setDeviceMetricsOverride', {
      width, height, deviceScaleFactor: 1, mobile: false,
    });
    return page;
  }

  killNow() {
    if (this.child.pid && this.alive) killGroup(this.child.pid);
    running.delete(this);
  }

  async close() {
    this.killNow();
    if (this.child.exitCode === null && this.child.signalCode === null) {
      let timer;
      await Promise.race([this.exited, new Promise((r) => { timer = setTimeout(r, 5000); })]);
      clearTimeout(timer);
    }
    rmSync(this.profile, { recursive: true, force: true });
  }
}

// Key names as the DOM's KeyboardEvent.key, with code and Windows virtual key code.
const NAMED_KEYS = {
  Escape: ['Escape', 27], Enter: ['Enter', 13, '\r'], Tab: ['Tab', 9], Backspace: ['Backspace', 8],
  ' ': ['Space', 32, ' '], Insert: ['Insert', 45], Delete: ['Delete', 46],
  Home: ['Home', 36], End: ['End', 35], PageUp: ['PageUp', 33], PageDown: ['PageDown', 34],
  ArrowLeft: ['ArrowLeft', 37], ArrowUp: ['ArrowUp', 38], ArrowRight: ['ArrowRight', 39], ArrowDown: ['ArrowDown', 40],
  Shift: ['ShiftLeft', 16], Control: ['ControlLeft', 17], Alt: ['AltLeft', 18],
  '-': ['Minus', 189, '-'], '=': ['Equal', 187, '='], '+': ['Equal', 187, '+', true],
  ',': ['Comma', 188, ','], '.': ['Period', 190, '.'], '/': ['Slash', 191, '/'],
};
for (let n = 1; n <= 12; ++n) NAMED_KEYS[`F${n}`] = [`F${n}`, 111 + n];

const MODIFIER_BITS = { Alt: 1, Control: 2, Meta: 4, Shift: 8 };

// { key, code, vk, text, shift } for a key name ('F7', 'ArrowUp', 'PageDown') or one
// character ('a', 'A' = Shift+a, '5').
function describeKey(name) {
  if (NAMED_KEYS[name]) {
    const [code, vk, text, shift] = NAMED_KEYS[name];
    return { key: name, code, vk, text, shift: !!shift };
  }
  if (/^[a-z]$/.test(name)) return { key: name, code: `Key${name.toUpperCase()}`, vk: name.toUpperCase().charCodeAt(0), text: name, shift: false };
  if (/^[A-Z]$/.test(name)) return { key: name, code: `Key${name}`, vk: name.charCodeAt(0), text: name, shift: true };
  if (/^[0-9]$/.test(name)) return { key: name, code: `Digit${name}`, vk: name.charCodeAt(0), text: name, shift: false };
  throw new Error(`unknown key name: ${name}`);
}

const BUTTON_BITS = { none: 0, left: 1, right: 2, middle: 4 };

class Page {
  constructor(browser, sessionId) {
    this.browser = browser;
    this.sessionId = sessionId;
    this.console = [];      // { type, text } for every console call, log entry and exception
    this.waiters = [];      // { method, resolve } waiting for one event
  }

  send(method, params = {}, timeoutMs) {
    return this.browser.send(method, params, this.sessionId, timeoutMs);
  }

  onEvent(method, params) {
    if (method === 'Runtime.consoleAPICalled') {
      const text = params.args.map((a) => (a.value !== undefined ? String(a.value) : a.description ?? a.type)).join(' ');
      this.console.push({ type: params.type, text });
    } else if (method === 'Runtime.exceptionThrown') {
      const d = params.exceptionDetails;
      this.console.push({ type: 'exception', text: d.exception?.description ?? d.text });
    } else if (method === 'Log.entryAdded') {
      this.console.push({ type: params.entry.level, text: `${params.entry.text} ${params.entry.url ?? ''}`.trim() });
    }
    this.waiters = this.waiters.filter((w) => {
      if (w.method !== method) return true;
      w.resolve(params);
      return false;
    });
  }

  nextEvent(method, timeoutMs = COMMAND_TIMEOUT_MS) {
    return new Promise((resolve, reject) => {
      const waiter = { method, resolve: (p) => { clearTimeout(timer); resolve(p); } };
      const timer = setTimeout(() => {
        this.waiters = this.waiters.filter((w) => w !== waiter);
        reject(new Error(`no ${method} within ${timeoutMs} ms`));
      }, timeoutMs);
      this.waiters.push(waiter);
    });
  }

  // Navigates and waits for the load event.
  async goto(url, timeoutMs = COMMAND_TIMEOUT_MS) {
    const loaded = this.nextEvent('Page.loadEventFired', timeoutMs);
    const r = await this.send('Page.navigate', { url });
    if (r.errorText) throw new Error(`navigation to ${url} failed: ${r.errorText}`);
    await loaded;
  }

  // The value of a JavaScript expression (promises awaited); throws what the page throws.
  async evaluate(expression) {
    const r = await this.send('Runtime.evaluate', { expression, awaitPromise: true, returnByValue: true });
    if (r.exceptionDetails) {
      throw new Error(`in page: ${r.exceptionDetails.exception?.description ?? r.exceptionDetails.text}`);
    }
    return r.result.value;
  }

  // Polls until the expression is truthy; returns its value.
  async waitFor(expression, { timeoutMs = COMMAND_TIMEOUT_MS, intervalMs = 20 } = {}) {
    const deadline = Date.now() + timeoutMs;
    for (;;) {
      const v = await this.evaluate(expression);
      if (v) return v;
      if (Date.now() > deadline) throw new Error(`timed out waiting for: ${expression}`);
      await new Promise((r) => setTimeout(r, intervalMs));
    }
  }

  // Waits for a console line that contains the text (or matches the RegExp).
  async waitForConsole(pattern, { timeoutMs = COMMAND_TIMEOUT_MS } = {}) {
    const matches = (m) => (pattern instanceof RegExp ? pattern.test(m.text) : m.text.includes(pattern));
    const deadline = Date.now() + timeoutMs;
    for (;;) {
      const hit = this.console.find(matches);
      if (hit) return hit.text;
      if (Date.now() > deadline) {
        throw new Error(`no console line ${pattern} within ${timeoutMs} ms; seen:\n${this.consoleText()}`);
      }
      await new Promise((r) => setTimeout(r, 20));
    }
  }

  consoleText() { return this.console.map((m) => `  [${m.type}] ${m.text}`).join('\n'); }

  consoleErrors() {
    return this.console.filter((m) => m.type === 'error' || m.type === 'exception' || m.type === 'assert');
  }

  assertNoConsoleErrors() {
    const errors = this.consoleErrors();
    if (errors.length) throw new Error(`errors in the browser console:\n${errors.map((m) => `  ${m.text}`).join('\n')}`);
  }

  // One real key press: keydown (with its character, if any), keyup. A capital letter
  // or '+' is pressed with Shift held; { shift, ctrl, alt } add modifiers.
  async key(name, { shift = false, ctrl = false, alt = false } = {}) {
    const k = describeKey(name);
    const held = [];
    if (shift || k.shift) held.push('Shift');
    if (ctrl) held.push('Control');
    if (alt) held.push('Alt');
    let modifiers = 0;
    for (const m of held) {
      modifiers |= MODIFIER_BITS[m];
      await this.rawKey('rawKeyDown', describeKey(m), modifiers);
    }
    const withText = k.text !== undefined && !ctrl && !alt;
    await this.rawKey(withText ? 'keyDown' : 'rawKeyDown', k, modifiers, withText);
    await this.rawKey('keyUp', k, modifiers);
    for (const m of held.reverse()) {
      modifiers &= ~MODIFIER_BITS[m];
      await this.rawKey('keyUp', describeKey(m), modifiers);
    }
  }

  rawKey(type, k, modifiers, withText = false) {
    const params = {
      type, key: k.key, code: k.code, modifiers,
      windowsVirtualKeyCode: k.vk, nativeVirtualKeyCode: k.vk,
    };
    if (withText) { params.text = k.text; params.unmodifiedText = k.text.toLowerCase(); }
    return this.send('Input.dispatchKeyEvent', params);
  }

  // Mouse events at page coordinates (CSS pixels).
  mouse(type, x, y, { button = 'none', buttons, clickCount = 1, modifiers = 0 } = {}) {
    return this.send('Input.dispatchMouseEvent', {
      type, x, y, button, modifiers,
      buttons: buttons ?? BUTTON_BITS[button],
      clickCount: type === 'mouseMoved' ? 0 : clickCount,
    });
  }

  async click(x, y, { button = 'left', modifiers = 0 } = {}) {
    await this.mouse('mouseMoved', x, y, { modifiers });
    await this.mouse('mousePressed', x, y, { button, modifiers });
    await this.mouse('mouseReleased', x, y, { button, buttons: 0, modifiers });
  }

  // Press at (x0, y0), move in steps to (x1, y1), release there.
  async drag(x0, y0, x1, y1, { button = 'left', steps = 8, modifiers = 0 } = {}) {
    await this.mouse('mouseMoved', x0, y0, { modifiers });
    await this.mouse('mousePressed', x0, y0, { button, modifiers });
    for (let i = 1; i <= steps; ++i) {
      const x = x0 + ((x1 - x0) * i) / steps;
      const y = y0 + ((y1 - y0) * i) / steps;
      await this.mouse('mouseMoved', x, y, { button, buttons: BUTTON_BITS[button], modifiers });
    }
    await this.mouse('mouseReleased', x1, y1, { button, buttons: 0, modifiers });
  }

  // The element's box in page coordinates: { x, y, width, height }.
  async box(selector) {
    const r = await this.evaluate(`(() => {
      const e = document.querySelector(${JSON.stringify(selector)});
      if (!e) return null;
      const b = e.getBoundingClientRect();
      return { x: b.left + window.scrollX, y: b.top + window.scrollY, width: b.width, height: b.height };
    })()`);
    if (!r) throw new Error(`no element ${selector}`);
    return r;
  }

  // A screenshot of a page rectangle (CSS pixels), decoded: { width, height, data, pixel(x, y) }.
  async screenshot(clip) {
    const { data } = await this.send('Page.captureScreenshot', {
      format: 'png', clip: { ...clip, scale: 1 }, captureBeyondViewport: false,
    });
    return decodePng(Buffer.from(data, 'base64'));
  }

  async screenshotElement(selector) {
    return this.screenshot(await this.box(selector));
  }
}

// A stopwatch for a test's steps: lap(what) notes the time since the last lap, and
// timings lists the laps, for the line a test prints when it passes.
export function stopwatch() {
  const timings = [];
  let last = performance.now();
  const lap = (what) => {
    const now = performance.now();
    timings.push(`${what} ${(now - last).toFixed(0)} ms`);
    last = now;
  };
  return { lap, timings };
}

// PNG to RGBA, for 8-bit greyscale, RGB and RGBA images without interlacing (what
// Chromium writes). pixel(x, y) gives [r, g, b, a].
export function decodePng(png) {
  const signature = [137, 80, 78, 71, 13, 10, 26, 10];
  if (!signature.every((b, i) => png[i] === b)) throw new Error('not a PNG file');
  let width, height, bitDepth, colourType, interlace;
  const idat = [];
  for (let pos = 8; pos < png.length;) {
    const length = png.readUInt32BE(pos);
    const type = png.toString('latin1', pos + 4, pos + 8);
    const body = png.subarray(pos + 8, pos + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0); height = body.readUInt32BE(4);
      bitDepth = body[8]; colourType = body[9]; interlace = body[12];
    } else if (type === 'IDAT') {
      idat.push(body);
    } else if (type === 'IEND') {
      break;
    }
    pos += 12 + length;
  }
  const channelsOf = { 0: 1, 2: 3, 4: 2, 6: 4 };
  const channels = channelsOf[colourType];
  if (bitDepth !== 8 || !channels || interlace !== 0) {
    throw new Error(`PNG format not handled: depth ${bitDepth}, colour type ${colourType}, interlace ${interlace}`);
  }
  const raw = inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  const rows = Buffer.alloc(stride * height);
  // Undo the per-row filters (the PNG standard, section 9): 0 none, 1 sub, 2 up,
  // 3 average, 4 Paeth; each predicts a byte from its left (a), upper (b), upper-left (c).
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const src = y * (stride + 1) + 1;
    const dst = y * stride;
    for (let i = 0; i < stride; ++i) {
      const a = i >= channels ? rows[dst + i - channels] : 0;
      const b = y > 0 ? rows[dst + i - stride] : 0;
      const c = i >= channels && y > 0 ? rows[dst + i - stride - channels] : 0;
      let predicted;
      switch (filter) {
        case 0: predicted = 0; break;
        case 1: predicted = a; break;
        case 2: predicted = b; break;
        case 3: predicted = (a + b) >> 1; break;
        case 4: {
          const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
          predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
          break;
        }
        default: throw new Error(`bad PNG row filter ${filter}`);
      }
      rows[dst + i] = (raw[src + i] + predicted) & 0xff;
    }
  }
  const rgba = new Uint8Array(width * height * 4);
  for (let p = 0; p < width * height; ++p) {
    const s = p * channels;
    if (channels <= 2) {
      rgba.set([rows[s], rows[s], rows[s], channels === 2 ? rows[s + 1] : 255], p * 4);
    } else {
      rgba.set([rows[s], rows[s + 1], rows[s + 2], channels === 4 ? rows[s + 3] : 255], p * 4);
    }
  }
  return {
    width, height, data: rgba,
    pixel(x, y) {
      const i = (Math.round(y) * width + Math.round(x)) * 4;
      return [rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]];
    },
  };
}
