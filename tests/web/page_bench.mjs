// page_bench.mjs -- the page's figures in Debian's headless Chromium: load, frames, waiting, memory
//
// Usage: node page_bench.mjs URL BUILD_DIR OUTDIR [MINUTES]. Loads the page with the browser's
// cache off and prints, a line each: the time from loading to the dialog; the bytes that arrived
// before it, as sent and as a server's gzip would send them; the intervals of the page's display
// frames in flight (median and 95th percentile); the page's main thread's share of a core on a
// story page and on the pause line; the memory (the game's WebAssembly memory and the script's
// heap) each minute of MINUTES (default 10) of play with keys; and, with SKIRMO_REPLAY (the
// desktop's skirmo-replay) set, the length of the wipes by the game's clock and the game's own
// frame rate, in three ways of drawing. Figures are from one run on a shared machine.
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import { drive, launchBrowser, readBmp, runnerAt, runnerStates, sleep, storyToFlight }
  from './page_driver.mjs';

const [url, built, out, minutesArg] = process.argv.slice(2);
fs.mkdirSync(out, { recursive: true });
const minutes = Number(minutesArg || 10);
const browser = await launchBrowser();
const say = (line) => console.log('bench: ' + line);
const quantile = (values, q) => {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
};

try {
  const page = await browser.newPage();
  const cdp = await page.target().createCDPSession();
  await cdp.send('Network.enable');
  await cdp.send('Network.setCacheDisabled', { cacheDisabled: true });
  await cdp.send('Performance.enable');
  // What arrived, by file: when it was asked for, its size as sent, and as gzip -9 would send it.
  const arrived = [];
  const asked = new Map();
  cdp.on('Network.requestWillBeSent', (e) => {
    if (e.request.url.startsWith('http'))
      asked.set(e.requestId, [e.request.url, e.wallTime * 1000]);
  });
  cdp.on('Network.loadingFinished', (e) => {
    if (!asked.has(e.requestId)) return;
    const [address, at] = asked.get(e.requestId);
    const name = new URL(address).pathname.slice(1) || 'index.html';
    const file = path.join(built, name);
    const gzip = fs.existsSync(file) ? zlib.gzipSync(fs.readFileSync(file), { level: 9 }).length
                                     : e.encodedDataLength;
    arrived.push({ name, at, sent: e.encodedDataLength, gzip });
  });

  const driver = drive(page, out);
  // The canvas as each display frame of the page would show it, read in the frame's own turn
  // (before the browser presents and clears it): the first that shows the dialog tells when it
  // came. Watching from outside (a screencast) slowed the page's start by more than a second.
  await page.evaluateOnNewDocument(() => {
    window.benchSeen = [];
    const look = () => {
      const canvas = document.getElementById('canvas');
      if (window.velmora && window.velmora.started !== null && canvas)
        window.benchSeen.push([performance.timeOrigin + performance.now(), canvas.toDataURL()]);
      if (window.benchSeen.length < 120) requestAnimationFrame(look);
    };
    requestAnimationFrame(look);
  });
  const loaded = Date.now();
  await page.goto(url);
  let dialogAt = null;
  for (let looked = 0; dialogAt === null && Date.now() - loaded < 30000;) {
    const seen = await page.evaluate((from) => window.benchSeen.slice(from), looked);
    for (const [at, png] of seen) {
      if (dialogAt === null && driver.stages.dialog(
          await driver.decode(Buffer.from(png.split(',')[1], 'base64'))))
        dialogAt = at;
    }
    looked += seen.length;
    if (seen.length === 0) await sleep(50);
  }
  if (dialogAt === null) throw new Error('no dialog within 30 s');
  const started = await page.evaluate(() => performance.timeOrigin + window.velmora.started);
  say(`the dialog was shown ${((dialogAt - loaded) / 1000).toFixed(2)} s after loading (the ` +
      `program started at ${((started - loaded) / 1000).toFixed(2)} s)`);
  const before = arrived.filter((a) => a.at <= started);
  const mb = (n) => (n / 1e6).toFixed(2) + ' MB';
  say(`asked for before the dialog: ${mb(before.reduce((n, a) => n + a.sent, 0))} sent, ` +
      `${mb(before.reduce((n, a) => n + a.gzip, 0))} gzipped (` +
      before.map((a) => `${a.name} ${mb(a.gzip)}`).join(', ') + ')');

  // The main thread's busy time (the browser's own count) over a stretch of waiting.
  async function share(what, seconds = 10) {
    const busy = async () => (await cdp.send('Performance.getMetrics')).metrics
        .find((m) => m.name === 'TaskDuration').value;
    const [b0, t0] = [await busy(), Date.now()];
    await sleep(seconds * 1000);
    const [b1, t1] = [await busy(), Date.now()];
    say(`${what}: the page's main thread ${(100 * (b1 - b0) / ((t1 - t0) / 1000)).toFixed(1)} ` +
        '% of a core');
  }
  await driver.tap('Enter');
  await driver.waitFor('story', 30);
  await sleep(3000); // faded in
  await share('story page');
  await storyToFlight(driver);
  await sleep(1000);
  // The page's display frames while flying ahead with the gun.
  await page.evaluate(() => {
    window.benchFrames = [];
    const frame = (t) => { window.benchFrames.push(t); requestAnimationFrame(frame); };
    requestAnimationFrame(frame);
  });
  await page.keyboard.down('Space');
  await sleep(10000);
  await page.keyboard.up('Space');
  const frames = await page.evaluate(() => window.benchFrames);
  const gaps = frames.slice(1).map((t, i) => t - frames[i]);
  say(`flight: ${gaps.length} display frames in 10 s, interval median ` +
      `${quantile(gaps, 0.5).toFixed(1)} ms, 95th percentile ` +
      `${quantile(gaps, 0.95).toFixed(1)} ms`);
  await driver.shot('bench-flight');
  await driver.tap('p');
  await driver.waitFor('paused', 20);
  await share('paused');
  await driver.tap('p');

  // Play with keys for the minutes asked, the memory noted each minute.
  const memory = async () => page.evaluate(
      () => [Module.HEAP8.length, performance.memory.usedJSHeapSize]);
  const keys = ['ArrowLeft', 'ArrowRight', 'ArrowUp', 'ArrowDown'];
  const noted = [await memory()];
  for (let minute = 1; minute <= minutes; minute++) {
    for (let second = 0; second < 60; second += 2) {
      const key = keys[(minute * 7 + second) % keys.length];
      await page.keyboard.down(key);
      await page.keyboard.down('Space');
      await sleep(1000);
      await page.keyboard.up('Space');
      await page.keyboard.up(key);
      await sleep(1000);
      // A page between levels, or the question after the last life: go on.
      if (await driver.exitStatus() !== null) break;
      await driver.tap('Space');
      await driver.tap('y');
    }
    noted.push(await memory());
    if (await driver.exitStatus() !== null) break;
  }
  say('memory by minute (WebAssembly / script heap): ' +
      noted.map(([wasm, js]) => `${mb(wasm)} / ${mb(js)}`).join(', '));
} finally {
  await browser.close();
}

// The wipes, timed by the game's own clock. A game is recorded in the page: in flight, K (a wipe
// of rows, then the keys page), then Escape (a wipe of columns) and the quit. The runner plays
// the recording and takes its pictures every tenth of a second through each wipe; the rows or
// columns already black in each give the time of a step. A wipe measures each step from the last,
// so every moment the page spends away from it lengthens it.
const replay = process.env.SKIRMO_REPLAY;
const drawings = [
  // The page's test: WebGL on SwiftShader, the page composited by the processor, which reads the
  // canvas back from SwiftShader at every display frame.
  ['as the test draws', []],
  // Both on SwiftShader, as both are on a graphics card: no reading back.
  ['composited on SwiftShader', ['--use-angle=swiftshader']],
  // No WebGL at all: SDL draws on a 2D canvas with the processor.
  ['without WebGL', ['--disable-gpu', '--disable-software-rasterizer']],
];

async function recordWipes(args, folder) {
  const browser = await launchBrowser({ args });
  try {
    const page = await browser.newPage();
    const driver = drive(page, folder);
    await page.goto(url + '?mode=640x480&sound=0&record=1');
    await storyToFlight(driver);
    await sleep(1000);
    // Waited out rather than looked for: without WebGL, the browser's screenshots of the canvas
    // kept the wiped screen after the keys page and the question were drawn (both showed on the
    // screen of a Chromium with windows).
    const rows = await driver.gameTime();
    await driver.tap('k');
    await sleep(6000);
    await driver.tap('Space');
    await sleep(3000);
    const columns = await driver.gameTime();
    await driver.tap('Escape');
    await sleep(7000);
    await driver.tap('y');
    await driver.leaveClosingPages();
    const recording = path.join(folder, 'wipes.rec');
    fs.writeFileSync(recording, await driver.recording());
    return { recording, rows, columns };
  } finally {
    await browser.close();
  }
}

// The rows (from the top) or columns (from the left) wholly black in the runner's picture, and
// how many there are.
function wiped(picture, rows) {
  const [lines, along] = rows ? [picture.height, picture.width] : [picture.width, picture.height];
  for (let line = 0; line < lines; line++)
    for (let i = 0; i < along; i++) {
      const at = 4 * (rows ? line * picture.width + i : i * picture.width + line);
      if (picture.rgb[at] || picture.rgb[at + 1] || picture.rgb[at + 2]) return [line, lines];
    }
  return [lines, lines];
}

// A wipe that began after FROM seconds of the recording: its steps' time by a line through the
// pictures taken halfway, and its whole length at that pace.
function wipeLength(recording, from, rows, folder) {
  const times = Array.from({ length: 61 }, (_, i) => from + 0.1 * i);
  const pictures = runnerAt(replay, recording, '--shot-at', times, folder, readBmp);
  // Until the wipe is whole: the page after it may begin with black lines of its own.
  const halfway = [];
  let total = 0, last = 0;
  for (let i = 0; i < times.length && pictures[i]; i++) {
    const [done, lines] = wiped(pictures[i], rows);
    total = lines;
    if (done < last || done === lines) break;
    if (done > 0) halfway.push([times[i], done]);
    last = done;
  }
  if (halfway.length < 3) return `not seen (${pictures.filter(Boolean).length} pictures)`;
  const n = halfway.length, mean = (k) => halfway.reduce((a, p) => a + p[k], 0) / n;
  const [mt, md] = [mean(0), mean(1)];
  const slope = halfway.reduce((a, [t, d]) => a + (t - mt) * (d - md), 0) /
                halfway.reduce((a, [t]) => a + (t - mt) ** 2, 0);
  return `${total} ${rows ? 'rows' : 'columns'} in ${(total / slope).toFixed(2)} s ` +
         `(${(1000 / slope).toFixed(2)} ms a step; ${(total * 0.005).toFixed(2)} s at 5 ms)`;
}

// The game's own frame rate (its FrameRate, which the line that I shows prints) at each tenth of
// the second before FROM in the recording, from the runner's states.
function frameRates(recording, from, folder) {
  const moments = Array.from({ length: 10 }, (_, i) => from - 1 + 0.1 * i);
  return runnerStates(replay, recording, moments, folder)
    .map((state) => state && Math.trunc(state.FrameRate)).join(' ');
}

if (!replay) {
  say('wipes: not measured (SKIRMO_REPLAY names no runner; scripts/bench --web builds one)');
} else {
  for (const [how, args] of drawings) {
    const folder = path.join(out, 'wipes');
    fs.mkdirSync(folder, { recursive: true });
    const { recording, rows, columns } = await recordWipes(args, folder);
    say(`wipes ${how}: ${wipeLength(recording, rows, true, folder)}; ` +
        `${wipeLength(recording, columns, false, folder)}; the game's frame rate in the ` +
        `second before K: ${frameRates(recording, rows, folder)}`);
  }
}
