// page_test.mjs -- the page played in Debian's headless Chromium: dialog, pages, level 1, keys
//
// Usage: node page_test.mjs URL OUTDIR. Answers the start-up dialog with Return (640x480), leaves
// the two story pages with Space, flies level 1 with the arrows and the gun, and saves the
// canvas at each stage in OUTDIR. Then, in flight: another tab in front pauses the game, F12's
// download is the canvas's picture, F11 and the button take it to full screen and back; a faked
// pad plays (the craft's speed read by the runner from the visit's recording), Escape in the
// dialog ends the program, and that short game, recorded and watched with its ending changed,
// must end "not as recorded" with status 3; the licences page is there.
// Fails on any page error, or when a stage's picture is not there. It listens to the page's
// output: level 1's music must be heard and ?sound=0 silent, and the page's synthesizer must
// render level 1's piece as the desktop's does (OUTDIR/level1-music.wav). With SKIRMO_REPLAY
// (the desktop's skirmo-replay) set, it also records a game in the page and plays it there, and
// watches tests/replay/minute.rec in the page.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import { downloadInto, drive, launchBrowser, readBmp, root, runnerStates, sleep, storyToFlight,
         tapOutput } from './page_driver.mjs';

const [url, out] = process.argv.slice(2);
const replay = process.env.SKIRMO_REPLAY;
fs.mkdirSync(out, { recursive: true });
const problems = [];
const browser = await launchBrowser();
const downloads = path.join(out, 'downloads');
await downloadInto(browser, downloads);
// One visit of the page with this query; play(...) does the rest with the helpers below.
// files: what the page may fetch beyond build-web/, by the name it asks for; pad: a faked pad;
// inBrowser: another browser than the test's own.
async function visit(query, play, { files = {}, pad = false, inBrowser = browser } = {}) {
  const page = await inBrowser.newPage();
  if (pad) await page.evaluateOnNewDocument(fakePad);
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
  await tapOutput(page);
  const loaded = Date.now();
  await page.goto(url + query);

  const driver = drive(page, out);
  try {
    await play({ page, loaded, ...driver });
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
// The gun held for two seconds in level 1 came at 0.026 RMS (-31.7 dBFS) beyond the music, and
// the output holds nothing beyond it while no effect sounds; a third of that is still the gun.
const EffectsFloor = 0.008;
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
  await storyToFlight({ tap, waitFor });
  console.log('page: Return answered the dialog; level 1 in flight');
  const heard = await listen(3);
  console.log(`page: level 1's output ${dB(heard.all.rms)} RMS, its music ${dB(heard.music.rms)}` +
              ` (peak ${heard.music.peak.toFixed(3)}; SoundFont ${heard.state.font})`);
  if (!(heard.music.rms > MusicFloor))
    problems.push(`level 1's music is not heard (RMS ${heard.music.rms}, output ${heard.all.rms})`);
  // Flying: a left turn with the gun held, then ahead.
  const before = await shot('flight');
  await page.keyboard.down('Space');
  await page.keyboard.down('ArrowLeft');
  // The gun's shots are heard over the music: what the output has beyond the music's node.
  const firing = await listen(2);
  const effects = Math.sqrt(Math.max(0, firing.all.rms ** 2 - firing.music.rms ** 2));
  console.log(`page: with the gun held, the output ${dB(firing.all.rms)} RMS, beyond the ` +
              `music ${dB(effects)}`);
  if (!(effects > EffectsFloor))
    problems.push(`the gun is not heard (output ${firing.all.rms}, music ${firing.music.rms})`);
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

// A game recorded in the page (flight, the gun, the pause, the quit prompt answered Y) plays as
// recorded in skirmo-replay --demo, to the same end, and the canvas on the pause line is the
// runner's picture of that moment, point for point.
async function recordInPage({ page, shot, stages, tap, waitFor, fit, at, gameTime,
                              recording: bytes, leaveClosingPages }) {
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
  const [from, paused, to] = [await gameTime(), await shot('paused'), await gameTime()];
  const moment = (from + to) / 2;
  await sleep(500);
  await tap('p');
  await sleep(1000);
  await tap('Escape');
  await waitFor('quit', 60);
  await tap('y');
  const status = await leaveClosingPages();
  // The recording says what the game took in.
  const recording = path.join(out, 'page.rec');
  fs.writeFileSync(recording, await bytes());
  if (status === null) {
    await shot('not-ended');
    throw new Error('the recorded game did not end after the quit prompt (see not-ended.png ' +
                    'and page.rec)');
  }
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
      // In the game's own colours: 5 bits of red and blue, 6 of green. Widened to 8 bits, a
      // graphics card's green may come out one below the runner's.
      if ([3, 2, 3].some((bits, k) => runner.rgb[i + k] >> bits !== seen[k] >> bits)) differ++;
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

// A standard pad that navigator.getGamepads() gives from the start (run in the page before its
// scripts): window.fakedPad.press(button, down) and .stick(x, y) change it as a player would.
function fakePad() {
  const pad = { id: 'Faked pad (STANDARD GAMEPAD)', index: 0, connected: true, mapping: 'standard',
                timestamp: 1, axes: [0, 0, 0, 0],
                buttons: Array.from({ length: 17 }, () => ({ pressed: false, value: 0 })) };
  window.fakedPad = {
    press(i, down) { pad.buttons[i] = { pressed: down, value: down ? 1 : 0 }; pad.timestamp++; },
    stick(x, y) { pad.axes = [x, y, 0, 0]; pad.timestamp++; },
  };
  Object.defineProperty(Navigator.prototype, 'getGamepads',
                        { value: () => [pad, null, null, null], configurable: true });
}

// Whether point i of picture a and point j of picture b are one colour of the game's 16-bit
// picture (5, 6 and 5 bits): the renderer widens those to 8 bits with its own rounding, and its
// green is sometimes one below the PNG's.
const sameColour = (a, i, b, j) => (a.rgb[i] >> 3) === (b.rgb[j] >> 3) &&
  (a.rgb[i + 1] >> 2) === (b.rgb[j + 1] >> 2) && (a.rgb[i + 2] >> 3) === (b.rgb[j + 2] >> 3);

// Points of two pictures of one size that differ.
function differing(a, b) {
  let n = 0;
  for (let i = 0; i < a.rgb.length; i += 4) if (!sameColour(a, i, b, i)) n++;
  return n;
}

// A recording (docs/recording-format.md) with the exit status in its ending replaced: the last
// chunk is unpacked, its five streams stepped over, the status rewritten, and packed again.
function withEndingStatus(recording, status) {
  const noteLength = recording.readUInt16LE(28);
  let at = 30 + noteLength, last = null;
  while (at < recording.length) {
    last = at;
    at += 8 + recording.readUInt32LE(at);
  }
  const packedSize = recording.readUInt32LE(last);
  const body = zlib.inflateSync(recording.subarray(last + 8, last + 8 + packedSize));
  let i = 1;
  const varint = () => {
    let v = 0n, shift = 0n;
    for (;;) {
      const b = body[i++];
      v |= BigInt(b & 0x7f) << shift;
      if (!(b & 0x80)) return v;
      shift += 7n;
    }
  };
  if (body[0] !== 1) throw new Error('the recording has no ending');
  for (let n = 0; n < 4; n++) varint();
  for (let n = 0; n < 5; n++) {
    const length = Number(varint()); // read first: i += varint() would add to i as it was
    i += length;
  }
  const from = i;
  varint(); // the status, zigzagged
  const rest = body.subarray(i);
  const packed = zlib.deflateSync(Buffer.concat([body.subarray(0, from),
                                                 Buffer.from([status * 2]), rest]));
  const sizes = Buffer.alloc(8);
  sizes.writeUInt32LE(packed.length, 0);
  sizes.writeUInt32LE(from + 1 + rest.length, 4);
  return Buffer.concat([recording.subarray(0, last), sizes, packed]);
}

// In flight: away and back as the desktop's Alt+Tab, F12, full screen.
async function awayScreenshotFullScreen({ page, shot, decode, stages, tap, waitFor, fullScreen,
                                          waitFullScreen }) {
  // Another tab in front: the page is hidden and loses the focus, which is switching away. The
  // game comes back paused, and stays still.
  const other = await browser.newPage();
  await other.bringToFront();
  await sleep(1000);
  const away = await page.evaluate(() => [document.visibilityState, document.hasFocus()]);
  if (away[0] !== 'hidden' || away[1]) problems.push(`another tab in front, the page is ${away}`);
  await page.bringToFront();
  await other.close();
  await waitFor('paused', 10);
  const still = await shot('paused');
  await sleep(500);
  const moved = differing(still, await shot('paused'));
  if (moved) problems.push(`back from another tab, the paused picture changed (${moved} points)`);
  console.log('page: another tab in front paused the game; back, it shows the pause line');

  // F12: the picture as a download, named as on the desktop, equal to the canvas (the game
  // paused), and gone from the page's memory.
  await tap('F12');
  const named = /^velmora-\d{4}-\d\d-\d\d-\d{6}(-\d+)?\.png$/; // as the desktop names it
  let file;
  for (let i = 0; i < 40 && !file; i++) {
    await sleep(250);
    file = fs.readdirSync(downloads).find((f) => named.test(f));
  }
  if (!file) throw new Error('F12 gave no PNG download');
  const png = await decode(fs.readFileSync(path.join(downloads, file)));
  const canvas = await shot('f12-canvas');
  if (png.width !== 640 || png.height !== 480 || canvas.width !== 640 || differing(png, canvas))
    problems.push(`F12's ${file} (${png.width}x${png.height}) is not the canvas's picture`);
  const left = await page.evaluate(() => {
    const at = '/home/web_user/.local/share/velmora/screenshots';
    return Module.FS.analyzePath(at).exists ? Module.FS.readdir(at).length - 2 : 0;
  });
  if (left) problems.push(`F12 left ${left} files in the page's memory`);
  console.log(`page: F12 downloaded ${file}, the canvas's picture to the point`);

  // Full screen on a wide screen: the picture as large as fits, 4:3, black bars beside it, and
  // its pixels not smoothed (each point of the screen is the picture's nearest point).
  await page.setViewport({ width: 1280, height: 720 });
  const waitFull = async (want, how) => {
    if (!(await waitFullScreen(want, 2)))
      throw new Error(`${how}: full screen is ${await fullScreen()}`);
  };
  await tap('F11');
  await waitFull('screen', 'F11');
  await sleep(300);
  const screen = await decode(await page.screenshot({ path: path.join(out, 'fullscreen.png') }));
  let off = 0, bars = 0, seen = 0;
  for (let y = 0; y < 720; y += 3) {
    for (let x = 0; x < 1280; x += 3) {
      const i = 4 * (y * 1280 + x);
      if (x < 160 || x >= 1120) {
        if (screen.rgb[i] > 8 || screen.rgb[i + 1] > 8 || screen.rgb[i + 2] > 8) bars++;
        continue;
      }
      const j = 4 * (Math.floor((y + 0.5) / 1.5) * 640 + Math.floor((x - 160 + 0.5) / 1.5));
      seen++;
      if (!sameColour(screen, i, png, j)) off++;
    }
  }
  if (bars || off > seen * 0.03)
    problems.push(`full screen: ${bars} points of the bars not black, ${off} of ${seen} of the ` +
                  'picture not its nearest point (smoothed, or not 4:3 in the middle)');
  console.log(`page: F11 made it full screen, 4:3 and crisp (${off} of ${seen} points off)`);
  await tap('F11');
  await waitFull(null, 'F11 again');
  await page.click('#fullscreen');
  await waitFull('screen', 'the button');
  await tap('F11');
  await waitFull(null, 'F11 after the button');
  await page.setViewport({ width: 1024, height: 768 });
  const box = await page.evaluate(() => canvas.getBoundingClientRect().width);
  if (box !== 640) problems.push(`back from full screen, the canvas is ${box} wide`);
  console.log('page: F11 and the button went to full screen and back');

  // P: the game goes on.
  await tap('p');
  await sleep(500);
  const a = await shot('going-on');
  await sleep(500);
  const b = await shot('going-on');
  if (stages.paused(b) || !differing(a, b)) problems.push('after P the game did not go on');
  else console.log('page: P, and the game went on');
}

// minute.rec plays for a minute and more in real time, and looks at nothing else: it is watched
// in a browser of its own (whose tabs the tab switch below leaves alone) while the rest goes on.
let watching = null;
if (replay) {
  const other = await launchBrowser();
  watching = visit('?demo=minute.rec', watchMinute,
                   { files: { 'minute.rec': path.join(root, 'tests/replay/minute.rec') },
                     inBrowser: other })
    .catch((e) => problems.push(`?demo=minute.rec: ${e.message}`))
    .finally(() => other.close());
}
try {
  await visit('', async (t) => {
    await dialogToFlight(t);
    await awayScreenshotFullScreen(t);
  });
  if (replay) {
    await visit('?record=1&mode=640x480&sound=0', recordInPage);
  } else {
    console.log('page: SKIRMO_REPLAY is not set: recordings in the page not checked');
  }
  // The query answers the dialog: straight to the story page.
  // ... and a pad plays: its A leaves the pages, its stick speeds the craft up, Start pauses.
  // Recorded, where the runner can read the craft's speed from it.
  const padQuery = replay ? '?mode=640x480&sound=0&record=1' : '?mode=640x480&sound=0';
  await visit(padQuery, async ({ page, shot, stages, waitFor, listen, gameTime, recording }) => {
    if (stages.dialog(await shot('asked'))) problems.push('?mode= still showed the dialog');
    await waitFor('story', 30);
    console.log('page: ?mode=640x480&sound=0 went past the dialog to the story page');
    // Where sound is on, the story page has its music.
    const heard = await listen(2);
    if (heard.all.peak !== 0 || heard.state.font !== 'not asked')
      problems.push(`?sound=0 is not silent (peak ${heard.all.peak}, ` +
                    `SoundFont ${heard.state.font})`);
    const pad = (how) => page.evaluate(how);
    let presses = 0;
    await waitFor('flight', 40, async () => {
      if (presses++ % 6) return;
      await pad(() => window.fakedPad.press(0, true));
      await sleep(150);
      await pad(() => window.fakedPad.press(0, false));
    });
    // The craft's speed (10 to 200 points a second; 50 as it starts) in the game's state, where
    // the runner plays the page's recording so far: the pictures cannot tell it once the view
    // stands at the map's edge, which the craft reached under load.
    await pad(() => window.fakedPad.stick(0, 1));
    await sleep(2500);
    const pulled = await gameTime();
    await pad(() => window.fakedPad.stick(0, -1));
    await sleep(4500); // from the slowest to the fastest takes 3.8 s
    const pushed = await gameTime();
    await sleep(1500); // the recording so far reaches about half a second back
    await pad(() => window.fakedPad.stick(0, 0));
    if (replay) {
      const file = path.join(out, 'pad.rec');
      fs.writeFileSync(file, await recording());
      // Pulled, slower than it started (drag alone would do that too: this holds the stick's
      // sign, not the brake); pushed, at three moments, past 120: a craft shot down starts again
      // at 50.
      const [slow, ...fast] = runnerStates(replay, file, [pulled, pushed, pushed + 0.5, pushed + 1],
                                           out)
        .map((state) => (state ? state.player.Speed : NaN));
      if (!(slow < 50) || !(Math.max(...fast) > 120))
        problems.push(`the pad's stick: the craft's speed ${slow} pulled, ${fast.join(', ')} ` +
                      'pushed (see pad.rec)');
      else
        console.log(`page: the pad's A reached flight; its stick took the craft to ` +
                    `${slow.toFixed(1)} and then ${Math.max(...fast).toFixed(1)} points a second`);
    } else {
      console.log("page: the pad's A reached flight; its stick's effect not checked (no runner)");
    }
    await pad(() => window.fakedPad.press(9, true));
    await sleep(150);
    await pad(() => window.fakedPad.press(9, false));
    await waitFor('paused', 10);
    console.log("page: the pad's Start paused the game");
  }, { pad: true });
  // Escape is the dialog's Abort: the program ends with status 0, and the page says so. That
  // short game, recorded, is watched again with the status its ending holds changed: the demo
  // must end "not as recorded", with 3 as the program's status (its main returns it after a
  // wait, which the page once took as 0).
  let aborted = null;
  await visit('?record=1', async ({ page, tap, waitFor, exitStatus, recording }) => {
    await waitFor('dialog', 30);
    await tap('Escape');
    for (let i = 0; i < 40 && (await exitStatus()) === null; i++) await sleep(250);
    const status = await exitStatus();
    const said = await page.evaluate(() => document.getElementById('status').textContent);
    if (status !== 0 || !/ended \(status 0/.test(said))
      problems.push(`Escape in the dialog: status ${status}, the page says "${said}"`);
    else console.log(`page: Escape in the dialog ended the program: "${said}"`);
    aborted = await recording();
  });
  const changed = path.join(out, 'aborted-changed.rec');
  fs.writeFileSync(changed, withEndingStatus(aborted, 1));
  await visit('?demo=changed.rec', async ({ page, exitStatus }) => {
    for (let i = 0; i < 60 && (await exitStatus()) === null; i++) await sleep(250);
    const [status, demo] = [await exitStatus(), await page.evaluate(() => window.velmora.demo)];
    if (status !== 3 || !demo || demo.status !== 3 || demo.why !== 'not as recorded')
      problems.push(`a demo whose ending was changed: status ${status}, ${JSON.stringify(demo)}`);
    else console.log('page: a demo whose ending was changed ended "not as recorded", status 3');
  }, { files: { 'changed.rec': changed } });
  // The licences page, linked from the game's page: every component with its licence's text.
  const page = await browser.newPage();
  await page.goto(url);
  await page.goto(await page.$eval('a[href="licences.html"]', (a) => a.href));
  // Each row's name, and the length of the text its link leads to (the heading's <pre>).
  const listed = await page.$$eval('#components td:first-child a', (links) => links.map((a) => {
    const text = document.getElementById(a.hash.slice(1)).parentNode
      .querySelector(a.hash + ' ~ pre');
    return [a.textContent, text ? text.textContent.length : 0];
  }));
  await page.close();
  const owed = ['Velmora', 'SDL2', 'SDL2_ttf', 'FreeType', 'HarfBuzz', 'zlib', 'DejaVu fonts',
                'js-synthesizer', 'FluidSynth', 'TimGM6mb SoundFont'];
  for (const name of owed) {
    const found = listed.find(([n]) => n === name);
    if (!found || found[1] < 500)
      problems.push(`the licences page: ${name} ${found ? 'without its text' : 'is missing'}`);
  }
  console.log(`page: the licences page lists ${listed.length} components, each with its text`);
  await watching;
} catch (e) {
  problems.push(e.message);
} finally {
  await browser.close();
}
for (const p of problems) console.error('page: ' + p);
console.log(problems.length ? 'page: FAILED' : `page: passed (pictures in ${out})`);
process.exit(problems.length ? 1 : 0);
