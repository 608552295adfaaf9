// The browser test set-up end to end, on a minimal WebGL page: the page loads from the
// static server, its canvas shows the red clear colour with the green triangle, real key
// presses and mouse buttons reach the page and the C++ side, which prevents the browser's
// own meaning of the keys, and the console stays free of errors (while an error thrown
// in the page is seen).
//   node tests/web/test_webgl_demo.mjs DIR     DIR: the built demo (index.html, .js, .wasm)
import assert from 'node:assert/strict';
import { stopwatch, withBrowser } from './browser.mjs';
import { serve } from '../../web/serve.mjs';

const dir = process.argv[2];
if (!dir) throw new Error('usage: test_webgl_demo.mjs DIR');

const { lap, timings } = stopwatch();

const server = await serve(dir);
try {
  await withBrowser(async (browser) => {
    lap('browser start');
    const page = await browser.newPage({ width: 1700, height: 700 });
    await page.goto(server.url);
    await page.waitForConsole('drawn with WebGL');
    lap('page load and first frame');

    // Colours: the canvas corners show the clear colour, its centre the triangle.
    const shot = await page.screenshotElement('#view');
    assert.equal(shot.width, 200);
    assert.equal(shot.height, 160);
    const red = [255, 0, 0, 255], green = [0, 255, 0, 255];
    assert.deepEqual(shot.pixel(3, 3), red, 'top-left corner');
    assert.deepEqual(shot.pixel(196, 156), red, 'bottom-right corner');
    assert.deepEqual(shot.pixel(100, 90), green, 'centre of the triangle');
    // Just outside the triangle's left edge at mid-height (edge from (50,120) to (100,40)).
    assert.deepEqual(shot.pixel(65, 80), red, 'beside the triangle');
    lap('screenshot');

    // Keys: the page's listener sees them in order with their names and Shift state, and
    // the C++ callback gets them too.
    for (const k of ['F5', 'F7', 'F12', 'ArrowUp', 'PageDown', 'a', 'A', '5', 'Escape']) await page.key(k);
    const seen = await page.evaluate('window.keysSeen');
    assert.deepEqual(seen.filter((e) => e.key !== 'Shift').map((e) => [e.key, e.shift]), [
      ['F5', false], ['F7', false], ['F12', false], ['ArrowUp', false], ['PageDown', false],
      ['a', false], ['A', true], ['5', false], ['Escape', false],
    ]);
    assert.equal(seen.find((e) => e.key === 'A').code, 'KeyA');
    await page.waitForConsole('key A shift=1');
    await page.waitForConsole('key F12 shift=0');

    // The C++ side takes the keys: the browser's own meaning (F5 reloads) is prevented.
    // (A headless browser has no reload key of its own, so the flag is what is checked.)
    assert.ok(seen.every((e) => e.prevented), 'a key reached the browser\'s default action');

    // Mouse: the right button and a drag reach the canvas in canvas coordinates.
    const box = await page.box('#view');
    await page.click(box.x + 30, box.y + 40, { button: 'right' });
    await page.waitForConsole('mouse button=2 at 30,40');
    await page.drag(box.x + 10, box.y + 10, box.x + 150, box.y + 120);
    await page.waitForConsole('mouse button=0 at 10,10');
    lap('keys and mouse');

    page.assertNoConsoleErrors();
    // The console check itself: an uncaught exception in the page is reported.
    await page.evaluate("setTimeout(() => { throw new Error('probe'); }, 0)");
    await page.waitFor('true');
    await new Promise((r) => setTimeout(r, 100));
    assert.ok(page.consoleErrors().some((m) => m.text.includes('probe')), 'exception not reported');
  });
  lap('browser closed');
} finally {
  await server.close();
}
console.log(`web demo passed: ${timings.join(', ')}`);
