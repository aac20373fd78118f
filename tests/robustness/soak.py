#!/usr/bin/env python3
"""Plays the game for hours of virtual time and checks it stays whole.

The replay runner's autopilot plays game after game (each with its own seed) until the virtual
time adds up; in each the cheat word is typed once play has begun and the joke keys F, G and J
are then pressed at random, held for up to two seconds (F held that long grows the enemies'
pictures a hundred-thousand-fold, and longer holds reach infinity). Every game must end cleanly
(won, or the runner's time limit), with no sanitizer report (the sanitizer build also checks for
leaks at every exit), the shot list bounded, and the memory bounded.

  scripts/soak [--hours H] [--jobs N] [--replay PATH] [--data DIR]

Without --replay it builds skirmo-replay with the leak sanitizer alone (build-lsan), which checks
every exit for leaks at close to full speed; --replay takes any other build (the suite runs a
short soak with its own). Prints one line per game and the totals.
"""
import argparse
import concurrent.futures
import json
import os
import random
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
CHEAT = ["20.00 B down", "20.05 B up", "20.10 R down", "20.15 R up", "20.20 A down",
         "20.25 A up", "20.30 S down", "20.35 S up", "20.40 S down", "20.45 S up"]
# Ten player shots a volley, a volley every 0.4 s, each living 2 s, and the enemies' own: a list
# longer than this means shots are not being removed.
MOST_SHOTS = 150
MOST_MEMORY_MB = {"plain": 256, "sanitizer": 1536}


def joke_script(rng, until):
    lines = list(CHEAT)
    t = 25.0
    while t < until:
        key = rng.choice("FFGGJ")
        hold = rng.uniform(0.02, 2.0)
        lines += [f"{t:.2f} {key} down", f"{t + hold:.2f} {key} up"]
        t += hold + rng.uniform(0.5, 15.0)
    return "\n".join(lines) + "\n"


def build_leak_checked_replay():
    build = os.path.join(ROOT, "build-lsan")
    subprocess.run(["cmake", "-S", ROOT, "-B", build, "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                    "-DSKIRMO_CHECKS=ON", "-DCMAKE_CXX_FLAGS=-fsanitize=leak",
                    "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=leak"], check=True,
                   stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build, "-j", str(os.cpu_count() or 2), "--target",
                    "skirmo-replay"], check=True, stdout=subprocess.DEVNULL)
    return os.path.join(build, "skirmo-replay")


def play_one(replay, data, seed, until, tmp):
    rng = random.Random(seed)
    script = os.path.join(tmp, "keys.txt")
    with open(script, "w") as f:
        f.write(joke_script(rng, until))
    log = os.path.join(tmp, "log.jsonl")
    # A state every 20 virtual seconds, within the first ten minutes: a won game may end before
    # the later ones come, which the runner reports as such (status 3).
    states = [(t, os.path.join(tmp, f"state{t}.json")) for t in range(20, int(min(until, 600)), 20)]
    args = [replay, "--data", data, "--bot", "--seed", str(seed), "--script", script,
            "--until", f"{until:.3f}", "--log", log]
    for t, path in states:
        args += ["--state-at", f"{t}:{path}"]
    err = os.path.join(tmp, "stderr.txt")
    with open(err, "w") as errors:
        child = subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=errors,
                                 env=dict(os.environ, ASAN_OPTIONS="detect_leaks=1"))
        # wait4 gives this one child's own peak memory.
        _, status, usage = os.wait4(child.pid, 0)
    returncode = os.waitstatus_to_exitcode(status)
    peak = usage.ru_maxrss  # kilobytes
    with open(err) as f:
        lines = f.read().splitlines()
    problems = []
    other = [l for l in lines if "no state for" not in l]
    if returncode not in (0, 3) or (returncode == 3 and other):
        problems.append(f"exit status {returncode}")
    if any("Sanitizer" in l or "runtime error" in l or "leak" in l.lower() for l in lines):
        problems.append("sanitizer report:\n" + "\n".join(lines)[-4000:])
    events = []
    if os.path.exists(log):
        with open(log) as f:
            events = [json.loads(line) for line in f if line.strip()]
    end = events[-1] if events and events[-1]["event"] == "end" else None
    if not end:
        problems.append("no end in the log")
    most_shots, frames = 0, 0
    for _, path in states:
        if os.path.exists(path):
            with open(path) as f:
                state = json.load(f)
            most_shots = max(most_shots, len(state["shots"]))
            frames = max(frames, state["frame"])
    won = any(e["event"] == "sound" and e.get("frequency") == 22000 for e in events)
    return {"virtual": end["t"] if end else 0.0, "why": end["why"] if end else "?",
            "won": won, "peak_mb": peak / 1024, "most_shots": most_shots, "frames": frames,
            "problems": problems}


def main():
    parser = argparse.ArgumentParser(prog="soak", description=__doc__.splitlines()[0])
    parser.add_argument("--hours", type=float, default=8.0)
    parser.add_argument("--replay")
    parser.add_argument("--data", default=os.path.join(ROOT, "data"))
    parser.add_argument("--jobs", type=int, default=1, help="games played at the same time")
    a = parser.parse_args()
    replay = os.path.abspath(a.replay) if a.replay else build_leak_checked_replay()
    kind = "sanitizer" if "asan" in replay else "plain"
    goal, done, seed, failures = a.hours * 3600.0, 0.0, 0, 0
    totals = {"games": 0, "won": 0, "frames": 0, "peak_mb": 0.0, "most_shots": 0}
    def one_game(seed, until):
        with tempfile.TemporaryDirectory(prefix="skirmo-soak-") as tmp:
            return seed, play_one(replay, os.path.abspath(a.data), seed, until, tmp)

    # A game lasts until it is won or for at most 20 virtual minutes; games are played a batch
    # at a time until their virtual time adds up.
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, a.jobs)) as pool:
        while done < goal - 1.0:
            left = goal - done
            batch = [(seed + i + 1, min(1200.0, left / max(1, a.jobs) if left < 1200.0 * a.jobs
                                        else 1200.0)) for i in range(max(1, a.jobs))]
            seed += len(batch)
            results = list(pool.map(lambda b: one_game(*b), batch))
            for game, r in results:
                done += r["virtual"]
                totals["games"] += 1
                totals["won"] += r["won"]
                totals["frames"] += r["frames"]
                totals["peak_mb"] = max(totals["peak_mb"], r["peak_mb"])
                totals["most_shots"] = max(totals["most_shots"], r["most_shots"])
                if r["most_shots"] > MOST_SHOTS:
                    r["problems"].append(f"{r['most_shots']} shots alive at once")
                if r["peak_mb"] > MOST_MEMORY_MB[kind]:
                    r["problems"].append(f"{r['peak_mb']:.0f} MB at its peak")
                print(f"game {game}: {r['virtual']:.0f} s virtual ({r['why']}"
                      f"{', won' if r['won'] else ''}), {r['peak_mb']:.0f} MB peak, at most "
                      f"{r['most_shots']} shots"
                      + ("" if not r["problems"] else "  FAIL: " + "; ".join(r["problems"])),
                      flush=True)
                failures += bool(r["problems"])
            if all(r["virtual"] <= 0 for _, r in results):
                break
    print(f"soak: {done / 3600:.2f} virtual hours in {totals['games']} games ({totals['won']} won), "
          f"over {totals['frames']} frames counted at the states, peak memory "
          f"{totals['peak_mb']:.0f} MB, at most {totals['most_shots']} shots alive")
    print(f"{totals['games'] - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
