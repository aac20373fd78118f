#!/usr/bin/env python3
"""The real game on a real X server (Xvfb, 1024 by 768) with a window manager (openbox), driven
with xdotool and looked at with xwd: what only the desktop can show.

  box-DREAMS, box-CAIRO   a missing piece of music: its box comes up above the game, in the
                          middle of its screen, with the keyboard; Return answers it, and the game
                          goes on in front, not paused
  term-WHERE, int-WHERE, hup-WHERE  SIGTERM, SIGINT or SIGHUP ends the game wherever it waits
                          (the dialog, the story page, the title's fade, flight, paused, away, a
                          wipe, the quit prompt, a message box) through the platform's clean way
                          out, with status 128 + the signal, and its window goes; the time it
                          took is printed
  exposed-WHERE           a page, the quit prompt and the pause line come back after another
                          window covered them and went away
  window                  on a 1920 by 1080 screen: full screen at first; F11 in the dialog makes
                          a window twice the picture's size; resized wider, the picture keeps 4:3
                          between black bars; F12 writes the 640 by 480 picture as a PNG and says
                          where; the next start comes back as left, F11 goes full screen again
                          and is remembered, --window overrides it for one run; a run that
                          changes nothing leaves a file of the player's (and its link) alone
  record-quit, record-TERM, record-close  a game recorded with --record (flight, the gun, the
                          pause, another window in front and back, the quit prompt, SIGTERM, or
                          Alt+F4 at the quit prompt, which ends it at once with status 0) plays
                          again in skirmo-replay --demo, beside SKIRMO, frame for frame to the
                          same end; each also in the window with skirmo --demo, keys pressed
                          meanwhile left unheard; Esc ends that at once

Each check starts its own X server and game; a few run at a time. The game plays its sound
through SDL's dummy driver.

usage: desktop-check [--jobs N] [--only SUBSTRING] [--sanitized] [--cpu] SKIRMO DATA_DIR
       desktop-check --record-minute FILE SKIRMO DATA_DIR

--sanitized (for a sanitizer build, three times slower) leaves out record-quit and record-close:
their games end the ways the recording tests of the suite end theirs, under the sanitizers too;
record-TERM, whose recording the signal ends, stays.
--cpu runs no check: it measures the game's share of a core on a text page, in flight, on the
pause line and minimised (ten seconds each), split into the game's thread, SDL's sound output
and the rest (the music's synthesizer); with sound, then without. A measurement, never a test:
figures vary with the machine and its load.
Exit status 0 when every check passed, 1 otherwise, 77 when one of the tools it drives (Xvfb,
openbox, xdotool, xwd, xmessage, xwininfo) is missing (the suite skips the test then). --record-minute records a minute of play in FILE
instead (the recorded game the suite plays again: tests/replay/minute.rec).
"""
import concurrent.futures
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

USAGE = ("usage: desktop-check [--jobs N] [--only SUBSTRING] [--sanitized] [--cpu] SKIRMO "
         "DATA_DIR\n"
         "       desktop-check --record-minute FILE SKIRMO DATA_DIR")
TOOLS = ("Xvfb", "openbox", "xdotool", "xwd", "xmessage", "xwininfo")
TITLE = "tasklist marque"
WIDTH, HEIGHT = 1024, 768
# The game's 640 by 480 picture fills the screen 1.6 times enlarged: a point of the picture.
SCALE = 1.6


class Failed(Exception):
    pass


class Desktop:
    """An X server with openbox, and the game on it."""

    def __init__(self, skirmo, data, folder, options=(), screen=(WIDTH, HEIGHT)):
        self.game = None
        self.others = []
        self.folder = folder
        self.stderr = open(os.path.join(folder, "stderr.txt"), "w+")
        self.stdout = open(os.path.join(folder, "stdout.txt"), "w+")
        try:
            self.start(skirmo, data, screen, options)
        except BaseException:
            self.close()
            raise

    def start(self, skirmo, data, screen, options):
        read, write = os.pipe()
        self.others.append(subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "%dx%dx24" % screen,
             "-nolisten", "tcp"], pass_fds=(write,), stderr=subprocess.DEVNULL))
        os.close(write)
        number = b""
        with os.fdopen(read, "rb") as f:
            while not number.endswith(b"\n"):
                byte = f.read(1)
                if not byte:
                    raise Failed("Xvfb did not start")
                number += byte
        # The player's folders of its own: the window's settings, screenshots.
        self.env = dict(os.environ, DISPLAY=":" + number.decode().strip(),
                        SDL_AUDIODRIVER="dummy",
                        XDG_CONFIG_HOME=os.path.join(self.folder, "config"),
                        XDG_DATA_HOME=os.path.join(self.folder, "share"),
                        XDG_PICTURES_DIR=os.path.join(self.folder, "pictures"))
        self.env.pop("WAYLAND_DISPLAY", None)
        self.others.append(subprocess.Popen(["openbox", "--sm-disable"], env=self.env,
                                            stdout=subprocess.DEVNULL,
                                            stderr=subprocess.DEVNULL))
        time.sleep(0.5)
        self.skirmo, self.data = skirmo, data
        self.launch(*options)

    def launch(self, *options):
        # On a heavily loaded machine openbox, itself just started, now and then never maps a
        # new window, and SDL waits for that for ever inside window creation (seen with gdb; the
        # same binary starts at once on the next try). Such a start is tried once more, so that
        # the checks measure the game, not that race.
        for attempt in (1, 2):
            self.spawn(options)
            try:
                self.find(TITLE, "game window", timeout=30 if attempt == 1 else 60)
                return
            except Failed:
                if attempt == 2 or self.game.poll() is not None:
                    raise
                self.game.kill()
                self.game.wait()

    def spawn(self, options):
        # Started as from a terminal: a check run in the background of a script would otherwise
        # hand the game Ctrl+C ignored, which the game then rightly keeps ignoring.
        self.game = subprocess.Popen([self.skirmo, *options], cwd=self.data, env=self.env,
                                     stderr=self.stderr, stdout=self.stdout,
                                     preexec_fn=lambda: signal.signal(signal.SIGINT,
                                                                      signal.SIG_DFL))

    def close(self):
        # The game first, then what it was shown on: the X server last.
        for p in ([self.game] if self.game else []) + self.others[::-1]:
            if p.poll() is None:
                p.kill()
                p.wait()
        self.stderr.close()
        self.stdout.close()

    def xdotool(self, *args, timeout=5):
        run = subprocess.run(["xdotool"] + list(args), env=self.env, capture_output=True,
                             text=True, timeout=timeout)
        return run.stdout

    @property
    def window(self):
        # Looked up each time: SDL may make the window again while it sets up its drawing.
        return self.find(TITLE, "game window")

    def find(self, name, what, timeout=60):
        """The first visible window of that name; a search that trips over a window going away
        is simply made again."""
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            found = self.xdotool("search", "--onlyvisible", "--name", name).split()
            if found:
                return found[0]
            if self.game and self.game.poll() is not None:
                break
            time.sleep(0.2)
        self.stderr.seek(0)
        raise Failed("no %s within %d s (the game %s)\n%s" % (
            what, timeout, "is running" if self.game.poll() is None else
            "ended with %d" % self.game.returncode, self.stderr.read()[-2000:]))

    def tap(self, key):
        # Held long enough for the game's polls of the keyboard to see it.
        self.xdotool("keydown", key)
        time.sleep(0.15)
        self.xdotool("keyup", key)

    def shot(self):
        # xwd gives up now and then when a window changes under it: it is asked again.
        for _ in range(5):
            run = subprocess.run(["xwd", "-root", "-silent"], env=self.env, capture_output=True,
                                 timeout=10)
            if run.returncode == 0:
                return Shot(run.stdout)
            time.sleep(0.1)
        raise Failed("xwd cannot take the screen: " + run.stderr.decode(errors="replace"))

    def wait_for(self, what, test, timeout=30):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            if self.game.poll() is not None:
                raise Failed("the game ended (status %d) waiting for %s" % (self.game.returncode,
                                                                             what))
            if test(self.shot()):
                return
            time.sleep(0.2)
        raise Failed("no %s within %d s" % (what, timeout))

    def geometry(self):
        """Where the game window's inside is on the screen, and its size: x, y, width, height."""
        out = subprocess.run(["xwininfo", "-id", self.window], env=self.env, capture_output=True,
                             text=True, timeout=5).stdout
        field = {line.split(":")[0].strip(): line.split(":")[1].strip()
                 for line in out.splitlines() if ":" in line}
        return tuple(int(field[k]) for k in ("Absolute upper-left X", "Absolute upper-left Y",
                                             "Width", "Height"))

    def wait_geometry(self, what, test, timeout=10):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            g = self.geometry()
            if test(g):
                return g
            time.sleep(0.2)
        raise Failed("the window is not %s: %s" % (what, self.geometry()))

    def end(self):
        """SIGTERM, as a logout sends it: the clean way out."""
        self.game.send_signal(signal.SIGTERM)
        if self.game.wait(timeout=5) != 143:
            raise Failed("status %d after SIGTERM" % self.game.returncode)

    def cover(self):
        """Another program's window in the middle of the screen, taking the keyboard."""
        other = subprocess.Popen(["xmessage", "-title", "skirmo-cover", "-center", "-buttons", "",
                                  "\n" * 8 + " " * 60 + "another program" + " " * 60 +
                                  "\n" * 8], env=self.env, stderr=subprocess.DEVNULL)
        self.others.append(other)
        self.xdotool("windowactivate", "--sync", self.find("skirmo-cover", "other window"))
        time.sleep(0.5)
        return other

    def uncover(self, other):
        other.kill()
        other.wait()
        time.sleep(0.5)

    def pages(self):
        """From the dialog to the level's title: 640x480, the two pages left with Space."""
        self.wait_for("dialog", dialog_up)
        self.xdotool("key", "Return")
        self.leave_pages()

    def leave_pages(self):
        self.wait_for("story page", story_prompt)
        self.tap("space")
        time.sleep(1.5)
        self.tap("space")

    def fly(self):
        """On to flight, a moment after the title is gone."""
        self.pages()
        self.wait_for("flight", in_flight)
        time.sleep(1)


class Shot:
    """A picture of the whole screen from xwd."""

    def __init__(self, data):
        fields = struct.unpack(">25I", data[:100])
        header, self.width, self.height = fields[0], fields[4], fields[5]
        self.stride, colours = fields[12], fields[19]
        # Four bytes a pixel, or three (rows still four bytes a pixel apart) while a window
        # with a frame is up.
        self.bytes = fields[11] // 8
        if self.bytes not in (3, 4) or self.stride < self.bytes * self.width:
            raise Failed("xwd wrote %d bits a pixel in rows of %d bytes" % (fields[11],
                                                                          self.stride))
        self.pixels = data[header + 12 * colours:]
        self.little = fields[7] == 0

    def at(self, x, y):
        i = y * self.stride + self.bytes * x
        p = self.pixels[i:i + self.bytes]
        if self.bytes == 3:
            return (p[2], p[1], p[0]) if self.little else (p[0], p[1], p[2])
        return (p[2], p[1], p[0]) if self.little else (p[1], p[2], p[3])

    def count(self, colour, x0, y0, x1, y1, step=2):
        return sum(1 for y in range(y0, y1, step) for x in range(x0, x1, step)
                   if self.at(x, y) == colour)

    def region(self, x0, y0, x1, y1):
        return bytes(b for y in range(y0, y1) for b in self.pixels[
            y * self.stride + self.bytes * x0:y * self.stride + self.bytes * x1])


def dialog_up(shot, centre=None):
    # The dialog's caption bar, navy, in the middle of the screen (or of the window).
    x, y = centre or (shot.width // 2, shot.height // 2)
    return shot.count((0, 0, 128), x - 212, y - 184, x + 212, y + 184) > 1000


def in_flight(shot):
    # The landscape everywhere: hardly a black point on a grid across the screen.
    black = sum(1 for y in range(20, HEIGHT, 40) for x in range(20, WIDTH, 40)
                if shot.at(x, y) == (0, 0, 0))
    return black < 10


def picture(x, y):
    """A point of the game's picture on the screen."""
    return int(x * SCALE), int(y * SCALE)


def story_prompt(shot):
    # "Press Space to continue..." in cyan at (50, 440) of the picture.
    x, y = picture(50, 440)
    return shot.count((0, 255, 255), x, y, x + 300, y + 30) > 20


def box_up(shot):
    # The box's caption bar, navy, somewhere down the middle of the screen.
    return sum(1 for y in range(0, HEIGHT, 2) if shot.at(WIDTH // 2, y) == (0, 0, 128)) > 4


def pause_line(shot):
    # "Game Paused, press P to continue" on pure blue at (230, 230) of the picture.
    x, y = picture(230, 230)
    return shot.count((0, 0, 255), x, y, x + 300, y + 25) > 100


def quit_prompt(shot):
    # The question in yellow at (50, 70) of the picture.
    x, y = picture(50, 70)
    return shot.count((255, 255, 0), x, y, x + 400, y + 25) > 20


def retry_prompt(shot):
    # The retry question stands under a first line, in yellow at (50, 50) of the picture.
    x, y = picture(50, 50)
    return shot.count((255, 255, 0), x, y, x + 300, y + 25) > 20


def flying(desktop):
    """Two pictures a moment apart differ: the game runs and is not paused."""
    first = desktop.shot()
    time.sleep(0.5)
    second = desktop.shot()
    return first.pixels != second.pixels and not pause_line(second)


def data_without(data, folder, piece):
    """A data folder in FOLDER with links to every file of DATA but PIECE."""
    view = os.path.join(folder, "data")
    os.mkdir(view)
    for name in os.listdir(data):
        if name != piece:
            os.symlink(os.path.join(data, name), os.path.join(view, name))
    return view


def check_box(skirmo, data, folder, piece):
    d = Desktop(skirmo, data_without(data, folder, piece), folder)
    try:
        d.wait_for("dialog", dialog_up)
        d.xdotool("key", "Return")
        if piece == "DREAMS.MID":
            d.leave_pages()
        d.wait_for("message box", box_up)
        time.sleep(0.5)
        active, game = d.xdotool("getactivewindow").strip(), d.window
        if active != game:
            raise Failed("the box is up but window %s is in front, not the game's %s"
                         % (active, game))
        d.xdotool("key", "Return")
        d.wait_for("the box to go", lambda s: not box_up(s))
        if piece == "CAIRO.MID":
            d.leave_pages()
        d.wait_for("flight", in_flight)
        time.sleep(1)
        if not flying(d):
            raise Failed("after the box the game is not running in front (paused: %s)"
                         % pause_line(d.shot()))
        return "the box came up above the game with the keyboard; Return answered it; " \
               "level 1 runs unpaused"
    finally:
        d.close()


def check_signal(skirmo, data, folder, where, name):
    view = data_without(data, folder, "DREAMS.MID") if where == "box" else data
    d = Desktop(skirmo, view, folder)
    try:
        if where == "dialog":
            d.wait_for("dialog", dialog_up)
        elif where == "page":
            d.wait_for("dialog", dialog_up)
            d.xdotool("key", "Return")
            d.wait_for("story page", story_prompt)
        elif where in ("title", "box"):
            d.pages()
            if where == "title":
                time.sleep(1)
            else:
                d.wait_for("message box", box_up)
        else:
            d.fly()
            if where == "paused":
                d.tap("p")
                d.wait_for("pause line", pause_line)
            elif where == "away":
                d.cover()
            elif where == "wipe":
                d.tap("Escape")
                time.sleep(1)  # of about three
            elif where == "prompt":
                d.tap("Escape")
                d.wait_for("quit prompt", quit_prompt)
        start = time.monotonic()
        number = getattr(signal, "SIG" + name)
        d.game.send_signal(number)
        try:
            status = d.game.wait(timeout=5)
        except subprocess.TimeoutExpired:
            raise Failed("still running 5 s after SIG%s" % name)
        took = time.monotonic() - start
        want = 128 + number
        if status != want:
            raise Failed("status %d after SIG%s, not %d" % (status, name, want))
        d.stderr.seek(0)
        said = d.stderr.read()
        if "skirmo: ended by SIG" + name not in said:
            raise Failed("not the clean way out:\n" + said[-2000:])
        if d.xdotool("search", "--name", TITLE).strip():
            raise Failed("the window is still there")
        return "ended in %.3f s, status %d, window gone" % (took, status)
    finally:
        d.close()


def check_exposed(skirmo, data, folder, where):
    d = Desktop(skirmo, data, folder)
    try:
        if where == "page":
            d.wait_for("dialog", dialog_up)
            d.xdotool("key", "Return")
            d.wait_for("story page", story_prompt)
            time.sleep(2.5)  # faded in
        else:
            d.fly()
            if where == "prompt":
                d.tap("Escape")
                d.wait_for("quit prompt", quit_prompt)
            else:
                d.tap("p")
                d.wait_for("pause line", pause_line)
        area = (200, 150, 824, 618)
        before = d.shot().region(*area)
        other = d.cover()
        if d.shot().region(*area) == before:
            raise Failed("the other window did not cover the game")
        d.uncover(other)
        # Coming back with the pointer over the game hands it the keyboard again.
        d.xdotool("windowactivate", "--sync", d.window)
        time.sleep(0.5)
        after = d.shot().region(*area)
        if after != before:
            changed = sum(1 for i in range(0, len(after), 4) if after[i:i + 3] != before[i:i + 3])
            raise Failed("%d pixels of the covered area did not come back" % changed)
        return "came back whole after another window covered it"
    finally:
        d.close()


def check_window(skirmo, data, folder):
    screen = (1920, 1080)
    d = Desktop(skirmo, data, folder, screen=screen)
    settings = os.path.join(folder, "config", "velmora", "window.conf")
    try:
        d.wait_for("dialog", dialog_up)
        if d.geometry() != (0, 0) + screen:
            raise Failed("the first start is not full screen: %s" % (d.geometry(),))
        d.xdotool("key", "F11")
        x, y, w, h = d.wait_geometry("1280x960", lambda g: g[2:] == (1280, 960))
        d.wait_for("dialog in the window", lambda s: dialog_up(s, (x + w // 2, y + h // 2)))
        d.xdotool("key", "Return")
        # Twice the picture: the prompt at (50, 440) of it.
        d.wait_for("story page", lambda s: s.count((0, 255, 255), x + 100, y + 880, x + 600,
                                                   y + 940) > 20)
        # Resized wider than 4:3, the 800x600 picture stands in the middle between black bars.
        d.xdotool("windowsize", d.window, "1000", "600")
        x, y, w, h = d.wait_geometry("1000x600", lambda g: g[2:] == (1000, 600))
        d.wait_for("story page, 4:3", lambda s: s.count(
            (0, 255, 255), x + 162, y + 550, x + 500, y + 575) > 20 and s.count(
            (0, 0, 0), x, y, x + 100, y + 600, 4) == 25 * 150 and s.count(
            (0, 0, 0), x + 900, y, x + 1000, y + 600, 4) == 25 * 150)
        d.xdotool("key", "F12")
        end = time.monotonic() + 10
        said = ""
        while "screenshot saved to" not in said and time.monotonic() < end:
            time.sleep(0.2)
            d.stdout.seek(0)
            said = d.stdout.read()
        path = said.split("screenshot saved to ", 1)[-1].strip()
        if not path.startswith(os.path.join(folder, "pictures", "velmora", "velmora-")):
            raise Failed("F12 said %r" % said)
        with open(path, "rb") as f:
            head = f.read(24)
        if head[:8] != b"\x89PNG\r\n\x1a\n" or struct.unpack(">II", head[16:24]) != (640, 480):
            raise Failed("%s is no 640x480 PNG" % path)
        left = d.geometry()
        d.end()
        with open(settings) as f:
            kept = f.read()
        if "mode window" not in kept or "size 1000 600" not in kept:
            raise Failed("window.conf holds:\n" + kept)
        d.launch()
        d.wait_for("dialog", lambda s: dialog_up(s, (x + w // 2, y + h // 2)))
        if d.geometry() != left:
            raise Failed("started again at %s, left at %s" % (d.geometry(), left))
        d.xdotool("key", "F11")
        d.wait_geometry("full screen", lambda g: g == (0, 0) + screen)
        d.end()
        # --window is for one run: the window as left, and full screen still remembered.
        d.launch("--window")
        d.wait_for("dialog", lambda s: dialog_up(s, (x + w // 2, y + h // 2)))
        if d.geometry() != left:
            raise Failed("--window started at %s, not %s" % (d.geometry(), left))
        d.end()
        with open(settings) as f:
            if "mode fullscreen" not in f.read():
                raise Failed("full screen is not remembered")
        # A file of the player's, behind a link, through a run that changes nothing.
        mine = os.path.join(folder, "mine.conf")
        with open(mine, "w") as f:
            f.write("# mine\nmode fullscreen\n")
        os.remove(settings)
        os.symlink(mine, settings)
        d.launch("--window")
        d.wait_for("dialog", dialog_up)
        d.end()
        if not os.path.islink(settings) or open(mine).read() != "# mine\nmode fullscreen\n":
            raise Failed("a run that changed nothing rewrote window.conf: " + open(settings).read())
        return "F11 both ways, 4:3 in a resized window, F12 wrote %s, kept %s" % (
            os.path.basename(path), " ".join(kept.split("\n")[1:]).strip())
    finally:
        d.close()


def cpu_seconds(pid):
    """Processor seconds used so far by each of the process's threads: the game's own thread,
    SDL's sound output thread and the rest (the music's synthesizer)."""
    used = {"game": 0.0, "sound output": 0.0, "music and others": 0.0}
    tick = os.sysconf("SC_CLK_TCK")
    for tid in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/stat" % (pid, tid)) as f:
                stat = f.read()
        except OSError:
            continue
        name = stat.split("(", 1)[1].rsplit(")", 1)[0]
        fields = stat.rsplit(")", 1)[1].split()
        who = ("game" if int(tid) == pid else "sound output" if name.startswith("SDLAudio")
               else "music and others")
        used[who] += (int(fields[11]) + int(fields[12])) / tick
    return used


def measure_cpu(skirmo, data, folder, sound, seconds=10):
    """The game's share of a core while it waits on a text page, on the pause line and
    minimised, and in flight for comparison; one line each."""
    d = Desktop(skirmo, data, folder)
    label = "" if sound else " (no sound)"

    def share(what):
        before, start = cpu_seconds(d.game.pid), time.monotonic()
        time.sleep(seconds)
        after, took = cpu_seconds(d.game.pid), time.monotonic() - start
        parts = {k: 100 * (after[k] - before[k]) / took for k in after}
        return "%-21s %5.2f %% of a core (%s)" % (what + label, sum(parts.values()), ", ".join(
            "%s %.2f" % item for item in parts.items()))

    try:
        lines = []
        d.wait_for("dialog", dialog_up)
        if not sound:
            d.xdotool("key", "Tab", "Tab", "Tab", "space")  # the check box: no sound card
        d.xdotool("key", "Return")
        d.wait_for("story page", story_prompt)
        time.sleep(3)  # faded in
        lines.append(share("page"))
        for _ in range(20):
            d.tap("space")
            time.sleep(1)
            if in_flight(d.shot()):
                break
        d.wait_for("flight", in_flight)
        time.sleep(1)
        lines.append(share("flight"))
        d.tap("p")
        d.wait_for("pause line", pause_line)
        lines.append(share("paused"))
        d.xdotool("windowminimize", d.window)
        time.sleep(1)
        lines.append(share("minimised"))
        return "\n".join(lines)
    finally:
        d.close()


def end_game(d, ending):
    """SIGTERM, or the quit prompt answered Y (or, after the last life, the retry prompt N) and
    the closing pages left with Space, or Alt+F4 at the quit prompt; the game's status."""
    if ending == "TERM":
        d.game.send_signal(signal.SIGTERM)
    elif ending == "close":
        d.tap("Escape")
        d.wait_for("quit prompt", quit_prompt)
        d.xdotool("key", "alt+F4")
        try:  # at once, not when the question is answered
            return d.game.wait(timeout=3)
        except subprocess.TimeoutExpired:
            raise Failed("still running 3 s after Alt+F4 at the quit prompt")
    else:
        d.tap("Escape")
        d.wait_for("quit prompt", quit_prompt)
        d.tap("n" if retry_prompt(d.shot()) else "y")
        for _ in range(30):
            if d.game.poll() is not None:
                break
            time.sleep(0.7)
            d.tap("space")
    return d.game.wait(timeout=30)


def play_again(skirmo, data, folder, recording):
    """skirmo-replay --demo: its status, and why the run ended."""
    replay = os.path.join(os.path.dirname(skirmo), "skirmo-replay")
    log = os.path.join(folder, "demo.jsonl")
    run = subprocess.run([replay, "--data", data, "--demo", recording, "--log", log],
                         capture_output=True, text=True, timeout=300)
    lines = open(log).read().strip().splitlines() if os.path.exists(log) else [""]
    return run.returncode, lines[-1], run.stderr


def check_record(skirmo, data, folder, ending):
    recording = os.path.join(folder, "game.rec")
    d = Desktop(skirmo, data, folder, ["--record", recording])
    try:
        d.fly()
        d.xdotool("keydown", "space", "keydown", "Left")
        time.sleep(1.5)
        d.xdotool("keyup", "Left", "keyup", "space")
        d.tap("p")
        d.wait_for("pause line", pause_line)
        d.tap("p")
        d.uncover(d.cover())  # away and back: the game comes back paused
        d.xdotool("windowactivate", "--sync", d.window)
        d.tap("p")
        time.sleep(1)
        status = end_game(d, ending)
    finally:
        d.close()
    played, end, said = play_again(skirmo, data, folder, recording)
    why = {"TERM": "signal TERM", "close": "closed"}.get(ending, "program ended")
    if played != status or '"why":"%s"' % why not in end:
        raise Failed("the game ended with %d, its demo with %d: %s\n%s" % (status, played, end,
                                                                           said[-2000:]))
    # Watched in the real window: to the same end whatever the viewer presses meanwhile, and
    # (after SIGTERM) once more, ended at once by Esc.
    started = time.monotonic()
    watched, said = watch(skirmo, data, folder, recording, ("p", "space", "Left"))
    took = time.monotonic() - started
    if watched != status or "not as recorded" in said:
        raise Failed("the game ended with %d, skirmo --demo with %d:\n%s" % (status, watched,
                                                                             said[-2000:]))
    if ending == "TERM" and watch(skirmo, data, folder, recording, ("Escape",))[0] != 0:
        raise Failed("Esc did not end skirmo --demo with status 0")
    return "recorded %d bytes; played again to the same end (%s, status %d), watched in %.0f s" % (
        os.path.getsize(recording), why, status, took)


def watch(skirmo, data, folder, recording, keys):
    """skirmo --demo in the window, keys pressed in flight: its status and what it said."""
    d = Desktop(skirmo, data, folder, ["--demo", recording])
    try:
        d.wait_for("flight in the demo", in_flight, timeout=60)
        for key in keys:
            d.tap(key)
        status = d.game.wait(timeout=120)
        d.stderr.seek(0)
        return status, d.stderr.read()
    finally:
        d.close()


# The recorded games take longest: first, so that the others fill the time beside them.
CHECKS = (
    [("record-" + e, check_record, (e,)) for e in ("quit", "TERM", "close")]
    + [("box-" + p[:-4], check_box, (p,)) for p in ("DREAMS.MID", "CAIRO.MID")]
    + [("%s-%s" % (n.lower(), w), check_signal, (w, n)) for w, n in (
        ("dialog", "TERM"), ("page", "TERM"), ("title", "INT"), ("flight", "TERM"),
        ("paused", "INT"), ("away", "TERM"), ("wipe", "TERM"), ("prompt", "INT"),
        ("box", "TERM"), ("page", "HUP"))]
    + [("exposed-" + w, check_exposed, (w,)) for w in ("page", "prompt", "paused")]
    + [("window", check_window, ())]
)


def record_minute(skirmo, data, recording):
    """A minute of play with the gun held: a left turn, which meets the enemies and their shots
    alike, then full speed ahead with a short turn now and then; then the quit prompt."""
    with tempfile.TemporaryDirectory(prefix="skirmo-minute-") as folder:
        d = Desktop(skirmo, data, folder, ["--record", recording])
        try:
            d.fly()
            d.xdotool("keydown", "space", "keydown", "Left")
            time.sleep(25)
            d.xdotool("keyup", "Left", "keydown", "Up")
            for _ in range(6):
                time.sleep(4.5)
                d.tap("Right")
            d.xdotool("keyup", "Up", "keyup", "space")
            status = end_game(d, "quit")
        finally:
            d.close()
        played, end, said = play_again(skirmo, data, folder, recording)
        print("recorded %d bytes, status %d; the demo: status %d, %s %s" % (
            os.path.getsize(recording), status, played, end, said))
        return 0 if status == played == 0 else 1


def main(argv):
    jobs, only, cpu, minute, sanitized = 3, "", False, None, False
    while argv and argv[0].startswith("--"):
        option = argv.pop(0)
        if option == "--jobs":
            jobs = int(argv.pop(0))
        elif option == "--only":
            only = argv.pop(0)
        elif option == "--cpu":
            cpu = True
        elif option == "--sanitized":
            sanitized = True
        elif option == "--record-minute":
            minute = os.path.abspath(argv.pop(0))
        elif option == "--help":
            print(__doc__)
            return 0
        else:
            print(USAGE, file=sys.stderr)
            return 2
    if len(argv) != 2:
        print(USAGE, file=sys.stderr)
        return 2
    missing = [t for t in TOOLS if not shutil.which(t)]
    if missing:
        print("desktop-check: skipped, missing " + " ".join(missing))
        return 77
    skirmo, data = os.path.abspath(argv[0]), os.path.abspath(argv[1])
    if cpu:
        for sound in (True, False):
            with tempfile.TemporaryDirectory(prefix="skirmo-desktop-") as folder:
                print(measure_cpu(skirmo, data, folder, sound), flush=True)
        return 0
    if minute:
        return record_minute(skirmo, data, minute)

    def run(check):
        name, function, args = check
        with tempfile.TemporaryDirectory(prefix="skirmo-desktop-") as folder:
            try:
                return name, True, function(skirmo, data, folder, *args)
            except (Failed, subprocess.SubprocessError, OSError, IndexError) as e:
                return name, False, str(e)

    checks = [c for c in CHECKS if only in c[0] and not (
        sanitized and c[0] in ("record-quit", "record-close"))]
    with concurrent.futures.ThreadPoolExecutor(jobs) as pool:
        results = list(pool.map(run, checks))
    for name, ok, what in results:
        print("%-4s %-16s %s" % ("ok" if ok else "FAIL", name, what))
    failed = sum(1 for r in results if not r[1])
    print("%d checks, %d failed" % (len(results), failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
