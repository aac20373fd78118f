#!/usr/bin/env python3
"""Measures how many small faults the test suite catches.

usage: scripts/mutate [--seed N] [--count N] [--list] [--jobs N] [--keep-going]
                      [--results FILE] [--from-results FILE] [--all-tests] [FILES...]

Draws single-point mutants of the code by a seeded random draw: a comparison flipped (< and <=,
> and >=, == and !=), + and - swapped (and += with -=), a number moved by one, a one-line call
deleted, a returned truth inverted. Comments, strings and preprocessor lines are never touched,
and no line gets two mutants. Each mutant is built in build-mutate/ and the suite runs on it until
the first test fails; the file is then put back from the copy taken before (also on Ctrl+C, and
by the next run if this one was killed). One line per mutant, a breakdown by folder, and a last
line `mutate: score=K/N`: mutants killed or hung over those that compiled.

FILES are files or folders (a folder means every .cpp under it); without them, the sources that
DEFAULT_SOURCES names. Mutants are shared out over the folders by their lines of code, at least
one each, so every folder is measured.
"""
import argparse
import fnmatch
import hashlib
import json
import os
import pathlib
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = pathlib.Path(__file__).resolve().parent
ROOT = HERE.parent.parent
BUILD = ROOT / "build-mutate"
CACHE = BUILD / "mutate-cache.json"  # which tests killed mutants of which file, test durations
PENDING = BUILD / "mutate-pending"  # the copy of the file under mutation, while it is mutated
EQUIVALENT = HERE / "equivalent.txt"

# What the suite should guard, in order; "!pattern" takes out what earlier patterns took in.
# The real desktop's backend is left out but for its arithmetic and its own files, which the suite
# tests alone.
DEFAULT_SOURCES = [
    "src/**/*.cpp",
    "!src/shell/main.cpp",
    "!src/platform/sdl/*",
    "src/platform/sdl/keys_sdl.cpp",
    "src/platform/sdl/screen_fit.h",
    "src/platform/sdl/screen_scale.h",
    "src/platform/sdl/screenshot.cpp",
    "src/platform/sdl/screenshot_writer.cpp",
    "src/platform/sdl/window_settings.cpp",
    "tools/replay/*.cpp",
]

# ---------------------------------------------------------------- drawing the mutants


def mask(text):
    """The text with comments, strings and character literals blanked (newlines kept)."""
    out = list(text)
    i, n = 0, len(text)
    while i < n:
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
        elif text[i] == '"' or (text[i] == "'" and not (i and text[i - 1].isalnum())):
            end = i + 1  # an apostrophe after a digit separates digits: 1'000
            while end < n and text[end] != text[i]:
                end += 2 if text[end] == "\\" else 1
            end = min(end + 1, n)
        else:
            i += 1
            continue
        for k in range(i, end):
            if out[k] != "\n":
                out[k] = " "
        i = end
    return "".join(out)


def code_lines(raw_lines, masked_lines):
    """Indices of the lines holding code: not blank, not only a comment, not preprocessor."""
    keep, continued = [], False
    for idx, (raw, masked) in enumerate(zip(raw_lines, masked_lines)):
        directive = continued or raw.lstrip().startswith("#")
        continued = directive and raw.rstrip().endswith("\\")
        if not directive and masked.strip() and not masked.lstrip().startswith("static_assert"):
            keep.append(idx)
    return keep


FLIP = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "==",
        "+": "-", "-": "+", "+=": "-=", "-=": "+="}
TRUTH = {"true": "false", "false": "true", "0": "1", "1": "0"}
NUMBER = re.compile(r"(?<![\w.'])(0[xX][0-9a-fA-F]+|\d+\.\d*(?:[eE][-+]?\d+)?|\.\d+|\d+)[fFuUlL]*(?![\w.'])")
CALL = re.compile(r"^(\s*)((?:[A-Za-z_]\w*(?:::|\.|->))*([A-Za-z_]\w*)\s*\(.*\)\s*;)\s*$")
KEYWORDS = {"return", "if", "while", "for", "switch", "delete", "throw", "sizeof", "case", "else",
            "do", "new", "using", "typedef", "goto", "static_assert"}


def moved_by_one(literal, step):
    if literal.lower().startswith("0x"):
        return "0x%x" % (int(literal, 16) + step)
    if "." in literal or "e" in literal.lower():
        return repr(float(literal) + step)
    return str(int(literal) + step)


def line_sites(masked, raw, statement):
    """Every mutant of one line: (column, old text, new text, operator). statement: the line
    begins a statement rather than going on with the one above."""
    sites = []
    for m in re.finditer(r"(?<= )(<=|>=|==|!=|<|>)(?= )", masked):
        sites.append((m.start(), m.group(1), FLIP[m.group(1)], "comparison"))
    for m in re.finditer(r"(?<= )(\+=|-=|\+|-)(?= )", masked):
        sites.append((m.start(), m.group(1), FLIP[m.group(1)], "plus-minus"))
    ret = re.search(r"\breturn\s+(true|false|0|1)\s*;", masked)
    if ret:
        sites.append((ret.start(1), ret.group(1), TRUTH[ret.group(1)], "return"))
    for m in NUMBER.finditer(masked):
        if ret and m.start() == ret.start(1):
            continue
        zero = float(int(m.group(1), 16) if m.group(1).lower().startswith("0x") else m.group(1)) == 0
        for step in (1,) if zero else (1, -1):
            sites.append((m.start(), m.group(1), moved_by_one(m.group(1), step), "constant"))
    call = CALL.match(masked) if statement else None
    if call and call.group(3) not in KEYWORDS:
        stmt = call.group(2)
        first = re.match(r"\w+", stmt).group(0)
        if first not in KEYWORDS and "=" not in re.sub(r"\(.*\)", "", stmt):
            start = len(call.group(1))
            sites.append((start, raw[start:].rstrip(), "(void)0;", "call-deleted"))
    return sites


def file_sites(path):
    """Every mutant of a file, and its lines of code."""
    raw = path.read_text()
    raw_lines, masked_lines = raw.split("\n"), mask(raw).split("\n")
    lines = code_lines(raw_lines, masked_lines)
    sites, above = [], ";"
    for idx in lines:
        statement = above.endswith((";", "{", "}", ")", ":", "else"))
        above = masked_lines[idx].strip()
        for col, old, new, op in line_sites(masked_lines[idx], raw_lines[idx], statement):
            line = raw_lines[idx]
            sites.append({"line": idx + 1, "op": op, "before": line,
                          "after": line[:col] + new + line[col + len(old):]})
    return sites, len(lines)


def expand_sources(patterns):
    chosen = []
    for pattern in patterns:
        drop = pattern.startswith("!")
        pattern = pattern.lstrip("!")
        if drop:
            chosen = [p for p in chosen if not fnmatch.fnmatch(p, pattern)]
            continue
        for path in sorted(ROOT.glob(pattern)):
            rel = path.relative_to(ROOT).as_posix()
            if path.is_file() and rel not in chosen:
                chosen.append(rel)
    return chosen


def files_from_arguments(args):
    files = []
    for arg in args:
        path = pathlib.Path(arg).resolve()
        if not path.exists():
            sys.exit("mutate: no such file or folder: %s" % arg)
        found = sorted(path.rglob("*.cpp")) if path.is_dir() else [path]
        files += [p.relative_to(ROOT).as_posix() for p in found]
    return sorted(set(files))


def share(count, sizes):
    """count shared out in proportion to sizes (largest remainder), at least one each if it
    goes round."""
    floor = 1 if count >= len(sizes) else 0
    left = count - floor * len(sizes)
    total = sum(sizes.values())
    exact = {k: left * v / total for k, v in sizes.items()}
    quota = {k: floor + int(v) for k, v in exact.items()}
    for k in sorted(exact, key=lambda k: (int(exact[k]) - exact[k], k))[:count - sum(quota.values())]:
        quota[k] += 1
    return quota


def draw(files, seed, count):
    """The folders' quotas by lines of code; in a folder, a file by its lines, an operator among
    those the file still has, then a place for it, never on a line already used."""
    sites, sizes, folders = {}, {}, {}
    for f in files:
        sites[f], sizes[f] = file_sites(ROOT / f)
        if sites[f]:
            folders.setdefault(str(pathlib.PurePath(f).parent), []).append(f)
    quota = share(count, {d: sum(sizes[f] for f in fs) for d, fs in folders.items()})
    used = {f: set() for f in files}
    mutants = []
    for folder in sorted(folders):
        rng = random.Random("%d %s" % (seed, folder))  # a new folder leaves the others' draws
        for _ in range(quota[folder]):
            free = {f: [s for s in sites[f] if s["line"] not in used[f]] for f in folders[folder]}
            candidates = [f for f in folders[folder] if free[f]]
            if not candidates:
                break
            f = rng.choices(candidates, weights=[sizes[f] for f in candidates])[0]
            op = rng.choice(sorted({s["op"] for s in free[f]}))
            site = rng.choice([s for s in free[f] if s["op"] == op])
            used[f].add(site["line"])
            mutants.append(dict(site, file=f))
    for i, m in enumerate(mutants, 1):
        m["id"] = i
    return mutants


def equivalents():
    """The mutants known to change nothing a test could see, by file, line before and after.
    A line written the same way more than once in its file is told apart by its place among
    them ("FILE #2": the second); an entry without one holds only while its line is unique."""
    known, entry = {}, {}
    if EQUIVALENT.exists():
        for line in EQUIVALENT.read_text().split("\n"):
            if line.startswith("#") or not line.strip():
                continue
            if line.startswith("- "):
                entry["before"] = line[2:].strip()
            elif line.startswith("+ "):
                key = (entry["file"], entry["before"], line[2:].strip())
                known.setdefault(key, set()).add(entry["nth"])
            else:
                name, _, nth = line.strip().partition(" #")
                entry = {"file": name, "nth": int(nth) if nth else None}
    return known


def is_equivalent(m, known):
    places = known.get((m["file"], m["before"].strip(), m["after"].strip()))
    if not places:
        return False
    lines = [l.strip() for l in (ROOT / m["file"]).read_text().split("\n")]
    before = m["before"].strip()
    if lines.count(before) == 1 and None in places:
        return True
    return lines[:m["line"]].count(before) in places

# ---------------------------------------------------------------- applying and restoring


class Mutation:
    """One mutant in place; the original bytes are kept in memory and in build-mutate/ so that
    a run killed outright is undone by the next."""

    def __init__(self, m):
        self.path = ROOT / m["file"]
        self.original = self.path.read_bytes()
        lines = self.original.decode().split("\n")
        at = m["line"] - 1
        if not (0 <= at < len(lines) and lines[at] == m["before"]):
            # The file changed since the mutant was drawn: the same line, wherever it went.
            places = [i for i, line in enumerate(lines) if line == m["before"]]
            if not places:
                raise LookupError("line no longer in %s" % m["file"])
            at = min(places, key=lambda i: abs(i - at))
        m["line"] = at + 1
        lines[at] = m["after"]
        PENDING.mkdir(parents=True, exist_ok=True)
        (PENDING / m["file"].replace("/", "%")).write_bytes(self.original)
        self.path.write_text("\n".join(lines))

    def restore(self):
        # Written anew, so the file is newer than the mutant's objects and is built again.
        self.path.write_bytes(self.original)
        (PENDING / str(self.path.relative_to(ROOT)).replace("/", "%")).unlink()


def restore_pending():
    if not PENDING.is_dir():
        return
    for saved in PENDING.iterdir():
        path = ROOT / saved.name.replace("%", "/")
        if path.read_bytes() != saved.read_bytes():
            path.write_bytes(saved.read_bytes())
            print("mutate: %s put back from a run that was stopped" % path.relative_to(ROOT))
        saved.unlink()


def kill(proc):
    """The process and whatever it started (it leads a session of its own)."""
    try:
        os.killpg(proc.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    proc.wait()


class Stop(Exception):
    pass


def stop(signum, frame):
    raise Stop()

# ---------------------------------------------------------------- building and testing


def build(jobs, cap=1800):
    if not (BUILD / "CMakeCache.txt").exists():
        configure = ["cmake", "-S", str(ROOT), "-B", str(BUILD), "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                     "-DSKIRMO_TESTS=ON"]
        if shutil.which("ninja"):
            configure += ["-G", "Ninja"]
        if shutil.which("ccache"):
            configure += ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"]
        subprocess.run(configure, check=True, stdout=subprocess.DEVNULL)
    proc = subprocess.Popen(["cmake", "--build", str(BUILD), "-j%d" % jobs], stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, text=True, start_new_session=True)
    try:
        out, _ = proc.communicate(timeout=cap)
    except BaseException as e:
        kill(proc)
        if not isinstance(e, subprocess.TimeoutExpired):
            raise
        return False, "error: the build took over %d s" % cap
    return proc.returncode == 0, out


def suite():
    """The suite's tests as ctest knows them: name, command, folder, environment, checks."""
    out = subprocess.run(["ctest", "--show-only=json-v1"], cwd=BUILD, check=True,
                         capture_output=True, text=True).stdout
    tests = []
    for t in json.loads(out)["tests"]:
        props = {p["name"]: p["value"] for p in t.get("properties", [])}
        if "command" not in t or props.get("DISABLED"):
            continue
        env = dict(os.environ)
        env.update(kv.split("=", 1) for kv in props.get("ENVIRONMENT", []))
        tests.append({"name": t["name"], "command": t["command"], "env": env,
                      "cwd": props.get("WORKING_DIRECTORY", str(BUILD)),
                      "timeout": props.get("TIMEOUT", 1500),
                      "skip": props.get("SKIP_REGULAR_EXPRESSION", []),
                      "skip_rc": props.get("SKIP_RETURN_CODE"),
                      "pass": props.get("PASS_REGULAR_EXPRESSION", []),
                      "fail": props.get("FAIL_REGULAR_EXPRESSION", []),
                      "will_fail": props.get("WILL_FAIL", False)})
    return tests


def verdict(test, rc, output):
    """passed, or how the test failed, by ctest's rules."""
    if any(re.search(r, output) for r in test["skip"]) or rc == test["skip_rc"]:
        return "passed"
    if test["pass"]:
        ok = any(re.search(r, output) for r in test["pass"])
    else:
        ok = rc == 0
    if any(re.search(r, output) for r in test["fail"]):
        ok = False
    if test["will_fail"]:
        ok = not ok
    return "passed" if ok else ("crashed" if rc < 0 else "failed")


def run_tests(tests, order, jobs, timeouts, keep_going):
    """Runs the tests in the order given, jobs at a time; stops at the first failure unless
    keep_going. Returns the failures in the order they happened: (name, how, output's end)."""
    by_name = {t["name"]: t for t in tests}
    pending, running, failures, durations = list(order), {}, [], {}
    try:
        while pending or running:
            while pending and len(running) < jobs and (keep_going or not failures):
                t = by_name[pending.pop(0)]
                log = tempfile.TemporaryFile(mode="w+", errors="replace")
                proc = subprocess.Popen(t["command"], cwd=t["cwd"], env=t["env"], stdout=log,
                                        stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                                        start_new_session=True)
                running[proc] = (t, log, time.time())
            if not running:
                break
            time.sleep(0.02)
            for proc, (t, log, began) in list(running.items()):
                rc = proc.poll()
                took = time.time() - began
                if rc is None and took < timeouts[t["name"]]:
                    continue
                if rc is None:
                    kill(proc)
                log.seek(0)
                output = log.read()
                log.close()
                del running[proc]
                durations[t["name"]] = took
                how = "timeout" if rc is None else verdict(t, rc, output)
                if how != "passed":
                    failures.append((t["name"], how, output[-2000:]))
            if failures and not keep_going:
                break
    finally:
        for proc, (t, log, _) in running.items():
            kill(proc)
            log.close()
    return failures, durations


def programs():
    """A fingerprint of every program the build made: a mutant that leaves them all the same
    (in code the compiler never sees, such as a branch for other processors) is equivalent."""
    prints = {}
    for path in sorted(BUILD.rglob("*")):
        if path.is_file() and os.access(path, os.X_OK) and "CMakeFiles" not in path.parts:
            prints[str(path)] = hashlib.sha256(path.read_bytes()).hexdigest()
    return prints


def builds_output(test):
    """Whether a test runs anything built: the others cannot see a mutant of the code."""
    return any(str(BUILD) in arg for arg in test["command"])


def test_order(tests, cache, file, durations):
    """The tests that killed mutants of this file before, then those that killed any, most
    kills first; then the rest, longest first, so that two at a time finish together."""
    mine = cache["kills"].get(file, {})
    anywhere = {}
    for kills in cache["kills"].values():
        for name, n in kills.items():
            anywhere[name] = anywhere.get(name, 0) + n
    return [t["name"] for t in sorted(tests, key=lambda t: (-mine.get(t["name"], 0),
                                                            -anywhere.get(t["name"], 0),
                                                            -durations.get(t["name"], 0)))]

# ---------------------------------------------------------------- reporting


def folder(m):
    return str(pathlib.PurePath(m["file"]).parent)


def describe(m):
    return "%s:%d %s  %s -> %s" % (m["file"], m["line"], m["op"], m["before"].strip(), m["after"].strip())


def outcome(r):
    if r["status"] == "killed":
        more = len(r["failed"]) - 1
        return "killed by %s%s" % (r["killer"], " and %d more" % more if more else "")
    if r.get("unchanged"):
        return "survived (equivalent: every program built the same)"
    if r["status"] == "survived" and r.get("equivalent"):
        return "survived (equivalent)"
    if r["status"] != "survived" and r.get("equivalent"):
        return "%s (listed as equivalent: take it off the list)" % r["status"]
    return r["status"]


def score(results):
    caught = sum(r["status"] in ("killed", "timeout") for r in results)
    compiled = sum(r["status"] in ("killed", "timeout", "survived") for r in results)
    equivalent = sum(r["status"] == "survived" and r.get("equivalent", False) for r in results)
    return caught, compiled, compiled - equivalent


def percent(k, n):
    return "%5.1f%%" % (100.0 * k / n) if n else "    - "


def summary(results):
    print("mutate: by folder      caught/compiled        over non-equivalent   no-compile")
    for d in sorted({folder(r) for r in results}):
        k, n, ne = score([r for r in results if folder(r) == d])
        nc = sum(r["status"] == "no-compile" for r in results if folder(r) == d)
        print("  %-22s %3d/%-3d %s     %3d/%-3d %s     %d" % (d, k, n, percent(k, n), k, ne,
                                                            percent(k, ne), nc))
    k, n, ne = score(results)
    counts = {s: sum(r["status"] == s for r in results) for s in ("killed", "timeout", "survived", "no-compile")}
    print("mutate: %d killed, %d timeout, %d survived (%d equivalent), %d no-compile" % (
        counts["killed"], counts["timeout"], counts["survived"], n - ne, counts["no-compile"]))
    print("mutate: score=%d/%d (%s), non-equivalent %d/%d (%s)" % (
        k, n, percent(k, n).strip(), k, ne, percent(k, ne).strip()))


def main():
    ap = argparse.ArgumentParser(prog="mutate", description=__doc__.split("\n\n")[0])
    ap.add_argument("files", nargs="*", metavar="FILES")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--count", type=int, default=120)
    ap.add_argument("--list", action="store_true", help="draw and print the mutants, run nothing")
    ap.add_argument("--jobs", type=int, default=2, help="for the build and the tests (2)")
    ap.add_argument("--keep-going", action="store_true",
                    help="run the whole suite on every mutant, naming every test that fails")
    ap.add_argument("--results", default=str(BUILD / "mutate-results.jsonl"),
                    help="one JSON line per mutant (default build-mutate/mutate-results.jsonl)")
    ap.add_argument("--from-results", metavar="FILE",
                    help="run again only the mutants that survived in FILE, and those whose "
                         "killer is no longer in the suite")
    ap.add_argument("--report", metavar="FILE", nargs="+",
                    help="print the mutants and scores of result files again, with the list of "
                         "equivalent mutants as it is now; a mutant run again in a later file "
                         "counts as it went there; run nothing")
    ap.add_argument("--all-tests", action="store_true",
                    help="also run the tests that run nothing built (the data files' checks)")
    ap.add_argument("--exclude", metavar="REGEX",
                    help="leave out the tests whose name matches (e.g. desktop, whose X server "
                         "and window manager can miss a window on a loaded machine and so "
                         "'kill' a mutant it never saw)")
    args = ap.parse_args()

    restore_pending()
    known = equivalents()
    if args.report:
        latest = {}
        for name in args.report:
            for line in open(name):
                if line.strip():
                    r = json.loads(line)
                    latest[(r["seed"], r["id"])] = r
        results = [latest[k] for k in sorted(latest)]
        for r in results:
            r["equivalent"] = r.get("unchanged") or is_equivalent(r, known)
            print("%3d %s  %s" % (r["id"], describe(r), outcome(r)))
        summary(results)
        return
    if args.from_results:
        records = [json.loads(line) for line in open(args.from_results) if line.strip()]
        mutants = [{k: r[k] for k in ("id", "seed", "file", "line", "op", "before", "after")}
                   for r in records if (r["status"] == "survived" and not is_equivalent(r, known))
                   or r.get("killer")]
        killers = {(r["seed"], r["id"]): r.get("killer") for r in records}
    else:
        files = files_from_arguments(args.files) if args.files else expand_sources(DEFAULT_SOURCES)
        mutants = draw(files, args.seed, args.count)
    if args.list:
        for m in mutants:
            print("%3d %s%s" % (m["id"], describe(m), "  (equivalent)" if is_equivalent(m, known) else ""))
        per = {}
        for m in mutants:
            per[folder(m)] = per.get(folder(m), 0) + 1
        print("mutate: %d mutants; %s" % (len(mutants), ", ".join("%s %d" % kv for kv in sorted(per.items()))))
        return

    for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, stop)
    results = []
    try:
        print("mutate: building build-mutate and running the suite without mutants", flush=True)
        ok, out = build(args.jobs)
        if not ok:
            sys.exit(out[-3000:] + "\nmutate: the tree does not build without mutants")
        tests = [t for t in suite() if not (args.exclude and re.search(args.exclude, t["name"]))]
        began = time.time()
        clean, durations = run_tests(tests, [t["name"] for t in tests], args.jobs,
                                     {t["name"]: t["timeout"] for t in tests}, True)
        if clean:
            sys.exit("mutate: the suite fails without mutants: %s" % ", ".join(f[0] for f in clean))
        if not args.all_tests:
            tests = [t for t in tests if builds_output(t)]
        if args.from_results:
            # A mutant killed by a test that is still here would be killed again the same way.
            names = {t["name"] for t in tests}
            mutants = [m for m in mutants if killers[(m["seed"], m["id"])] not in names]
        # A test is given three times what it took here and half a minute more, so a loaded
        # machine does not pass for a hang.
        timeouts = {name: 3 * s + 30 for name, s in durations.items()}
        clean_programs = programs()
        cache = json.loads(CACHE.read_text()) if CACHE.exists() else {"kills": {}}
        print("mutate: the suite passes in %.0f s; %d of its tests run on %d mutants, seed %s" % (
            time.time() - began, len(tests), len(mutants),
            ", ".join(str(n) for n in sorted({m.get("seed", args.seed) for m in mutants})
                      or [args.seed])), flush=True)
        out_file = open(args.results, "w")
        for m in mutants:
            began = time.time()
            r = dict({"seed": args.seed}, **m, equivalent=is_equivalent(m, known))
            try:
                mutation = Mutation(m)
            except LookupError as e:
                print("%3d %s  skipped: %s" % (m["id"], describe(m), e), flush=True)
                continue
            r["line"] = m["line"]
            try:
                ok, out = build(args.jobs)
                r["build_s"] = round(time.time() - began, 1)
                if not ok:
                    r["status"] = "no-compile"
                    r["error"] = next((l for l in out.split("\n") if "error" in l), out[-300:])[:300]
                elif programs() == clean_programs:
                    r.update(status="survived", equivalent=True, unchanged=True)
                else:
                    order = test_order(tests, cache, m["file"], durations)
                    failures, _ = run_tests(tests, order, args.jobs, timeouts, args.keep_going)
                    caught = [f for f in failures if f[1] != "timeout"]
                    if caught:
                        r.update(status="killed", killer=caught[0][0], output=caught[0][2])
                    elif failures:
                        r.update(status="timeout", killer=failures[0][0])
                    else:
                        r["status"] = "survived"
                    r["failed"] = [f[:2] for f in failures]
                    for name, how, _ in failures:
                        kills = cache["kills"].setdefault(m["file"], {})
                        kills[name] = kills.get(name, 0) + 1
                    CACHE.write_text(json.dumps(cache, indent=1, sort_keys=True))
            finally:
                mutation.restore()
            r["seconds"] = round(time.time() - began, 1)
            results.append(r)
            out_file.write(json.dumps(r) + "\n")
            out_file.flush()
            print("%3d %s  %s  (%.0f s)" % (m["id"], describe(m), outcome(r), r["seconds"]), flush=True)
    except Stop:
        print("mutate: stopped; the file under mutation is put back", flush=True)
    finally:
        restore_pending()
    if results:
        summary(results)


if __name__ == "__main__":
    main()
