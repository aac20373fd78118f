#!/usr/bin/env python3
"""Golden frames and logs: moments of the game and whole games, replayed headless, compared pixel
for pixel with the pictures, and line for line with the logs, committed in references/.

Each scenario is one run of skirmo-replay (which writes the same bytes on every run with the same
arguments) taking pictures and, for some, its log: every music command, sound and quit with its
virtual time, so that one log holds a whole game's rules and timing. A picture that differs in a
single pixel, or a log in a single line, fails the test; the actual pictures and logs and a
difference picture (the changed pixels in magenta over a dimmed copy of the reference) are left
in a temporary folder named in the failure message.

After an intended change to what the game draws, plays or times, `scripts/golden` rewrites the
references with --write and says which changed. With --quick (the sanitizer builds, where a
whole game takes minutes) each run stops after its last picture and the logs are not compared.

usage: golden_frames.py [--write] [--quick] SKIRMO_REPLAY DATA_DIR
"""
import concurrent.futures
import json
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import pictures  # noqa: E402

REFERENCES = os.path.join(HERE, "references")

# Space leaves the story page and the keys page; the first level's title fades in from 6 s to
# 8 s and out again, and the level is flown from 10.1 s.
PAGES = "1.5 SPACE down\n1.6 SPACE up\n4.5 SPACE down\n4.6 SPACE up\n"
# The cheat word typed early in the first level: the autopilot's gun fires ten-shot volleys.
CHEAT = "".join("%.1f %s down\n%.1f %s up\n" % (5 + i * 0.2, c, 5.1 + i * 0.2, c)
                for i, c in enumerate("BRASS"))


class Scenario:
    def __init__(self, name, args, frames=(), script=None, env=None, log=False, until=3000,
                 without=()):
        self.name = name
        self.args = args
        self.frames = frames  # (virtual time, picture name[, what its state must show])
        self.script = script
        self.env = env or {}
        self.log = log  # the run goes on to the program's end (or until) and its log is compared
        self.until = until
        self.without = without  # data files left out


CLOUD_SIZE = 64
def in_view(state):
    """The enemies still flying and the clouds at least partly on the screen at that moment."""
    w, h = state["screenWidth"], state["screenHeight"]
    player = state["player"]
    # The player's screen position is its world position less the view's top left corner.
    left = int(player["PosX"]) - player["ScreenX"]
    top = int(player["PosY"]) - player["ScreenY"]
    enemies = [e for e in state["enemies"]
               if e["State"] in (0, 1) and 0 <= e["ScreenX"] < w and 0 <= e["ScreenY"] < h]
    clouds = [c for c in state["clouds"] if left - CLOUD_SIZE < int(c["x"]) < left + w
              and top - CLOUD_SIZE < int(c["y"]) < top + h]
    return enemies, clouds


def flying_in_company(state):
    enemies, clouds = in_view(state)
    if state["player"]["State"] != 0:
        return "the player is not flying"
    if not enemies or not clouds:
        return "%d enemies and %d clouds in view" % (len(enemies), len(clouds))
    return None


def enemy_wreck_in_view(state):
    w, h = state["screenWidth"], state["screenHeight"]
    if not any(e["State"] == 2 and 0 <= e["ScreenX"] < w and 0 <= e["ScreenY"] < h
               for e in state["enemies"]):
        return "no enemy wreck on the screen"
    return None


def exploding_with_flash(state):
    player = state["player"]
    if player["State"] != 2 or player["Countdown"] <= state["FrameRate"]:
        return "the player is not in the flash of its explosion (State %d, Countdown %d)" % (
            player["State"], player["Countdown"])
    return None


# Times and seeds were chosen with --state-at so that each picture holds what its name says, and
# the state taken with it is checked so that it goes on saying it: flight with the landscape, a
# cloud, the player and enemies in view; the player's explosion while its countdown is still above
# the frame rate, so the flash is drawn around the wreck: once mid-screen, once cut by the left
# edge of the screen; an enemy's wreck whose debris has flown for half a second. The pages fading in are taken part way, as the autopilot leaves them early.
# The longest run comes first, so that the two run at a time end together.
SCENARIOS = [
    # With the volley the autopilot wins all five levels (the third and fifth show their own
    # enemies); switched away and back in the first, the game waits behind the pause line for P.
    # The joke keys the word unlocks: F grows the enemies, G shrinks them, J restores them.
    Scenario("won", ["--mode", "640x480", "--bot"], [
        (31.5, "paused_640x480"),
        (38.0, "enemy_debris_640x480", enemy_wreck_in_view),
        (55.0, "joke_keys_640x480", flying_in_company),
        (55.5, "jokes_undone_640x480", flying_in_company),
        (175.0, "level3_640x480", flying_in_company),
        (381.0, "level5_640x480", flying_in_company),
        (483.5, "congratulations_fading_in"),
    ], CHEAT + "30 focus lost\n31 focus gained\n32 P down\n32.1 P up\n54 F down\n54.4 F up\n"
        "54.6 G down\n54.8 G up\n55.2 J down\n55.3 J up\n", log=True),
    # The pages left with Space, the first level's title, and I's frame rate in flight; then
    # Escape answered no, and the level and its music go on; then K wipes the rows for the keys.
    Scenario("pages", ["--mode", "800x600"], [
        (0.0, "startup_dialog"),
        (1.2, "story_fading_in"),
        (4.4, "keys_fading_in"),
        (7.5, "level1_title_800x600"),
        (12.5, "frame_rate_800x600"),
        (20.5, "rows_wipe_800x600"),
    ], PAGES + "11 I down\n11.1 I up\n13 ESC down\n13.1 ESC up\n18 N down\n18.1 N up\n"
        "19 K down\n19.1 K up\n24 SPACE down\n24.1 SPACE up\n", log=True, until=28),
    # The autopilot loses its three lives in the second level and answers no.
    Scenario("bot640", ["--mode", "640x480", "--seed", "2", "--bot"], [
        (20.0, "flight_640x480", flying_in_company),
        (64.5, "explosion_flash_at_edge_640x480", exploding_with_flash),
    ], env={"SKIRMO_BOT_RETRY": "n"}, log=True),
    Scenario("bot800", ["--mode", "800x600", "--seed", "0", "--bot"], [
        (19.0, "flight_800x600", flying_in_company),
        (102.5, "explosion_flash_800x600", exploding_with_flash),
    ], log=True, until=102.6),
    # Escape in flight, then yes with the pad's A, held until the credits are up: the answer is no
    # Space, so the credits and thanks pages stay until Space leaves each.
    Scenario("quit", ["--mode", "640x480"], [
        (15.0, "quit_wipe"),
        (18.0, "quit_prompt"),
        (23.5, "credits"),
        (28.5, "thanks"),
    ], PAGES + "13 ESC down\n13.1 ESC up\n19 PAD_A down\n23.8 PAD_A up\n24 SPACE down\n"
        "24.1 SPACE up\n29 SPACE down\n29.1 SPACE up\n", log=True),
    # A player who never touches the keys is shot down three times; yes erases the question and
    # starts the game again.
    Scenario("retry", ["--mode", "640x480"], [(98.5, "retry_prompt"), (99.2, "retry_answered")],
             PAGES + "99 Y down\n99.1 Y up\n", log=True, until=104),
    # Closing the window, or Alt+F4 but not F4 alone, ends the program; with the box ticked
    # nothing is heard.
    Scenario("close", ["--mode", "640x480"], (), PAGES + "11 F4 down\n11.1 F4 up\n12 close\n",
             log=True, until=14),
    Scenario("alt_f4", ["--mode", "640x480"], (),
             PAGES + "11 ALT down\n11.05 F4 down\n11.1 F4 up\n11.1 ALT up\n", log=True, until=14),
    # At the quit prompt Alt+F4 ends the program a moment later; N after it is never heard.
    Scenario("alt_f4_at_prompt", ["--mode", "640x480"], (), PAGES + "13 ESC down\n13.1 ESC up\n"
             "18 ALT down\n18.05 F4 down\n18.1 F4 up\n18.1 ALT up\n19 N down\n19.1 N up\n",
             log=True, until=22),
    Scenario("no_sound", ["--mode", "640x480", "--no-sound", "--bot"], (), log=True, until=20),
    # The first level's music missing: its box stands over the loading page until OK.
    Scenario("music_error", ["--mode", "640x480"], [(8.3, "music_error_box")], PAGES,
             without=("DREAMS.MID",)),
]


def run_scenario(replay, data, scenario, folder, quick):
    """Runs one scenario; returns ({picture name: BMP path}, {picture name: what its state lacks},
    {log name: its path}) or raises."""
    kept = None
    if scenario.without:
        kept = tempfile.mkdtemp(prefix="golden-data-")
        for f in set(os.listdir(data)) - set(scenario.without):
            os.symlink(os.path.join(os.path.abspath(data), f), os.path.join(kept, f))
        data = kept
    args = [replay, "--data", data] + scenario.args
    if scenario.script is not None:
        script = os.path.join(folder, scenario.name + ".keys")
        with open(script, "w") as f:
            f.write(scenario.script)
        args += ["--script", script]
    shots, states, logs = {}, {}, {}
    for frame in scenario.frames:
        t, name = frame[0], frame[1]
        shots[name] = os.path.join(folder, name + ".bmp")
        args += ["--shot-at", "%g:%s" % (t, shots[name])]
        if len(frame) > 2:
            states[name] = os.path.join(folder, name + ".json")
            args += ["--state-at", "%g:%s" % (t, states[name])]
    if quick or not scenario.log:
        args += ["--until", "%g" % (max(f[0] for f in scenario.frames) + 0.1)]
    else:
        logs[scenario.name] = os.path.join(folder, scenario.name + ".jsonl")
        args += ["--log", logs[scenario.name], "--until", "%g" % scenario.until]
    try:
        run = subprocess.run(args, capture_output=True, text=True, timeout=300,
                             env=dict(os.environ, **scenario.env))
    finally:
        if kept:
            shutil.rmtree(kept)
    if run.returncode != 0:
        raise RuntimeError("scenario %s: skirmo-replay ended with %d\n%s\n%s" % (
            scenario.name, run.returncode, " ".join(args), run.stderr[-4000:]))
    problems = {}
    for frame in scenario.frames:
        if len(frame) > 2:
            with open(states[frame[1]]) as f:
                problem = frame[2](json.load(f))
            if problem:
                problems[frame[1]] = problem
    return shots, problems, logs


def run_all(replay, data, folder, quick=False):
    """Every scenario, two at a time (the suite runs on two cores); returns
    ({name: (w, h, rows)}, {name: what the moment lacks}, {name: log text})."""
    chosen = [s for s in SCENARIOS if s.frames or not quick]
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        runs = [pool.submit(run_scenario, replay, data, s, folder, quick) for s in chosen]
        shots, problems, logs = {}, {}, {}
        for r in runs:
            scenario_shots, scenario_problems, scenario_logs = r.result()
            shots.update(scenario_shots)
            problems.update(scenario_problems)
            logs.update(scenario_logs)
    return ({name: pictures.read_bmp(path) for name, path in shots.items()}, problems,
            {name: open(path).read() for name, path in logs.items()})


def differing_pixels(a, b):
    """Indices of the pixels where two pictures of the same size differ."""
    _w, _h, ra = a
    _w, _h, rb = b
    if ra == rb:
        return []
    return [i // 3 for i in range(0, len(ra), 3) if ra[i:i + 3] != rb[i:i + 3]]


def describe(changed, width):
    """How many pixels differ and the rectangle holding them, for a reader to find one pixel."""
    xs = [p % width for p in changed]
    ys = [p // width for p in changed]
    return "%d pixel%s, within x %d..%d, y %d..%d" % (
        len(changed), " differs" if len(changed) == 1 else "s differ",
        min(xs), max(xs), min(ys), max(ys))


def difference_picture(reference, actual, changed):
    """The reference dimmed to a quarter, with every changed pixel in full magenta."""
    w, h, rows = reference
    out = bytearray(c >> 2 for c in rows)
    for p in changed:
        out[3 * p:3 * p + 3] = b"\xff\x00\xff"
    return w, h, bytes(out)


def log_difference(reference, actual):
    """Where two logs part: the first line that differs, with both versions."""
    want, got = reference.split("\n"), actual.split("\n")
    i = next((i for i, (w, g) in enumerate(zip(want, got)) if w != g), min(len(want), len(got)))
    show = lambda lines: lines[i] if i < len(lines) else "(the end)"
    return "line %d of %d: %s, the reference %s" % (i + 1, len(want), show(got), show(want))


def compare(actual, logs, folder):
    """(name, what differs or None, how to write the new reference) for every picture and log,
    leaving the actual pictures and logs and the difference pictures in folder."""
    for name, picture in sorted(actual.items()):
        path = os.path.join(REFERENCES, name + ".png")
        write = lambda path=path, picture=picture: pictures.write_png(path, *picture)
        if not os.path.exists(path):
            yield name, "new", write
            continue
        reference = pictures.read_png(path)
        if reference[:2] != picture[:2]:
            difference = "%dx%d, the reference %dx%d" % (picture[:2] + reference[:2])
        else:
            changed = differing_pixels(reference, picture)
            difference = changed and describe(changed, picture[0])
            if changed:
                pictures.write_png(os.path.join(folder, name + ".diff.png"),
                                   *difference_picture(reference, picture, changed))
        if difference:
            pictures.write_png(os.path.join(folder, name + ".actual.png"), *picture)
        yield name, difference, write
    for name, text in sorted(logs.items()):
        path = os.path.join(REFERENCES, name + ".jsonl")
        write = lambda path=path, text=text: open(path, "w").write(text)
        if not os.path.exists(path):
            yield name + ".jsonl", "new", write
            continue
        with open(path) as f:
            reference = f.read()
        if reference != text:
            with open(os.path.join(folder, name + ".actual.jsonl"), "w") as f:
                f.write(text)
        yield name + ".jsonl", reference != text and log_difference(reference, text), write


def unused(actual, logs):
    taken = {n + ".png" for n in actual} | {n + ".jsonl" for n in logs}
    return sorted(f for f in os.listdir(REFERENCES) if f not in taken)


def check(replay, data, quick):
    folder = tempfile.mkdtemp(prefix="golden-frames-")
    try:
        actual, problems, logs = run_all(replay, data, folder, quick)
    except (RuntimeError, ValueError, OSError, subprocess.TimeoutExpired) as e:
        print("a golden scenario could not be run: %s" % e)
        print("what it wrote is in " + folder)
        return 1
    failures = ["%s: no longer the moment it is meant to be: %s" % (name, problems[name])
                for name in sorted(problems)]
    failures += ["%s: %s" % (name, difference) for name, difference, _ in
                 compare(actual, logs, folder) if difference]
    if not quick:
        failures += ["%s: a reference no scenario takes any more" % f for f in unused(actual, logs)]
    for f in os.listdir(folder):
        if not f.endswith((".actual.png", ".actual.jsonl", ".diff.png")):
            os.remove(os.path.join(folder, f))
    if failures:
        print("golden frames and logs differ from their references:")
        for line in failures:
            print("  " + line)
        print("actual (*.actual.*) and difference (*.diff.png) files are in " + folder)
        print("if the change is intended, run scripts/golden and commit the new references")
        return 1
    os.rmdir(folder)
    print("%d golden frames and %d logs match their references" % (len(actual), len(logs)))
    return 0


def write(replay, data):
    """Rewrites every reference and says what changed, so a review sees what a change touched;
    the difference pictures and the new logs are kept in a folder it names."""
    os.makedirs(REFERENCES, exist_ok=True)
    folder = tempfile.mkdtemp(prefix="golden-rebaseline-")
    actual, problems, logs = run_all(replay, data, folder)
    for f in os.listdir(folder):
        os.remove(os.path.join(folder, f))
    changes = 0
    for name, difference, write_reference in compare(actual, logs, folder):
        if name in problems:
            # A reference of the wrong moment would pass forever: find a new time or seed first.
            print("REFUSED    %s: %s; choose another time or seed in %s" % (
                name, problems[name], os.path.basename(__file__)))
            continue
        status = "unchanged" if not difference else "new" if difference == "new" else "changed"
        print("%-10s %s%s" % (status, name, ": " + difference if status == "changed" else ""))
        if difference:
            changes += 1
            write_reference()
    for f in unused(actual, logs):
        os.remove(os.path.join(REFERENCES, f))
        print("removed    %s" % f)
        changes += 1
    for f in os.listdir(folder):
        if not f.endswith(".diff.png"):
            os.remove(os.path.join(folder, f))
    if changes == 0 and not problems:
        print("every reference already matches")
    if os.listdir(folder):
        print("the changed pixels, in magenta over the old reference: " + folder)
    else:
        os.rmdir(folder)
    return 1 if problems else 0


def main(argv):
    options = {a for a in argv if a.startswith("--")}
    argv = [a for a in argv if a and not a.startswith("--")]
    if len(argv) != 2 or options - {"--write", "--quick"}:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    replay, data = os.path.abspath(argv[0]), os.path.abspath(argv[1])
    if "--write" in options:
        return write(replay, data)
    return check(replay, data, "--quick" in options)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
