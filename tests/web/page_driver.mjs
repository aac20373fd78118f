// page_driver.mjs -- what the page's test and its benchmark do to the page: look, press, listen
//
// drive(page, out) gives the helpers for one page: shot(name) (the canvas, also saved as
// OUT/name.png), decode, fit, at, stages (the marks the desktop's check looks for), tap,
// waitFor(stage, seconds, between), listen(seconds), exitStatus, fullScreen and
// waitFullScreen(want, seconds), gameTime, recording and leaveClosingPages. tapOutput(page),
// before the page loads, taps what reaches its output. launchBrowser() starts the browser they
// drive; downloadInto(browser, folder) sends its downloads to a fresh folder. runnerAt(...) has
// the desktop's runner play a game recorded in the page, and gives its pictures (read with
// readBmp) or its states (runnerStates) at the moments asked for.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import zlib from 'node:zlib';
import puppeteer from 'puppeteer-core';

// The repository, whose data the runner plays with.
export const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');

export const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Debian's Chromium, drawing with SwiftShader: headless, or with windows (on the X server that
// env's DISPLAY names; its window then sizes the page), with more args, and those that
// VELMORA_BROWSER_ARGS lists (--use-angle=swiftshader: the page composited on SwiftShader too,
// as a browser with a graphics card composites; in flight it cost 0.84 to 0.93 of a core here,
// against 0.61 to 0.65 with the processor compositing). Root has no sandbox; the page's sound
// starts without a click.
export const launchBrowser = ({ windows = false, env = process.env, args = [] } = {}) =>
  puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: !windows,
    env,
    args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required',
           '--enable-unsafe-swiftshader', '--window-size=1024,768',
           ...(process.env.VELMORA_BROWSER_ARGS || '').split(' ').filter(Boolean), ...args],
    defaultViewport: windows ? null : { width: 1024, height: 768 },
  });

// The browser's downloads (F12's pictures) go to this folder, emptied first.
export async function downloadInto(browser, folder) {
  fs.rmSync(folder, { recursive: true, force: true });
  fs.mkdirSync(folder);
  await (await browser.target().createCDPSession())
    .send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: folder });
}

export async function tapOutput(page) {
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
}

// A PNG of 8-bit RGB or RGBA, not interlaced, as { width, height, rgb } (RGBA, a point's four
// values from 4 * (y * width + x)); null for any other kind. The browser decodes any kind, but
// handed back as an array of numbers a picture cost about half a second of the processor, and the
// page's test looks at a picture every quarter of a second while it waits.
export function decodePlainPng(png) {
  let width = 0, height = 0, channels = 0;
  const packed = [];
  for (let at = 8; at + 8 <= png.length;) {
    const length = png.readUInt32BE(at), kind = png.toString('latin1', at + 4, at + 8);
    const data = png.subarray(at + 8, at + 8 + length);
    if (kind === 'IHDR') {
      if (data[8] !== 8 || (data[9] !== 2 && data[9] !== 6) || data[12] !== 0) return null;
      [width, height] = [data.readUInt32BE(0), data.readUInt32BE(4)];
      channels = data[9] === 6 ? 4 : 3;
    } else if (kind === 'IDAT') {
      packed.push(data);
    } else if (kind === 'IEND') {
      break;
    }
    at += 12 + length;
  }
  if (!channels) return null;
  const raw = zlib.inflateSync(Buffer.concat(packed));
  const stride = width * channels, rgb = new Uint8Array(width * height * 4);
  let above = new Uint8Array(stride), row = new Uint8Array(stride);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)], line = raw.subarray(y * (stride + 1) + 1);
    for (let x = 0; x < stride; x++) {
      const left = x >= channels ? row[x - channels] : 0, up = above[x];
      const corner = x >= channels ? above[x - channels] : 0;
      let v = line[x];
      if (filter === 1) v += left;
      else if (filter === 2) v += up;
      else if (filter === 3) v += (left + up) >> 1;
      else if (filter === 4) {
        const p = left + up - corner;
        const [pl, pu, pc] = [Math.abs(p - left), Math.abs(p - up), Math.abs(p - corner)];
        v += pl <= pu && pl <= pc ? left : pu <= pc ? up : corner;
      }
      row[x] = v; // modulo 256, as the filters are
    }
    for (let x = 0; x < width; x++) {
      const to = 4 * (y * width + x), from = x * channels;
      rgb[to] = row[from];
      rgb[to + 1] = row[from + 1];
      rgb[to + 2] = row[from + 2];
      rgb[to + 3] = channels === 4 ? row[from + 3] : 255;
    }
    [above, row] = [row, above];
  }
  return { width, height, rgb };
}

// A 24-bit bottom-up BMP, as skirmo-replay --shot-at writes it, as { width, height, rgb } (RGBA
// as decodePlainPng gives).
export function readBmp(file) {
  const b = fs.readFileSync(file);
  const width = b.readInt32LE(18), height = b.readInt32LE(22), row = (width * 3 + 3) & ~3;
  const start = b.readUInt32LE(10), rgb = new Uint8Array(width * height * 4);
  for (let y = 0; y < height; y++)
    for (let x = 0; x < width; x++) {
      const i = start + (height - 1 - y) * row + 3 * x, to = 4 * (y * width + x);
      rgb[to] = b[i + 2];
      rgb[to + 1] = b[i + 1];
      rgb[to + 2] = b[i];
      rgb[to + 3] = 255;
    }
  return { width, height, rgb };
}

// What the desktop's runner (replay) writes with option (--shot-at or --state-at) at each moment
// (seconds of the recording) as it plays the recording so far, each read with read(file); null
// where none came. Its files are written into folder and taken away.
export function runnerAt(replay, recording, option, moments, folder, read) {
  const kind = option === '--shot-at' ? 'bmp' : 'json';
  const file = (i) => path.join(folder, `runner-${i}.${kind}`);
  spawnSync(replay, ['--data', path.join(root, 'data'), '--demo', recording,
                     ...moments.flatMap((t, i) => [option, `${t.toFixed(3)}:${file(i)}`])],
            { encoding: 'utf8', timeout: 300000 });
  return moments.map((_, i) => {
    if (!fs.existsSync(file(i))) return null;
    const what = read(file(i));
    fs.rmSync(file(i));
    return what;
  });
}

// The game's state at each moment, as runnerAt gives it.
export const runnerStates = (replay, recording, moments, folder) =>
  runnerAt(replay, recording, '--state-at', moments, folder,
           (file) => JSON.parse(fs.readFileSync(file, 'utf8')));

export function drive(page, out) {
  // The canvas as the player sees it, read back through a 2D canvas: pixel(x, y) in the game's
  // picture (640x480, centred in the canvas with its shape kept).
  async function shot(name) {
    const canvas = await page.$('#canvas');
    return decode(await canvas.screenshot({ path: path.join(out, name + '.png') }));
  }
  // A PNG's pixels as RGBA: read here where it is plain 8-bit RGB or RGBA (the canvas's pictures,
  // F12's), by the browser otherwise.
  function decode(png) {
    const plain = decodePlainPng(Buffer.from(png));
    if (plain) return plain;
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
    // "Game Paused, press P to continue" on pure blue at (230, 230) of the picture.
    paused: (s) => {
      const f = fit(s), x = f.x0 + 230 * f.scale, y = f.y0 + 230 * f.scale;
      return count(s, [0, 0, 255], x, y, x + 300 * f.scale, y + 25 * f.scale) > 100;
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
      if (status !== null)
        throw new Error(`the program ended (status ${status}) before the ${name}`);
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
  // The seconds since the program started, which are the recording's own time.
  const gameTime = async () =>
    (await page.evaluate(() => performance.now() - window.velmora.started)) / 1000;
  // The recording so far (?record=1; all of it once the program has ended), as bytes.
  const recording = async () =>
    Buffer.from(await page.evaluate(() => Array.from(window.velmora.recording())));
  // After the quit: the closing pages, each left with Space, until the program ends; its status
  // (null if it did not within half a minute).
  async function leaveClosingPages() {
    for (let i = 0; i < 60 && (await exitStatus()) === null; i++) {
      await sleep(500);
      if (i % 3 === 2) await tap('Space');
    }
    return exitStatus();
  }
  // The id of what the page shows full screen (null for nothing); whether it came to be want
  // within about seconds.
  const fullScreen = () => page.evaluate(() => document.fullscreenElement &&
                                               document.fullscreenElement.id);
  async function waitFullScreen(want, seconds) {
    for (let i = 0; i < seconds * 10 && (await fullScreen()) !== want; i++) await sleep(100);
    return (await fullScreen()) === want;
  }
  return { page, shot, decode, fit, at, stages, tap, waitFor, listen, exitStatus, fullScreen,
           waitFullScreen, gameTime, recording, leaveClosingPages };
}

// From the first story page to flight: each Space leaves one page; the level's title then fades
// in and out.
export async function storyToFlight({ tap, waitFor }) {
  await waitFor('story', 30);
  let presses = 0;
  await waitFor('flight', 90, async () => {
    if (presses++ % 6 === 0) await tap('Space');
  });
}

