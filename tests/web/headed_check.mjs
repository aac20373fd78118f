// headed_check.mjs -- the page in Debian's Chromium with its windows, keys from the X server
//
// Usage: node headed_check.mjs URL OUTDIR (tests/web/run --headed [OUTDIR] serves the page and
// runs it). What the headless browser cannot show: its own shortcuts. On an X server of its own
// (Xvfb, with openbox), a Chromium with windows plays the page to flight; then F12, F11 and Esc
// are pressed as a player presses them (xdotool), so the browser sees them before the page does.
// F12 must give the game's picture as a download and leave the browser's tools closed; F11 must
// take the canvas to full screen, and Esc bring it back, as the browser does with any full
// screen. The same F12 on a blank tab must open the tools, or the check could not see them.
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { downloadInto, drive, launchBrowser, sleep, storyToFlight } from './page_driver.mjs';

const [url, out] = process.argv.slice(2);
fs.mkdirSync(out, { recursive: true });
const problems = [];

// An X server on the first free display, and a window manager to give the focus.
const xvfb = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1280x800x24', '-nolisten', 'tcp'],
                   { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
const display = await new Promise((resolve, reject) => {
  let said = '';
  xvfb.stdio[3].on('data', (d) => {
    said += d;
    if (said.endsWith('\n')) resolve(':' + said.trim());
  });
  xvfb.on('exit', () => reject(new Error('Xvfb did not start')));
});
const env = { ...process.env, DISPLAY: display };
const openbox = spawn('openbox', [], { env, stdio: 'ignore' });
const xdotool = (...args) => {
  const r = spawnSync('xdotool', args, { env, encoding: 'utf8', timeout: 10000 });
  if (r.status !== 0) throw new Error(`xdotool ${args.join(' ')}: ${r.stderr}`);
  return r.stdout.trim();
};
// A key as a player presses it, to the window that has the focus.
const press = async (key) => {
  xdotool('keydown', key);
  await sleep(150);
  xdotool('keyup', key);
};

const browser = await launchBrowser({
  windows: true, env,
  args: ['--window-position=0,0', '--no-first-run', '--no-default-browser-check'],
});
const downloads = path.join(out, 'headed-downloads');
await downloadInto(browser, downloads);
const tools = () => browser.targets().filter((t) => t.url().startsWith('devtools://')).length;

try {
  const [page] = await browser.pages();
  page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
  await page.goto(url + '?mode=640x480&sound=0');
  const d = drive(page, out);
  await storyToFlight(d);
  // The browser's window, in front with the focus, as a player's would be.
  const window = xdotool('search', '--sync', '--onlyvisible', '--class', 'chromium').split('\n')[0];
  xdotool('windowactivate', '--sync', window);
  await page.bringToFront();
  console.log('headed: in flight in a Chromium with windows');

  await press('F12');
  let file;
  for (let i = 0; i < 40 && !file; i++) {
    await sleep(250);
    file = fs.readdirSync(downloads).find((f) => f.endsWith('.png'));
  }
  await sleep(1000);
  if (!file) problems.push('F12 gave no download');
  if (tools()) problems.push("F12 opened the browser's tools");
  if (file && !tools())
    console.log(`headed: F12 downloaded ${file}; the browser's tools stayed closed`);

  await press('F11');
  if (!(await d.waitFullScreen('screen', 3)))
    problems.push(`F11: full screen is ${await d.fullScreen()}`);
  else console.log("headed: F11 took the canvas's box to full screen");
  await sleep(1500);
  const inFull = await d.shot('headed-fullscreen');
  await press('Escape');
  if (!(await d.waitFullScreen(null, 3)))
    problems.push(`Esc in full screen: full screen is ${await d.fullScreen()}`);
  await sleep(1000);
  const after = await d.shot('headed-after-escape');
  const question = d.stages.quit(after);
  console.log('headed: Esc left full screen; the game then showed ' +
              `${question ? 'its quit question' : 'flight'} (in full screen ` +
              `${d.stages.flight(inFull) ? 'flight' : 'something else'})`);
  if (question) {
    await press('n');
    await sleep(500);
  }

  // The control: on a blank tab, F12 is the browser's and opens its tools.
  const blank = await browser.newPage();
  await blank.bringToFront();
  await sleep(500);
  await press('F12');
  let opened = false;
  for (let i = 0; i < 40 && !opened; i++) {
    await sleep(250);
    opened = tools() > 0;
  }
  if (!opened) problems.push("on a blank tab F12 opened no tools: this check cannot see them");
  else console.log("headed: on a blank tab the same F12 opened the browser's tools");
} catch (e) {
  problems.push(e.message);
} finally {
  await browser.close();
  openbox.kill();
  xvfb.kill();
}
for (const p of problems) console.error('headed: ' + p);
console.log(problems.length ? 'headed: FAILED' : 'headed: passed');
process.exit(problems.length ? 1 : 0);
