// Time per spin step of the web page, with the Ewald sphere shown and hidden: the page is
// opened in headless Chromium (WebGL on the SwiftShader software rasteriser, as in the tests)
// and runs the spin's steps itself, each with its scan, log and picture, waited for until
// drawn. A real browser on a GPU is faster; the ratio of the two figures is what carries over.
//   node web/bench.mjs [DIR] [STEPS]     DIR: the built page (default build-web/page)
import { resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { withBrowser } from '../tests/web/browser.mjs';
import { serve } from './serve.mjs';

const here = resolve(fileURLToPath(import.meta.url), '..');
const dir = process.argv[2] ?? resolve(here, '../build-web/page');
const steps = Number(process.argv[3] ?? 200);
const crystal = '5,5,5,90,90,90,1.5418';

const server = await serve(dir);
try {
  await withBrowser(async (browser) => {
    const page = await browser.newPage({ width: 1700, height: 1000 });
    await page.goto(`${server.url}?${crystal}`);
    await page.waitFor('document.querySelector("#message").open');
    await page.evaluate('document.querySelector("#message").close()');
    // The rotation film follows as in a lesson; then the steps with and without the sphere.
    await page.key('F7');
    await page.evaluate('new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r)))');
    const run = async (sphere, n = steps) => {
      const r = await page.send('Runtime.evaluate', {
        expression: `Module._wbBenchmark(${n}, ${sphere})`, returnByValue: true,
      }, 600000);
      return r.result.value;
    };
    await run(1, 10);   // the first steps also compile the shaders' variants: not counted
    const sphereOn = await run(1);
    const sphereOff = await run(0);
    const version = await page.evaluate('navigator.userAgent.match(/Chrome\\/[\\d.]+/)?.[0] ?? navigator.userAgent');
    console.log(`web page, ${crystal}, ${steps} spin steps of 0.3 degrees each (${version}, SwiftShader):`);
    console.log(`  sphere on:  ${sphereOn.toFixed(2)} ms per step`);
    console.log(`  sphere off: ${sphereOff.toFixed(2)} ms per step`);
    page.assertNoConsoleErrors();
  }, { timeoutMs: 600000 });
} finally {
  await server.close();
}
