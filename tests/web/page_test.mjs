// page_test.mjs -- the page played in Debian's headless Chromium: dialog, pages, level 1, keys
//
// Usage: node page_test.mjs URL OUTDIR. Answers the start-up dialog with Return (640x480), leaves
// the two story pages with Space, flies level 1 with the arrows and the gun, and saves the
// canvas at each stage in OUTDIR. Fails on any page error, or when a stage's picture is not there.
// It listens to the page's output: level 1's music must be heard and ?sound=0 silent, and the
// page's synthesizer must render level 1's piece as the desktop's does (OUTDIR/level1-music.wav).
import puppeteer from 'puppeteer-core';
import fs from 'node:fs';
import path from 'node:path';

const [url, out] = process.argv.slice(2);
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
async function visit(query, play) {
  const page = await browser.newPage();
  page.on('pageerror', (e) => problems.push(`${query}: page error: ${e.message}`));
  page.on('console', (m) => {
    if (m.type() === 'error') problems.push(`${query}: console: ${m.text()}`);
  });
  // What reaches the page's output is tapped: an AnalyserNode beside every destination, and
  // one on the music's own node (the only AudioWorkletNode the page makes). An offline
  // rendering is no output.
  await page.evaluateOnNewDocument(() => {
    const connect = AudioNode.prototype.connect;
    const taps = (window.audioTaps = []);
    AudioNode.prototype.connect = function (to, ...rest) {
      if (to instanceof AudioDestinationNode && !(this.context instanceof OfflineAudioContext)) {
        let tap = taps.find((t) => t.context === this.context);
        if (!tap) taps.push((tap = { context: this.context, all: this.context.createAnalyser(),
                                     music: this.context.createAnalyser() }));
        connect.call(this, tap.all);
        if (this instanceof AudioWorkletNode) connect.call(this, tap.music);
      }
      return connect.call(this, to, ...rest);
    };
  });
  const loaded = Date.now();
  await page.goto(url + query);

  // The canvas as the player sees it, read back through a 2D canvas: pixel(x, y) in the game's
  // picture (640x480, centred in the canvas with its shape kept).
  async function shot(name) {
    const canvas = await page.$('#canvas');
    const png = await canvas.screenshot({ path: path.join(out, name + '.png') });
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

  // The RMS and peak of the tapped output and of the music alone over some seconds (0 where
  // nothing was ever connected), read every 40 ms through 2048-frame windows.
  const listen = (seconds) => page.evaluate(async (seconds) => {
    const sum = { all: [0, 0, 0], music: [0, 0, 0] }; // squares, samples, peak
    const data = new Float32Array(2048);
    for (const end = Date.now() + seconds * 1000; Date.now() < end;) {
      for (const tap of window.audioTaps)
        for (const which of ['all', 'music']) {
          tap[which].getFloatTimeDomainData(data);
          for (const v of data) {
            sum[which][0] += v * v;
            sum[which][2] = Math.max(sum[which][2], Math.abs(v));
          }
          sum[which][1] += data.length;
        }
      await new Promise((r) => setTimeout(r, 40));
    }
    const level = ([squares, n, peak]) => ({ rms: n ? Math.sqrt(squares / n) : 0, peak });
    return { all: level(sum.all), music: level(sum.music), state: window.velmora.music };
  }, seconds);

  const exitStatus = () => page.evaluate(() => window.velmora.exitStatus);
  try {
    await play({ page, loaded, shot, stages, tap, waitFor, exitStatus, listen });
  } finally {
    const errors = await page.evaluate(() => window.velmora.errors);
    for (const e of errors) problems.push(`${query}: error: ${e}`);
    await page.close();
  }
}

// Level 1's piece (DREAMS.MID) sits at 0.0055 RMS in its quietest three seconds (its start) and
// at 0.053 in the median three, in the page's rendering and the desktop's alike; the music's
// output is exactly 0 while nothing plays. Three seconds of level 1 over this floor are music.
const MusicFloor = 0.002;
// Its first minute as the desktop's FluidSynth renders it with the page's SoundFont at 44.1 kHz
// (tools/web/music_render.cpp, then sox's stat): RMS 0.047836 in all, and in each five seconds
// as below. The page's rendering must match each within 0.03 dB: it came within 0.003, and the
// desktop's without reverb missed by 0.1, without chorus by 3 dB.
const DesktopPieceRms = [0.007145, 0.010957, 0.034136, 0.038226, 0.039463, 0.042070, 0.042279,
                         0.047564, 0.046168, 0.052938, 0.064409, 0.090566];
const dB = (v) => (20 * Math.log10(v)).toFixed(1) + ' dBFS';

// Level 1's piece rendered by the page's own synthesizer in an OfflineAudioContext, at the
// rate the desktop asks its output for, into OUTDIR/level1-music.wav (16 bits) to set beside
// the desktop's rendering.
async function renderLevelPiece(page, seconds) {
  const wav = await page.evaluate(async (seconds) => {
    const rate = 44100, context = new OfflineAudioContext(2, rate * seconds, rate);
    await context.audioWorklet.addModule('libfluidsynth-2.3.0.js');
    await context.audioWorklet.addModule('music_worklet.js');
    const node = new AudioWorkletNode(context, 'velmora-music',
                                      { numberOfInputs: 0, outputChannelCount: [2] });
    node.connect(context.destination);
    const piece = Module.FS.readFile('/data/DREAMS.MID');
    const font = await (await fetch('music.sf2')).arrayBuffer();
    // Asked to play before the SoundFont, as the game may: it plays from the first sample.
    const loaded = new Promise((r) => (node.port.onmessage = (e) => e.data.font && r()));
    node.port.postMessage({ verb: 'load', bytes: piece.buffer }, [piece.buffer]);
    node.port.postMessage({ verb: 'play', fromStart: true });
    node.port.postMessage({ verb: 'font', bytes: font }, [font]);
    await loaded;
    const rendered = await context.startRendering();
    const [l, r] = [rendered.getChannelData(0), rendered.getChannelData(1)];
    const file = new DataView(new ArrayBuffer(44 + 4 * l.length));
    const text = (at, t) => [...t].forEach((c, i) => file.setUint8(at + i, c.charCodeAt(0)));
    text(0, 'RIFF'); file.setUint32(4, 36 + 4 * l.length, true); text(8, 'WAVEfmt ');
    file.setUint32(16, 16, true); file.setUint16(20, 1, true); file.setUint16(22, 2, true);
    file.setUint32(24, rate, true); file.setUint32(28, 4 * rate, true);
    file.setUint16(32, 4, true); file.setUint16(34, 16, true);
    text(36, 'data'); file.setUint32(40, 4 * l.length, true);
    let squares = 0, peak = 0;
    const windows = [];
    for (let i = 0; i < 2 * l.length; i++) {
      const v = (i % 2 ? r : l)[i >> 1];
      // Rounded as written, so the figures are those sox reads from the file.
      const sample = Math.round(Math.max(-1, Math.min(1, v)) * 32767);
      squares += (sample / 32768) ** 2;
      peak = Math.max(peak, Math.abs(v));
      file.setInt16(44 + 2 * i, sample, true);
      if ((i + 1) % (2 * 5 * rate) === 0) {
        windows.push(Math.sqrt(squares / (2 * 5 * rate)));
        squares = 0;
      }
    }
    const bytes = new Uint8Array(file.buffer);
    let binary = '';
    for (let i = 0; i < bytes.length; i += 0x8000)
      binary += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
    const rms = Math.sqrt(windows.reduce((a, w) => a + w * w, 0) / windows.length);
    return { rms, windows, peak, base64: btoa(binary) };
  }, seconds);
  fs.writeFileSync(path.join(out, 'level1-music.wav'), Buffer.from(wav.base64, 'base64'));
  return wav;
}

async function dialogToFlight({ loaded, shot, stages, tap, waitFor, exitStatus, page, listen }) {
  const dialogAt = await waitFor('dialog', 30);
  console.log(`page: the dialog is up ${((dialogAt - loaded) / 1000).toFixed(2)} s after loading`);
  await tap('Enter');
  await waitFor('story', 20);
  console.log('page: the story page came with Return');
  // Each Space leaves one page; the level's title then fades in and out before flight. The
  // pictures taken between the presses set the pace: with the machine's load at 6 on its two
  // cores this took 40 to 43 s without the music and 53 s with it.
  let presses = 0;
  await waitFor('flight', 90, async () => {
    if (presses++ % 6 === 0) await tap('Space');
  });
  console.log('page: level 1 in flight');
  const heard = await listen(3);
  console.log(`page: level 1's output ${dB(heard.all.rms)} RMS, its music ${dB(heard.music.rms)}` +
              ` (peak ${heard.music.peak.toFixed(3)}; SoundFont ${heard.state.font})`);
  if (!(heard.music.rms > MusicFloor))
    problems.push(`level 1's music is not heard (RMS ${heard.music.rms}, output ${heard.all.rms})`);
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
  const piece = await renderLevelPiece(page, 60);
  console.log(`page: level 1's piece rendered offline: ${dB(piece.rms)} RMS, peak ` +
              `${piece.peak.toFixed(3)} (level1-music.wav)`);
  const off = DesktopPieceRms.map((d, i) => Math.abs(20 * Math.log10(piece.windows[i] / d)));
  if (!off.every((d) => d < 0.03) || !(piece.peak < 1))
    problems.push(`the offline rendering is not the desktop's: ${piece.windows.join(' ')} ` +
                  `RMS in five seconds (peak ${piece.peak})`);
}

try {
  await visit('', dialogToFlight);
  // The query answers the dialog: straight to the story page.
  await visit('?mode=640x480&sound=0', async ({ shot, stages, waitFor, listen }) => {
    if (stages.dialog(await shot('asked'))) problems.push('?mode= still showed the dialog');
    await waitFor('story', 30);
    console.log('page: ?mode=640x480&sound=0 went past the dialog to the story page');
    // Where sound is on, the story page has its music.
    const heard = await listen(2);
    if (heard.all.peak !== 0 || heard.state.font !== 'not asked')
      problems.push(`?sound=0 is not silent (peak ${heard.all.peak}, ` +
                    `SoundFont ${heard.state.font})`);
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
