#!/usr/bin/env python3
"""Every data file missing, empty, cut to half and replaced by random bytes, one at a time; and
one file of each kind replaced by a named pipe that nothing writes to.

Each case runs the real game through skirmo-replay (whichever build runs the suite, the sanitizer
one included) past loading and into the first level, and checks that the game either does what it
is meant to do with that file (its message box and its end, or its silent fallback) or refuses the
file cleanly: never a crash, a hang, a sanitizer report or an unexpected message.

usage: corrupt_files.py SKIRMO_REPLAY DATA_DIR
"""
import concurrent.futures
import json
import os
import random
import shutil
import subprocess
import sys
import tempfile
import zlib

SUPPORT = "help@velmora.example"
# The two opening pages are left with Space as soon as they show (each fades out from dark grey in
# a fraction of a second); the level title takes about four seconds, and by 9 virtual seconds the
# first level has been flown for a few.
SCRIPT = "0.1 SPACE down\n0.15 SPACE up\n0.6 SPACE down\n0.65 SPACE up\n5 UP down\n6 SPACE down\n"
UNTIL = "9"
DAMAGES = ("missing", "empty", "half", "random")
# A pipe must be refused as a missing file is, not waited on: one for each way a file is read
# (the map, a surface picture, the flash mask, each kind of sound, the music at start and in play).
FIFOS = ("world.dat", "TILE1.bmp", "flashtmp.bmp", "plyrshot.voc", "terrible.wav", "CAIRO.MID",
         "DREAMS.MID")


def picture_message(name):
    """The message box a picture that cannot be loaded brings, as (caption, text)."""
    stem = name[: -len(".bmp")]
    where = (", please check the directory skirmo.exe is in, if the file isn't there, "
             "download skirmo.zip again, if it is, contact " + SUPPORT + ", thank you!")
    if stem == "numleft":
        return "Bitmap loading error", "Couldn't miniature ship bitmap, contact me - " + SUPPORT + ", thanks..."
    if stem == "CLOUD":
        return "Bitmap loading error", None  # our own words; only the caption is fixed
    if stem == "flashtmp":
        return "Bitmap loading error", "couldn't load bitmap resource, contact " + SUPPORT + ", thank you!"
    return "Bitmap loading error", "couldn't load bitmap " + stem + ".BMP" + where


MUSIC_MESSAGE = ("MCI music load error",
                 "Failed to load midi, check the directory skirmo.exe is in, if it's not there, "
                 "redownload skirmo.zip, if it is, let " + SUPPORT + " know about this error")
# Pieces whose open is reached within the run: the title piece at start-up, level 1's at its start.
MUSIC_REACHED = {"CAIRO.MID", "DREAMS.MID"}


def damage(path, how, rng):
    size = os.path.getsize(path)
    if how in ("missing", "fifo"):
        os.remove(path)
        if how == "fifo":
            os.mkfifo(path)
        return
    with open(path, "rb") as f:
        data = f.read()
    os.remove(path)  # the folder holds links to the real files: never write through them
    if how == "empty":
        data = b""
    elif how == "half":
        data = data[: size // 2]
    else:
        data = bytes(rng.getrandbits(8) for _ in range(size))
    with open(path, "wb") as f:
        f.write(data)


# A picture that cannot be loaded ends the program with its own status; nothing else here does.
PICTURE_STATUS = 7


def expected(name, how):
    """(message boxes that must appear, whether they may be absent, whether the game ends by itself)."""
    lower = name.lower()
    if lower.endswith(".bmp"):
        # A picture cut in half may still decode (its rows simply missing): then nothing is said.
        return [picture_message(name)], how == "half", True
    if lower.endswith(".mid"):
        return ([MUSIC_MESSAGE] if name in MUSIC_REACHED else []), False, False
    return [], False, False  # world.dat and the sounds fall back silently


def run_case(replay, data, name, how, seed):
    rng = random.Random(seed)
    with tempfile.TemporaryDirectory(prefix="skirmo-corrupt-") as tmp:
        folder = os.path.join(tmp, "data")
        os.mkdir(folder)
        for f in os.listdir(data):
            os.symlink(os.path.join(data, f), os.path.join(folder, f))
        damage(os.path.join(folder, name), how, rng)
        script = os.path.join(tmp, "keys.txt")
        log = os.path.join(tmp, "log.jsonl")
        with open(script, "w") as f:
            f.write(SCRIPT)
        try:
            run = subprocess.run([replay, "--data", folder, "--script", script, "--until", UNTIL,
                                  "--log", log], capture_output=True, text=True, timeout=300)
        except subprocess.TimeoutExpired:
            return f"{name} {how}: hung (no end within 300 s)"
        problems = []
        if "Sanitizer" in run.stderr or "runtime error" in run.stderr:
            problems.append("sanitizer report:\n" + run.stderr[-3000:])
        events = []
        if os.path.exists(log):
            with open(log) as f:
                events = [json.loads(line) for line in f if line.strip()]
        boxes = [(e["caption"], e["text"]) for e in events if e["event"] == "message_box"]
        ends = [e for e in events if e["event"] == "end"]
        want, may_be_absent, ends_itself = expected(name, how)
        if not boxes and may_be_absent:
            ends_itself = False
        else:
            for caption, text in want:
                if not any(c == caption and (text is None or t == text) for c, t in boxes):
                    problems.append(f"missing message {caption!r}: {text!r}")
            unexpected = [b for b in boxes
                          if not any(b[0] == c and (t is None or b[1] == t) for c, t in want)]
            if unexpected:
                problems.append(f"unexpected messages {unexpected}")
        why = ends[-1]["why"] if ends else None
        if why != ("program ended" if ends_itself else "until"):
            problems.append(f"run ended with {why!r}")
        if run.returncode != (PICTURE_STATUS if ends_itself else 0):
            problems.append(f"exit status {run.returncode}")
        return f"{name} {how}: " + "; ".join(problems) if problems else None


def main():
    replay, data = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    cases = [(name, how) for name in sorted(os.listdir(data)) for how in DAMAGES]
    cases += [(name, "fifo") for name in FIFOS]
    with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
        # The random bytes are the same on every run: a failure can be repeated.
        results = list(pool.map(
            lambda c: run_case(replay, data, c[0], c[1], zlib.crc32(f"{c[0]} {c[1]}".encode())),
            cases))
    failures = [r for r in results if r]
    for f in failures:
        print("FAIL", f)
    print(f"{len(cases) - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
