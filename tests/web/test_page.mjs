// The web page in headless Chromium, used as a student uses it: the start crystal from the
// address, the help dialog dismissed with Return, the main view's balls where the desktop
// draws them, F7 and F12 as real keys and then F11, the rotation film's spots where the
// desktop puts them, a button and the pop-up menu acting as their keys, keys typed into the
// form staying there, a bad value's German message, a CIF file from the computer, saving as
// downloads, quitting, and no error in the browser console.
//   node tests/web/test_page.mjs DIR      DIR: the built page (index.html, weissenberg.js, ...)
import assert from 'node:assert/strict';
import { resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { stopwatch, withBrowser } from './browser.mjs';
import { serve } from '../../web/serve.mjs';

const dir = process.argv[2];
if (!dir) throw new Error('usage: test_page.mjs DIR');
const dataDir = resolve(fileURLToPath(import.meta.url), '../../../data');

const LAMBDA = 1.5418;
const CELL = 5;                           // cubic, space group 1: a* = b* = c* = 1/5
const R = 1 / LAMBDA;                     // Ewald sphere radius, centre (R, 0, 0)
const ON_SPHERE = 0.004;                  // the program's tolerance for "on the sphere"
const HELP_TEXT = 'Demonstrationsprogramm zur Weissenberg-Geometrie\n'
  + '-w-a-s-d-Tasten (oder linke Maustaste): Kammerarotation\n'
  + 'Pfeiltasten: Kristallrotation\n'
  + 'Maus ueber einem Punkt: seine Indizes\n'
  + 'b: Legende und Skalen der Filme ein/aus\n'
  + 'p: Bilder und Protokoll speichern\n'
  + 'i: Intensitaeten (Atome aus einer CIF-Datei) ein/aus\n'
  + 'Menue: rechte Maustaste';

const { lap, timings } = stopwatch();

// The reflections on the sphere with the crystal at rest: |p - (R,0,0)| within the tolerance
// of R, for p = (h, k, l)/a (every index triple the limiting sphere can hold).
function reflectionsAtRest() {
  const hits = [];
  const n = Math.ceil(2 * R * CELL);
  for (let h = -n; h <= n; ++h) {
    for (let k = -n; k <= n; ++k) {
      for (let l = -n; l <= n; ++l) {
        const d = Math.hypot(h / CELL - R, k / CELL, l / CELL);
        if (Math.abs(d - R) < ON_SPHERE) hits.push({ h, k, l });
      }
    }
  }
  return hits;
}

// Ball colours by index (h = +1 green, h = -1 magenta, k = +1 yellow, k = -1 blue, others
// orange), as pixel tests on the lit colour: orange and yellow both count as warm (the green
// ambient light makes a dark yellow greener than red).
const HUES = {
  warm: ([r, g, b]) => r > 40 && g > 0.3 * r && g <= 1.8 * r && b < 0.5 * g,
  green: ([r, g, b]) => g > r + 40 && g > b + 40,
  magenta: ([r, g, b]) => r > g + 40 && b > g + 40,
  blue: ([r, g, b]) => b > r + 60 && b > g + 60,
};
function ballHue(h, k) {
  if (h === 1) return 'green';
  if (h === -1) return 'magenta';
  if (k === -1) return 'blue';
  return 'warm';
}

// Pixels of a hue within `radius` of (x, y): their count and centroid (pixel centres).
function hueBlob(shot, x, y, hue, radius) {
  let count = 0, sx = 0, sy = 0;
  for (let py = Math.floor(y - radius); py <= Math.ceil(y + radius); ++py) {
    for (let px = Math.floor(x - radius); px <= Math.ceil(x + radius); ++px) {
      if (px < 0 || py < 0 || px >= shot.width || py >= shot.height) continue;
      if (Math.hypot(px + 0.5 - x, py + 0.5 - y) > radius) continue;
      if (!HUES[hue](shot.pixel(px, py))) continue;
      ++count; sx += px + 0.5; sy += py + 0.5;
    }
  }
  return { count, x: sx / count, y: sy / count };
}

// Connected areas (4-neighbours) of pixels of a hue, with their size and centroid.
function hueAreas(shot, hue) {
  const seen = new Uint8Array(shot.width * shot.height);
  const areas = [];
  for (let y0 = 0; y0 < shot.height; ++y0) {
    for (let x0 = 0; x0 < shot.width; ++x0) {
      if (seen[y0 * shot.width + x0] || !HUES[hue](shot.pixel(x0, y0))) continue;
      const stack = [[x0, y0]];
      seen[y0 * shot.width + x0] = 1;
      let count = 0, sx = 0, sy = 0;
      while (stack.length) {
        const [x, y] = stack.pop();
        ++count; sx += x + 0.5; sy += y + 0.5;
        for (const [nx, ny] of [[x + 1, y], [x - 1, y], [x, y + 1], [x, y - 1]]) {
          if (nx < 0 || ny < 0 || nx >= shot.width || ny >= shot.height) continue;
          if (seen[ny * shot.width + nx] || !HUES[hue](shot.pixel(nx, ny))) continue;
          seen[ny * shot.width + nx] = 1;
          stack.push([nx, ny]);
        }
      }
      areas.push({ count, x: sx / count, y: sy / count });
    }
  }
  return areas;
}

// Rotation film colours (unlit, exact): h = +1 green, h = -1 magenta, k = +1 orange
// (1, 0.7, 0), k = -1 blue, every other entry red.
function rotationColour(h, k) {
  if (h === 1) return [0, 255, 0];
  if (h === -1) return [255, 0, 255];
  if (k === 1) return [255, 179, 0];
  if (k === -1) return [0, 0, 255];
  return [255, 0, 0];
}

function near(a, b, tolerance) { return a.every((v, i) => Math.abs(v - b[i]) <= tolerance); }

const server = await serve(dir);
try {
  await withBrowser(async (browser) => {
    lap('browser start');
    const page = await browser.newPage({ width: 1700, height: 1000 });
    const frames = () => page.evaluate('new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r)))');
    const state = () => page.evaluate('Module.page.state()');
    const consoleText = () => page.evaluate('document.querySelector("#console").value');

    // ---- start from the address; the help dialog; the console lines --------------------------
    await page.goto(`${server.url}?5,5,5,90,90,90,${LAMBDA}`);
    await page.waitFor('document.querySelector("#message").open');
    assert.equal(await page.evaluate('document.querySelector("#message-title").textContent'), 'Hinweis');
    assert.equal(await page.evaluate('document.querySelector("#message-text").textContent'), HELP_TEXT);
    await page.key('Enter');
    await page.waitFor('!document.querySelector("#message").open');
    assert.equal(await consoleText(), 'Hallo!\n'
      + '5.000000 5.000000 5.000000 90.000000 90.000000 90.000000 1.541800 \n'
      + ' Lambda: 1.541800\nSPGN 1\n'
      + '0.200000 0.200000 0.200000   1.570796 1.570796 1.570796\n'
      + 'New aspect ratio: 520:520 = 1.000000\n');
    await frames();
    lap('page load, help dialog');

    // ---- the main view's balls ---------------------------------------------------------------
    // At rest the camera is the box +-e (e = 1.05 * 2/lambda) seen along z: the ball of p
    // lies at picture x = p.x/e, y = p.y/e (normalised), i.e. pixel ((x+1)/2 W, (1-y)/2 H).
    // Each ball (radius 0.02, about 3.8 pixels here) must show at least 20 pixels of its
    // colour within 5 pixels of that place, centred within 2 pixels; a lattice point of the
    // same colour covers only 9 pixels. Every warm area of 20 pixels or more must be a ball
    // of a computed place.
    const main = await page.screenshotElement('#main-view');
    assert.equal(main.width, 520);
    const e = 1.05 * 2 / LAMBDA;
    const balls = reflectionsAtRest().map(({ h, k, l }) => ({
      h, k, l, hue: ballHue(h, k),
      x: (h / CELL / e + 1) / 2 * main.width, y: (1 - k / CELL / e) / 2 * main.height,
    }));
    assert.ok(balls.length >= 10, `only ${balls.length} reflections computed`);
    for (const b of balls) {
      const blob = hueBlob(main, b.x, b.y, b.hue, 5);
      const where = `ball ${b.h} ${b.k} ${b.l} (${b.hue}) at ${b.x.toFixed(1)}, ${b.y.toFixed(1)}`;
      assert.ok(blob.count >= 20, `${where}: ${blob.count} pixels of its colour`);
      assert.ok(Math.hypot(blob.x - b.x, blob.y - b.y) <= 2,
        `${where}: centred at ${blob.x.toFixed(1)}, ${blob.y.toFixed(1)}`);
    }
    // (The red rays meet at the sphere's centre, where they make a warm area of their own.)
    const centre = { x: (R / e + 1) / 2 * main.width, y: main.height / 2 };
    for (const area of hueAreas(main, 'warm').filter((a) => a.count >= 20)) {
      if (Math.hypot(area.x - centre.x, area.y - centre.y) <= 5) continue;
      assert.ok(balls.some((b) => b.hue === 'warm' && Math.hypot(area.x - b.x, area.y - b.y) <= 3),
        `a warm ball at ${area.x.toFixed(1)}, ${area.y.toFixed(1)} where none is computed`);
    }
    // The pointer over the ball of (2 -3 0) names a point there (the front one of the column
    // (2 -3 l), which the picker chooses) in the panel's title and beside the pointer.
    const named = balls.find((b) => b.h === 2 && b.k === -3 && b.l === 0);
    const mainBox = await page.box('#main-view');
    await page.mouse('mouseMoved', mainBox.x + named.x, mainBox.y + named.y);
    await page.waitFor('document.querySelector("#main-title").textContent.startsWith("Reziprokes Gitter:  (2 -3 ")');
    await frames();
    const darkAround = async () => {   // black text on the white picture, beside the ball
      const shot = await page.screenshotElement('#main-view');
      let ink = 0;
      for (let y = Math.round(named.y) - 20; y < named.y + 20; ++y)
        for (let x = Math.max(0, Math.round(named.x) - 250); x < Math.min(shot.width, named.x + 250); ++x)
          if (shot.pixel(x, y)[0] < 100) ++ink;
      return ink;
    };
    const withLabel = await darkAround();
    await page.mouse('mouseMoved', mainBox.x + mainBox.width + 50, mainBox.y + 10);
    await page.waitFor('document.querySelector("#main-title").textContent === "Reziprokes Gitter"');
    await frames();
    const withoutLabel = await darkAround();
    assert.ok(withLabel - withoutLabel > 30, `no label beside the pointer (${withLabel} dark pixels, ${withoutLabel} without)`);
    lap(`main view: ${balls.length} balls, a label`);

    // ---- F7, F12, F11 as real keys: the rotation film --------------------------------------
    // The spin runs without the sphere: its 144000 lines cost a software rasteriser some
    // hundred milliseconds a picture (web/bench.mjs), a graphics card next to nothing.
    await page.key('F4');
    await page.key('F7');
    await page.key('F12');
    await page.waitFor('Module.page.state().logCount >= 400', { timeoutMs: 60000 });
    await page.key('F11');
    await page.key('F4');
    await frames();
    let s = await state();
    assert.equal(s.spinning, 0);
    assert.equal(s.rotationShown, 1);
    assert.equal(await page.evaluate('document.querySelector("#rotation-panel").classList.contains("closed")'), false);
    // Only the rotation film is fed: the crystal turns about the laboratory z axis by the
    // logged crystal angle w, so u = Rz(w) (h, k, l)/a. A spot lies at abscissa
    // 0.5 tan(asin(u.z / R)) (film radius R = 1/lambda) and at the ordinate of the diffracted
    // ray's azimuth, (atan2(u.x - R, u.y) + pi/2) / pi taken into (-1, 1]. Where entries share a pixel the latest wins;
    // the spot's pixel must have exactly its colour, and every coloured pixel of the film
    // must belong to a computed spot (3 x 3 pixels about it).
    const film = await page.screenshotElement('#rotation-view');
    const log = (await page.evaluate('Module.page.logCsv()')).trim().split('\n').slice(1)
      .map((line) => line.split(',').map(Number));
    assert.ok(log.length >= 400);
    const spots = new Map();
    for (const [h, k, l, degrees] of log) {
      const w = degrees * Math.PI / 180;
      const ux = (Math.cos(w) * h - Math.sin(w) * k) / CELL, uy = (Math.sin(w) * h + Math.cos(w) * k) / CELL;
      let ordinate = (Math.atan2(ux - R, uy) + Math.PI / 2) / Math.PI;
      if (ordinate > 1) ordinate -= 2;
      const abscissa = 0.5 * Math.tan(Math.asin((l / CELL) / R));
      if (!Number.isFinite(abscissa) || !Number.isFinite(ordinate)) continue;
      const px = Math.floor((abscissa + 1) / 2 * film.width);
      const py = film.height - 1 - Math.floor((ordinate + 1) / 2 * film.height);
      if (px < 0 || py < 0 || px >= film.width || py >= film.height) continue;   // off the film
      spots.set(`${px},${py}`, { px, py, colour: rotationColour(h, k), hkl: `${h} ${k} ${l}` });
    }
    for (const spot of spots.values()) {
      const got = [-1, 0, 1].flatMap((dy) => [-1, 0, 1].map((dx) => film.pixel(spot.px + dx, spot.py + dy).slice(0, 3)));
      // One pixel of tolerance for the rounding of a centre near a pixel's edge.
      assert.ok(near(film.pixel(spot.px, spot.py).slice(0, 3), spot.colour, 2) || got.some((p) => near(p, spot.colour, 2)),
        `spot ${spot.hkl} at ${spot.px}, ${spot.py}: ${JSON.stringify(film.pixel(spot.px, spot.py))}, want ${spot.colour}`);
    }
    const cx = film.width / 2, cy = film.height / 2;
    for (let y = 0; y < film.height; ++y) {
      for (let x = 0; x < film.width; ++x) {
        const [r, g, b] = film.pixel(x, y);
        if ((r === 255 && g === 255 && b === 255) || (r === 0 && g === 0 && b === 0)) continue;   // film, cross
        const ofSpot = [...spots.values()].some((sp) => Math.abs(sp.px - x) <= 2 && Math.abs(sp.py - y) <= 2);
        assert.ok(ofSpot || Math.abs(x - cx) <= 1 || Math.abs(y - cy) <= 1, `stray pixel ${r},${g},${b} at ${x}, ${y}`);
      }
    }
    // A wavelength key: from now on the film draws on its kept picture, so every spot stays
    // as a trace beside the spots of the new wavelength.
    await page.key('l');
    await page.waitFor('document.querySelector("#console").value.includes("Labda 1.5")');
    await frames();
    const traced = await page.screenshotElement('#rotation-view');
    for (const spot of spots.values()) {
      // (A new spot may cover a trace: any colour but the film's white.)
      assert.notDeepEqual(traced.pixel(spot.px, spot.py), [255, 255, 255, 255], `trace of ${spot.hkl}`);
    }
    lap(`rotation film: ${log.length} entries, ${spots.size} spots`);

    // ---- a button and the pop-up menu act as their keys ----------------------------------------
    const sphereButton = await page.box('#menu-buttons button[data-value="4"]');
    assert.equal(await page.evaluate('document.querySelector(\'#menu-buttons button[data-value="4"]\').textContent'),
      'Ewaldkugel ein/aus(F4)');
    // The wire sphere's blended grey-green (as 153,168,153 over the white): thousands of pixels
    // while it is shown, hardly any without.
    const spherePixels = async () => {
      const shot = await page.screenshotElement('#main-view');
      let count = 0;
      for (let y = 0; y < shot.height; ++y) {
        for (let x = 0; x < shot.width; ++x) {
          const [r, g, b] = shot.pixel(x, y);
          if (r > 60 && r < 200 && Math.abs(r - b) < 6 && g - r >= 8 && g - r <= 40) ++count;
        }
      }
      return count;
    };
    assert.ok(await spherePixels() > 5000, 'no sphere before the button');
    await page.click(sphereButton.x + 5, sphereButton.y + 5);
    await frames();
    assert.equal((await state()).showEwaldSphere, 0);
    const without = await spherePixels();
    assert.ok(without < 50, `the sphere button left the sphere: ${without} pixels`);
    await page.key('F4');
    await frames();
    assert.equal((await state()).showEwaldSphere, 1);
    assert.ok(await spherePixels() > 5000, 'F4 did not bring the sphere back');

    const view = await page.box('#main-view');
    await page.click(view.x + 100, view.y + 100, { button: 'right' });
    await page.waitFor('!document.querySelector("#popup-menu").hidden');
    const captions = await page.evaluate('[...document.querySelectorAll("#popup-menu li[role=menuitem]")].map((e) => e.textContent)');
    assert.equal(captions.length, 15);
    assert.equal(captions[14], 'Beenden (q,ESC)');
    const axesItem = await page.box('#popup-menu li[data-value="120"]');
    await page.click(axesItem.x + 10, axesItem.y + 5);
    assert.equal(await page.evaluate('document.querySelector("#popup-menu").hidden'), true);
    assert.equal((await state()).showAxes, 0);
    await page.key('x');
    assert.equal((await state()).showAxes, 1);
    // Escape closes the menu and does not quit.
    await page.click(view.x + 100, view.y + 100, { button: 'right' });
    await page.key('Escape');
    assert.equal(await page.evaluate('document.querySelector("#popup-menu").hidden'), true);
    assert.equal((await state()).quit, 0);
    lap('button and menu');

    // ---- the form: typed keys stay in it; a bad value's message; a CIF file --------------------
    const field = await page.box('#start-form input[name=a]');
    await page.click(field.x + 5, field.y + 5);
    await page.evaluate('document.querySelector("#start-form input[name=a]").select()');
    await page.key('5');
    await page.key('x');
    assert.equal(await page.evaluate('document.querySelector("#start-form input[name=a]").value'), '5x');
    assert.equal((await state()).showAxes, 1, 'a key typed into the form reached the program');
    const startButton = await page.box('#start');
    await page.click(startButton.x + 5, startButton.y + 5);
    await page.waitFor('document.querySelector("#message").open');
    assert.equal(await page.evaluate('document.querySelector("#message-title").textContent'), 'Eingabefehler');
    const message = 'Ungueltiger Wert fuer a: "5x" ist keine Zahl.';
    assert.equal(await page.evaluate('document.querySelector("#message-text").textContent'), message);
    assert.ok((await consoleText()).endsWith(message + '\n'));
    await page.key('Enter');
    await page.waitFor('!document.querySelector("#message").open');
    assert.ok((await state()).logCount >= 400, 'a refused start changed the running crystal');

    await page.send('DOM.enable');
    const { root } = await page.send('DOM.getDocument');
    const { nodeId } = await page.send('DOM.querySelector', { nodeId: root.nodeId, selector: 'input[name=cif]' });
    await page.send('DOM.setFileInputFiles', { nodeId, files: [`${dataDir}/cif/nacl.cif`] });
    await page.click(startButton.x + 5, startButton.y + 5);
    await page.waitFor('document.querySelector("#console").value.includes("CIF-Datei nacl.cif, Datenblock nacl")');
    assert.match(await consoleText(), /SPGN 225\nRaumgruppe F m -3 m\n0\.177299 0\.177299 0\.177299 {3}1\.570796 1\.570796 1\.570796\nCIF-Datei nacl.cif, Datenblock nacl\nNew aspect ratio: 520:520 = 1.000000\n$/);
    s = await state();
    assert.ok(s.logCount < 50, 'the new crystal kept the old log');   // its first pictures log only a few
    assert.equal(s.rotationShown, 0, 'a new start keeps no film');
    // The pointer names the new crystal's points, never the old one's: NaCl's column (2 -2 l)
    // is named, and where the first crystal had (2 -3 l) nothing is.
    const naclPlace = (h, k) => ({ x: mainBox.x + (h / 5.6402 / e + 1) / 2 * main.width,
                                   y: mainBox.y + (1 - k / 5.6402 / e) / 2 * main.height });
    const nacl22 = naclPlace(2, -2);
    await page.mouse('mouseMoved', nacl22.x, nacl22.y);
    await page.waitFor('document.querySelector("#main-title").textContent.startsWith("Reziprokes Gitter:  (2 -2 ")');
    await page.mouse('mouseMoved', mainBox.x + named.x, mainBox.y + named.y);
    await page.waitFor('document.querySelector("#main-title").textContent === "Reziprokes Gitter"');
    lap('form');

    // ---- saving: the pictures and the log as downloads -----------------------------------------
    await page.evaluate(`window.downloads = [];
      Module.page.download = (name, type, bytes) => window.downloads.push({ name, type, head: [...bytes.slice(0, 8)] });`);
    await page.key('F8');
    await frames();
    await page.key('p');
    const downloads = await page.evaluate('window.downloads');
    assert.deepEqual(downloads.map((d) => d.name),
      ['weissenberg-001-haupt.png', 'weissenberg-001-weissenberg.png', 'weissenberg-001-protokoll.csv']);
    for (const d of downloads.slice(0, 2)) assert.deepEqual(d.head, [137, 80, 78, 71, 13, 10, 26, 10], d.name);
    assert.equal(String.fromCharCode(...downloads[2].head), 'h,k,l,kr');
    lap('save');

    // ---- q ends the program: the note, and keys do nothing more --------------------------------
    await page.key('q');
    await page.waitFor('!document.querySelector("#quit-note").hidden');
    s = await state();
    assert.equal(s.quit, 1);
    assert.equal(s.weissenbergShown, 0);
    await page.key('F7');
    assert.equal((await state()).rotationShown, 0, 'a key acted after quitting');

    page.assertNoConsoleErrors();
  });
  lap('browser closed');
} finally {
  await server.close();
}
console.log(`web page passed: ${timings.join(', ')}`);
