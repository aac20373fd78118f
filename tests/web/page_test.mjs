// page_test.mjs -- the page played in Debian's headless Chromium: dialog, pages, level 1, keys
//
// Usage: node page_test.mjs URL OUTDIR. Answers the start-up dialog with Return (640x480), leaves
// the two story pages with Space, flies level 1 with the arrows and the gun, and saves the
// canvas at each stage in OUTDIR. Fails on any page error, or when a stage's picture is not there.
// With SKIRMO_REPLAY (the desktop's skirmo-replay) set, it also records a game in the page and
// plays it there, and watches tests/replay/minute.rec in the page.
import puppeteer from 'puppeteer-core';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const [url, out] = process.argv.slice(2);
const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const replay = process.env.SKIRMO_REPLAY;
fs.mkdirSync(out, { recursive: true });
const problems = [];
const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  // Root has no sandbox; the page's sound starts without a click.
  args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required',
         '--enable-unsafe-swiftshader', '--window-size=1024,768'],
  defaultViewport: { width: 1024, height: 768 },
});
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
// One visit of the page with this query; play(...) does the rest with the helpers below.
// files: what the page may fetch beyond build-web/, by the name it asks for.
async function visit(query, play, { files = {} } = {}) {
  const page = await browser.newPage();
  if (Object.keys(files).length) {
    await page.setRequestInterception(true);
    page.on('request', (r) => {
      const file = files[new URL(r.url()).pathname.slice(1)];
      if (file) r.respond({ status: 200, body: fs.readFileSync(file) });
      else r.continue();
    });
  }
  page.on('pageerror', (e) => problems.push(`${query}: page error: ${e.message}`));
  page.on('console', (m) => {
    if (m.type() === 'error') problems.push(`${query}: console: ${m.text()}`);
  });
  const loaded = Date.now();
  await page.goto(url + query);

  // The canvas as the player sees it, read back through a 2D canvas: pixel(x, y) in the game's
  // picture (640x480, centred in the canvas with its shape kept).
  // Taken from the page's picture where the canvas is, within the page's room.
  async function shot(name) {
    const clip = await page.evaluate(() => {
      const r = document.getElementById('canvas').getBoundingClientRect();
      const x = Math.max(0, Math.round(r.x)), y = Math.max(0, Math.round(r.y));
      return { x, y, width: Math.min(innerWidth, Math.round(r.right)) - x,
               height: Math.min(innerHeight, Math.round(r.bottom)) - y };
    });
    const png = await page.screenshot({ path: path.join(out, name + '.png'), clip,
                                        captureBeyondViewport: false });
    return page.evaluate(async (data) => {
      const img = new Image();
      img.src = 'data:image/png;base64,' + data;
      await img.decode();
      const c = document.createElement('canvas');
      c.width = img.width; c.height = img.height;
      const g = c.getContext('2d');
      g.drawImage(img, 0, 0);
      return { width: c.width, height: c.height,
               rgb: Array.from(g.getImageData(0, 0, c.width, c.height).data) };
    }, Buffer.from(png).toString('base64'));
  }
  const fit = (s) => {
    const scale = Math.min(s.width / 640, s.height / 480);
    return { scale, x0: (s.width - 640 * scale) / 2, y0: (s.height - 480 * scale) / 2 };
  };
  const at = (s, x, y) => {
    const i = 4 * (Math.round(y) * s.width + Math.round(x));
    return [s.rgb[i], s.rgb[i + 1], s.rgb[i + 2]];
  };
  const count = (s, colour, x0, y0, x1, y1) => {
    let n = 0;
    for (let y = Math.max(0, y0); y < Math.min(s.height, y1); y++)
      for (let x = Math.max(0, x0); x < Math.min(s.width, x1); x++)
        if (at(s, x, y).every((v, k) => Math.abs(v - colour[k]) <= 8)) n++;
    return n;
  };
  // The same marks the desktop's check looks for.
  const stages = {
    // The dialog's caption bar, navy, in the middle of the canvas.
    dialog: (s) => count(s, [0, 0, 128], s.width / 2 - 212, s.height / 2 - 184,
                         s.width / 2 + 212, s.height / 2 + 184) > 1000,
    // "Press Space to continue..." in cyan at (50, 440) of the picture.
    story: (s) => {
      const f = fit(s), x = f.x0 + 50 * f.scale, y = f.y0 + 440 * f.scale;
      return count(s, [0, 255, 255], x, y, x + 300 * f.scale, y + 30 * f.scale) > 20;
    },
    // The landscape everywhere: hardly a black point on a grid across the picture.
    flight: (s) => {
      const f = fit(s);
      let black = 0;
      for (let y = 20; y < 480; y += 40)
        for (let x = 20; x < 640; x += 40)
          if (at(s, f.x0 + x * f.scale, f.y0 + y * f.scale).every((v) => v < 8)) black++;
      return black < 10;
    },
    // "Game Paused, press P to continue" on pure blue at (230, 230) of the picture.
    paused: (s) => {
      const f = fit(s), x = f.x0 + 230 * f.scale, y = f.y0 + 230 * f.scale;
      return count(s, [0, 0, 255], x, y, x + 300 * f.scale, y + 25 * f.scale) > 100;
    },
    // The quit question in yellow at (50, 70) of the picture.
    quit: (s) => {
      const f = fit(s), x = f.x0 + 50 * f.scale, y = f.y0 + 70 * f.scale;
      return count(s, [255, 255, 0], x, y, x + 400 * f.scale, y + 25 * f.scale) > 20;
    },
  };
  // A key held as long as a player's tap: the game reads some keys as held, not as pressed.
  async function tap(key) {
    await page.keyboard.down(key);
    await sleep(150);
    await page.keyboard.up(key);
  }
  async function waitFor(name, seconds, between) {
    const until = Date.now() + seconds * 1000;
    for (;;) {
      const s = await shot(name);
      if (stages[name](s)) return Date.now();
      const status = await page.evaluate(() => window.velmora.exitStatus);
      if (status !== null) throw new Error(`the program ended (status ${status}) before the ${name}`);
      if (Date.now() > until) throw new Error(`no ${name} within ${seconds} s (see ${name}.png)`);
      if (between) await between();
      await sleep(250);
    }
  }

  const exitStatus = () => page.evaluate(() => window.velmora.exitStatus);
  try {
    await play({ page, loaded, shot, stages, tap, waitFor, exitStatus, fit, at });
  } finally {
    const errors = await page.evaluate(() => window.velmora.errors);
    for (const e of errors) problems.push(`${query}: error: ${e}`);
    await page.close();
  }
}

// From the first story page to flight: each Space leaves one page; the level's title then fades
// in and out.
async function storyToFlight({ tap, waitFor }) {
  await waitFor('story', 30);
  let presses = 0;
  await waitFor('flight', 90, async () => {
    if (presses++ % 6 === 0) await tap('Space');
  });
}

async function dialogToFlight({ loaded, shot, stages, tap, waitFor, exitStatus, page }) {
  const dialogAt = await waitFor('dialog', 30);
  console.log(`page: the dialog is up ${((dialogAt - loaded) / 1000).toFixed(2)} s after loading`);
  await tap('Enter');
  await storyToFlight({ tap, waitFor });
  console.log('page: Return answered the dialog; level 1 in flight');
  // Flying: a left turn with the gun held, then ahead.
  const before = await shot('flight');
  await page.keyboard.down('Space');
  await page.keyboard.down('ArrowLeft');
  await sleep(2000);
  await page.keyboard.up('ArrowLeft');
  await page.keyboard.down('ArrowUp');
  await sleep(1500);
  await page.keyboard.up('ArrowUp');
  await page.keyboard.up('Space');
  const after = await shot('flying');
  if (!stages.flight(after)) problems.push('the game left flight while its keys were pressed');
  let moved = 0;
  for (let i = 0; i < after.rgb.length; i += 4) if (after.rgb[i] !== before.rgb[i]) moved++;
  if (moved < 1000) problems.push(`the picture hardly changed while flying (${moved} points)`);
  console.log(`page: flew with the keys; ${moved} points of the picture changed`);
  const status = await exitStatus();
  if (status !== null) problems.push(`the program ended while playing (status ${status})`);
}

// A 24-bit bottom-up BMP, as skirmo-replay --shot-at writes it: { width, height, rgb }.
function readBmp(file) {
  const b = fs.readFileSync(file);
  const width = b.readInt32LE(18), height = b.readInt32LE(22), row = (width * 3 + 3) & ~3;
  const rgb = [];
  for (let y = 0; y < height; y++)
    for (let x = 0; x < width; x++) {
      const i = b.readUInt32LE(10) + (height - 1 - y) * row + 3 * x;
      rgb.push(b[i + 2], b[i + 1], b[i], 255);
    }
  return { width, height, rgb };
}

// A game recorded in the page (flight, the gun, the pause, the quit prompt answered Y) plays as
// recorded in skirmo-replay --demo, to the same end, and the canvas on the pause line is the
// runner's picture of that moment, point for point.
async function recordInPage({ page, shot, stages, tap, waitFor, exitStatus, fit, at }) {
  await storyToFlight({ tap, waitFor });
  await page.keyboard.down('Space');
  await page.keyboard.down('ArrowLeft');
  await sleep(1500);
  await page.keyboard.up('ArrowLeft');
  await page.keyboard.up('Space');
  await tap('p');
  await waitFor('paused', 20);
  // The pause line stands still: any moment of it is the one the runner is asked for.
  await sleep(500);
  const [from, paused, to] = [await page.evaluate(() => performance.now()), await shot('paused'),
                              await page.evaluate(() => performance.now())];
  const started = await page.evaluate(() => window.velmora.started);
  const moment = ((from + to) / 2 - started) / 1000;
  await sleep(500);
  await tap('p');
  await sleep(1000);
  await tap('Escape');
  await waitFor('quit', 60);
  await tap('y');
  // The closing pages, each left with Space.
  for (let i = 0; i < 60 && (await exitStatus()) === null; i++) {
    await sleep(500);
    if (i % 3 === 2) await tap('Space');
  }
  const status = await exitStatus();
  if (status === null) throw new Error('the recorded game did not end after the quit prompt');
  const recording = path.join(out, 'page.rec');
  fs.writeFileSync(recording, Buffer.from(await page.evaluate(
      () => Array.from(window.velmora.recording()))));
  const picture = path.join(out, 'paused-runner.bmp'), log = path.join(out, 'page-demo.jsonl');
  const run = spawnSync(replay, ['--data', path.join(root, 'data'), '--demo', recording,
                                 '--log', log, '--shot-at', `${moment.toFixed(3)}:${picture}`],
                        { encoding: 'utf8', timeout: 300000 });
  const end = fs.existsSync(log) ? fs.readFileSync(log, 'utf8').trim().split('\n').pop() : '';
  if (run.status !== status || !end.includes('"why":"program ended"'))
    problems.push(`the page's game ended with ${status}, skirmo-replay --demo with ` +
                  `${run.status}: ${end} ${run.stderr}`);
  else console.log(`page: recorded ${fs.statSync(recording).size} bytes; skirmo-replay --demo ` +
                   `played them to the same end (status ${status})`);
  // Each of the picture's points read at its middle on the canvas, which shows it scaled.
  const runner = readBmp(picture), f = fit(paused);
  let differ = 0;
  for (let y = 0; y < runner.height; y++)
    for (let x = 0; x < runner.width; x++) {
      const seen = at(paused, f.x0 + (x + 0.5) * f.scale - 0.5, f.y0 + (y + 0.5) * f.scale - 0.5);
      const i = 4 * (y * runner.width + x);
      if ([0, 1, 2].some((k) => runner.rgb[i + k] !== seen[k])) differ++;
    }
  if (differ !== 0 || !stages.paused(runner))
    problems.push(`the canvas at ${moment.toFixed(3)} s is not the runner's picture ` +
                  `(${differ} points differ; see paused.png and paused-runner.bmp)`);
  else console.log(`page: the canvas at ${moment.toFixed(3)} s is the runner's picture, ` +
                   `point for point`);
}

// tests/replay/minute.rec watched in the page: it plays as recorded, checked at every frame.
async function watchMinute({ page, waitFor }) {
  await waitFor('flight', 60);
  for (let i = 0; i < 900; i++) {
    const demo = await page.evaluate(() => window.velmora.demo);
    if (demo) {
      if (demo.why !== 'program ended' || demo.status !== 0)
        problems.push(`minute.rec in the page: ${JSON.stringify(demo)}`);
      else console.log(`page: minute.rec played as recorded (${JSON.stringify(demo)})`);
      return;
    }
    await sleep(1000);
  }
  problems.push('minute.rec did not end in the page within 15 minutes');
}

try {
  await visit('', dialogToFlight);
  if (replay) {
    await visit('?record=1&mode=640x480&sound=0', recordInPage);
    await visit('?demo=minute.rec', watchMinute,
                { files: { 'minute.rec': path.join(root, 'tests/replay/minute.rec') } });
  } else {
    console.log('page: SKIRMO_REPLAY is not set: recordings in the page not checked');
  }
  // The query answers the dialog: straight to the story page.
  await visit('?mode=640x480&sound=0', async ({ shot, stages, waitFor }) => {
    if (stages.dialog(await shot('asked'))) problems.push('?mode= still showed the dialog');
    await waitFor('story', 30);
    console.log('page: ?mode=640x480&sound=0 went past the dialog to the story page');
  });
  // Escape is the dialog's Abort: the program ends with status 0, and the page says so.
  await visit('', async ({ page, tap, waitFor, exitStatus }) => {
    await waitFor('dialog', 30);
    await tap('Escape');
    for (let i = 0; i < 40 && (await exitStatus()) === null; i++) await sleep(250);
    const status = await exitStatus();
    const said = await page.evaluate(() => document.getElementById('status').textContent);
    if (status !== 0 || !/ended \(status 0/.test(said))
      problems.push(`Escape in the dialog: status ${status}, the page says "${said}"`);
    else console.log(`page: Escape in the dialog ended the program: "${said}"`);
  });
} catch (e) {
  problems.push(e.message);
} finally {
  await browser.close();
}
for (const p of problems) console.error('page: ' + p);
console.log(problems.length ? 'page: FAILED' : `page: passed (pictures in ${out})`);
process.exit(problems.length ? 1 : 0);
