#!/usr/bin/env python3
"""Installs the build into a scratch prefix and tries the installation as a
player's desktop would: the menu entry, its icons, the metainfo and the man
page pass their checks and agree with the program; the data are all there;
and the installed runner, started without --data from an empty folder,
finds the installed data and plays into the first level.

    install_test.py CMAKE BUILD_DIR SOURCE_DATA_DIR
"""

import filecmp
import gzip
import json
import os
import pathlib
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

problems = []


def check(ok, what):
    if not ok:
        problems.append(what)
    return ok


def run(args, cwd=None, env=None):
    return subprocess.run([str(a) for a in args], cwd=cwd, capture_output=True,
                          text=True, timeout=300, env=env)


def tool(name, package):
    path = shutil.which(name)
    if not path:
        sys.exit("%s not found: install %s (scripts/install-deps)" % (name, package))
    return path


def png_size(path):
    head = path.read_bytes()[:24]
    if head[:8] != b"\x89PNG\r\n\x1a\n":
        return None
    return struct.unpack(">II", head[16:24])


def check_desktop_files(prefix, version):
    share = prefix / "share"
    entries = sorted((share / "applications").glob("*.desktop"))
    if not check(len(entries) == 1, "one desktop entry, found %s" % entries):
        return
    entry = entries[0]
    result = run([tool("desktop-file-validate", "desktop-file-utils"), entry])
    check(result.returncode == 0 and not result.stdout.strip(),
          "desktop-file-validate: " + result.stdout + result.stderr)
    fields = dict(line.split("=", 1) for line in entry.read_text().splitlines()
                  if "=" in line)
    check(fields.get("Exec", "").split()[:1] == ["skirmo"],
          "the entry starts %r, not skirmo" % fields.get("Exec"))

    icon = fields.get("Icon", "")
    sizes = []
    for png in sorted(share.glob("icons/hicolor/*/apps/%s.png" % icon)):
        folder = png.parent.parent.name
        sizes.append(folder)
        check(png_size(png) == tuple(map(int, folder.split("x"))),
              "%s is %s pixels" % (png.relative_to(prefix), png_size(png)))
    # Desktops fall back to 48 by 48 in the hicolor theme.
    check("48x48" in sizes, "no 48x48 icon named %r, only %s" % (icon, sizes))

    infos = sorted((share / "metainfo").glob("*.metainfo.xml"))
    if not check(len(infos) == 1, "one metainfo file, found %s" % infos):
        return
    result = run([tool("appstreamcli", "appstream"), "validate", "--no-net", infos[0]])
    check(result.returncode == 0, "appstreamcli validate: " + result.stdout + result.stderr)
    root = ET.parse(infos[0]).getroot()
    check(root.findtext("launchable") == entry.name,
          "the metainfo launches %r, the entry is %s" % (root.findtext("launchable"), entry.name))
    check(root.findtext("id") == entry.stem, "the metainfo's id is not the entry's name")
    check(root.findtext("provides/binary") == "skirmo", "the metainfo provides no skirmo")
    released = [r.get("version") for r in root.iter("release")]
    check(released[:1] == [version],
          "the newest release is %s, the program says %s" % (released[:1], version))


def check_man_page(prefix, help_text):
    page = prefix / "share" / "man" / "man6" / "skirmo.6.gz"
    if not check(page.is_file(), "no man page at %s" % page.relative_to(prefix)):
        return
    roff = gzip.decompress(page.read_bytes()).decode()
    check(roff.startswith(".TH SKIRMO 6"), "the man page does not begin with .TH SKIRMO 6")
    in_page = [name.replace("\\-", "-")
               for name in re.findall(r"^\.B \\-\\-((?:\w|\\-)+)", roff, re.M)]
    in_help = re.findall(r"^  --([\w-]+)", help_text, re.M)
    check(in_help and in_page == in_help,
          "--help lists %s, the man page %s" % (in_help, in_page))


def check_data(prefix, source):
    found = [p.parent for p in prefix.rglob("world.dat")]
    if not check(len(found) == 1, "one installed data folder, found %s" % found):
        return
    installed = found[0]
    names = sorted(p.name for p in source.iterdir())
    check(sorted(p.name for p in installed.iterdir()) == names,
          "the installed data folder holds other files than data/")
    match, mismatch, errors = filecmp.cmpfiles(source, installed, names, shallow=False)
    check(not mismatch and not errors, "installed data differ: %s" % (mismatch + errors))


def check_programs(prefix, scratch):
    games = [prefix / d for d in ("games", "bin") if (prefix / d / "skirmo").is_file()]
    if not check(games, "no skirmo in games/ or bin/"):
        return None, ""
    bindir = games[0]
    skirmo = bindir / "skirmo"
    version = run([skirmo, "--version"], cwd=scratch)
    check(version.returncode == 0 and re.fullmatch(r"skirmo \(Velmora\) \S+\n", version.stdout),
          "skirmo --version: %d %r %r" % (version.returncode, version.stdout, version.stderr))
    bad = run([skirmo, "--no-such-option"], cwd=scratch)
    check(bad.returncode == 2 and not bad.stdout and bad.stderr.count("\n") == 1 and
          "'--no-such-option'" in bad.stderr,
          "a bad option: %d %r %r" % (bad.returncode, bad.stdout, bad.stderr))
    shown = run([skirmo, "--help"], cwd=scratch)
    check(shown.returncode == 0, "skirmo --help ended with %d" % shown.returncode)
    # What was asked for and went nowhere (a full disk, a pipe nobody reads) is a failure a
    # script must see and a person can read, never a silent end by SIGPIPE.
    read_end, gone = os.pipe()
    os.close(read_end)
    for option, out in (("--version", "/dev/full"), ("--help", "/dev/full"), ("--help", gone)):
        with open(out, "w") if isinstance(out, str) else os.fdopen(out, "w") as sink:
            lost = subprocess.run([str(skirmo), option], cwd=scratch, stdout=sink, timeout=60,
                                  stderr=subprocess.PIPE, text=True)
        check(lost.returncode == 1 and "cannot write to standard output" in lost.stderr,
              "skirmo %s into %s: %d %r" % (option, out, lost.returncode, lost.stderr))
    # A recording never replaces a data file, here the map named from inside the data folder.
    world = next(prefix.rglob("world.dat"))
    kept = world.read_bytes()
    refused = run([skirmo, "--record", "world.dat"], cwd=world.parent)
    check(refused.returncode == 2 and world.read_bytes() == kept,
          "--record world.dat in the data folder: %d %r" % (refused.returncode, refused.stderr))

    # The runner, installed beside the game, finds the installed data as the game does (and not
    # a player's own data folders on this machine).
    keys = scratch / "keys.txt"
    keys.write_text("0 SPACE down\n0.2 SPACE up\n")  # past the story and keys pages
    state, log = scratch / "state.json", scratch / "log.jsonl"
    played = run([bindir / "skirmo-replay", "--script", keys, "--until", "6",
                  "--state-at", "5:%s" % state, "--log", log], cwd=scratch,
                 env=dict(os.environ, XDG_DATA_HOME=str(scratch), XDG_DATA_DIRS=str(scratch)))
    if check(played.returncode == 0 and state.is_file(),
             "the installed runner: %d %s" % (played.returncode, played.stderr)):
        flying = json.loads(state.read_text())
        check(flying["CurrentLevel"] == 0 and flying["frame"] > 0 and
              flying["EnemiesSpawned"] > 0, "not flying in the first level: %s" % flying)
        events = [json.loads(line) for line in log.read_text().splitlines()]
        check(not [e for e in events if e["event"] == "message_box"],
              "message boxes: %s" % [e for e in events if e["event"] == "message_box"])
        music = [e for e in events if e["event"] == "mci"]
        check(music and all(e["result"] == "0" for e in music), "music failed: %s" % music)
    version_number = version.stdout.split()[-1] if version.stdout else ""
    return version_number, shown.stdout


def main():
    cmake, build, source = sys.argv[1], sys.argv[2], pathlib.Path(sys.argv[3])
    with tempfile.TemporaryDirectory(prefix="skirmo-install-") as tmp:
        prefix, scratch = pathlib.Path(tmp) / "prefix", pathlib.Path(tmp) / "elsewhere"
        scratch.mkdir()
        for extra in ([], ["--component", "replay"]):
            result = run([cmake, "--install", build, "--prefix", prefix] + extra)
            if result.returncode != 0:
                sys.exit("cmake --install failed:\n" + result.stdout + result.stderr)
        version, help_text = check_programs(prefix, scratch)
        check_desktop_files(prefix, version)
        check_man_page(prefix, help_text)
        check_data(prefix, source)
    for p in problems:
        print("FAIL", p)
    print("install: %d problem%s" % (len(problems), "" if len(problems) == 1 else "s"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
