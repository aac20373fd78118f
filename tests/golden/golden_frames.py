#!/usr/bin/env python3
"""Golden frames: a few moments of the game, replayed headless, compared pixel for pixel with the
pictures committed in references/.

Each scenario is one run of skirmo-replay (which writes the same bytes on every run with the same
arguments) taking one or more pictures. A picture that differs in a single pixel fails the test;
the actual picture and a difference picture (the changed pixels in magenta over a dimmed copy of
the reference) are left in a temporary folder named in the failure message.

After an intended change to what the game draws, `scripts/golden` rewrites the references with
--write and says which frames changed and by how many pixels.

usage: golden_frames.py [--write] SKIRMO_REPLAY DATA_DIR
"""
import concurrent.futures
import json
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import pictures  # noqa: E402

REFERENCES = os.path.join(HERE, "references")

# Space leaves the story page and the keys page; the first level's title fades in from 6 s to
# 8 s and out again, and the level is flown from 10.1 s.
PAGES_SCRIPT = "1.5 SPACE down\n1.6 SPACE up\n4.5 SPACE down\n4.6 SPACE up\n"
# The same, then Escape in flight: the columns wipe the screen and the question is asked.
QUIT_SCRIPT = PAGES_SCRIPT + "13 ESC down\n13.1 ESC up\n"


class Scenario:
    def __init__(self, name, args, frames, script=None):
        self.name = name
        self.args = args
        self.frames = frames  # (virtual time, picture name[, what its state must show])
        self.script = script


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
# edge of the screen.
SCENARIOS = [
    Scenario("pages", ["--mode", "800x600"], [
        (0.0, "startup_dialog"),
        (1.2, "story_fading_in"),
        (7.5, "level1_title_800x600"),
    ], PAGES_SCRIPT),
    Scenario("bot640", ["--mode", "640x480", "--seed", "2", "--bot"], [
        (20.0, "flight_640x480", flying_in_company),
        (64.5, "explosion_flash_at_edge_640x480", exploding_with_flash),
    ]),
    Scenario("bot800", ["--mode", "800x600", "--seed", "0", "--bot"], [
        (19.0, "flight_800x600", flying_in_company),
        (102.5, "explosion_flash_800x600", exploding_with_flash),
    ]),
    Scenario("quit", ["--mode", "640x480"], [
        (15.0, "quit_wipe"),
        (18.0, "quit_prompt"),
    ], QUIT_SCRIPT),
]


def run_scenario(replay, data, scenario, folder):
    """Runs one scenario; returns ({picture name: BMP path}, {picture name: what its state lacks})
    or raises."""
    args = [replay, "--data", data] + scenario.args
    if scenario.script is not None:
        script = os.path.join(folder, scenario.name + ".keys")
        with open(script, "w") as f:
            f.write(scenario.script)
        args += ["--script", script]
    shots, states = {}, {}
    for frame in scenario.frames:
        t, name = frame[0], frame[1]
        shots[name] = os.path.join(folder, name + ".bmp")
        args += ["--shot-at", "%g:%s" % (t, shots[name])]
        if len(frame) > 2:
            states[name] = os.path.join(folder, name + ".json")
            args += ["--state-at", "%g:%s" % (t, states[name])]
    args += ["--until", "%g" % (max(f[0] for f in scenario.frames) + 0.1)]
    run = subprocess.run(args, capture_output=True, text=True, timeout=300)
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
    return shots, problems


def run_all(replay, data, folder):
    """Every scenario, two at a time (the suite runs on two cores); returns
    ({name: (w, h, rows)}, {name: what the moment lacks})."""
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        runs = [pool.submit(run_scenario, replay, data, s, folder) for s in SCENARIOS]
        shots, problems = {}, {}
        for r in runs:
            scenario_shots, scenario_problems = r.result()
            shots.update(scenario_shots)
            problems.update(scenario_problems)
    return {name: pictures.read_bmp(path) for name, path in shots.items()}, problems


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


def check(replay, data):
    folder = tempfile.mkdtemp(prefix="golden-frames-")
    try:
        actual, problems = run_all(replay, data, folder)
    except (RuntimeError, ValueError, OSError, subprocess.TimeoutExpired) as e:
        print("a golden-frame scenario could not be run: %s" % e)
        print("what it wrote is in " + folder)
        return 1
    failures = ["%s: no longer the moment it is meant to be: %s" % (name, problems[name])
                for name in sorted(problems)]
    for name, picture in sorted(actual.items()):
        reference_path = os.path.join(REFERENCES, name + ".png")
        if not os.path.exists(reference_path):
            failures.append("%s: no reference %s" % (name, reference_path))
            pictures.write_png(os.path.join(folder, name + ".actual.png"), *picture)
            continue
        reference = pictures.read_png(reference_path)
        if reference[:2] != picture[:2]:
            failures.append("%s: %dx%d, the reference is %dx%d" % (
                name, picture[0], picture[1], reference[0], reference[1]))
            pictures.write_png(os.path.join(folder, name + ".actual.png"), *picture)
            continue
        changed = differing_pixels(reference, picture)
        if changed:
            failures.append("%s: %s" % (name, describe(changed, picture[0])))
            pictures.write_png(os.path.join(folder, name + ".actual.png"), *picture)
            pictures.write_png(os.path.join(folder, name + ".diff.png"),
                               *difference_picture(reference, picture, changed))
    unused = sorted(set(f[:-4] for f in os.listdir(REFERENCES) if f.endswith(".png"))
                    - set(actual))
    for name in unused:
        failures.append("%s: a reference no scenario takes any more" % name)
    for f in os.listdir(folder):
        if f.endswith((".bmp", ".keys", ".json")):
            os.remove(os.path.join(folder, f))
    if failures:
        print("golden frames differ from their references:")
        for line in failures:
            print("  " + line)
        print("actual (*.actual.png) and difference (*.diff.png) pictures are in " + folder)
        print("if the change is intended, run scripts/golden and commit the new references")
        return 1
    os.rmdir(folder)
    print("%d golden frames match their references" % len(actual))
    return 0


def write(replay, data):
    """Rewrites every reference and says what changed, so a review sees what a change touched;
    the difference pictures of the changed frames are kept in a folder it names."""
    os.makedirs(REFERENCES, exist_ok=True)
    folder = tempfile.mkdtemp(prefix="golden-rebaseline-")
    actual, problems = run_all(replay, data, folder)
    for f in os.listdir(folder):
        os.remove(os.path.join(folder, f))
    changes = 0
    for name, picture in sorted(actual.items()):
        path = os.path.join(REFERENCES, name + ".png")
        if name in problems:
            # A reference of the wrong moment would pass forever: find a new time or seed first.
            print("REFUSED    %s: %s; choose another time or seed in %s" % (
                name, problems[name], os.path.basename(__file__)))
            continue
        if not os.path.exists(path):
            print("new        %s" % name)
        else:
            reference = pictures.read_png(path)
            if reference[:2] != picture[:2]:
                print("resized    %s: %dx%d, was %dx%d" % (
                    name, picture[0], picture[1], reference[0], reference[1]))
            else:
                changed = differing_pixels(reference, picture)
                if not changed:
                    print("unchanged  %s" % name)
                    continue
                print("changed    %s: %s" % (name, describe(changed, picture[0])))
                pictures.write_png(os.path.join(folder, name + ".diff.png"),
                                   *difference_picture(reference, picture, changed))
        changes += 1
        pictures.write_png(path, *picture)
    for f in sorted(os.listdir(REFERENCES)):
        if f.endswith(".png") and f[:-4] not in actual:
            os.remove(os.path.join(REFERENCES, f))
            print("removed    %s" % f[:-4])
            changes += 1
    if changes == 0 and not problems:
        print("every reference already matches")
    if os.listdir(folder):
        print("the changed pixels, in magenta over the old reference: " + folder)
    else:
        os.rmdir(folder)
    return 1 if problems else 0


def main(argv):
    writing = "--write" in argv
    argv = [a for a in argv if a != "--write"]
    if len(argv) != 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    replay, data = os.path.abspath(argv[0]), os.path.abspath(argv[1])
    return write(replay, data) if writing else check(replay, data)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
