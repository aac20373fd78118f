#!/usr/bin/env python3
"""Makes every data file of the game, the start-up title picture, the
program's icons and the contact sheet, the same bytes on every run.

    python3 tools/assetgen/assetgen.py            write into the repository
    python3 tools/assetgen/assetgen.py --out DIR  write under DIR instead
    python3 tools/assetgen/assetgen.py --check    regenerate into a scratch
                                                  directory and compare
"""

import argparse
import filecmp
import importlib
import importlib.util
import pathlib
import sys
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
REPO = HERE.parents[1]
if str(HERE) not in sys.path:
    sys.path.insert(0, str(HERE))

import contact_sheet  # noqa: E402
import icon  # noqa: E402
import pictures  # noqa: E402
import title  # noqa: E402
import worldmap  # noqa: E402

TITLE = pathlib.Path("src/app/startup_title.bmp")
SHEET = pathlib.Path("docs/contact-sheet.png")
ICONS = pathlib.Path("packaging/icons")


def _optional(name):
    """The sound and music modules are written separately; the pictures
    must still build while one of them does not exist yet.  A module that
    exists but fails to import is an error, not an absence."""
    if importlib.util.find_spec(name) is None:
        print("assetgen: no %s module, skipping it" % name, file=sys.stderr)
        return None
    return importlib.import_module(name)


def generate_all(root):
    """Writes everything under root; returns the written paths relative to
    root."""
    root = pathlib.Path(root)
    data = root / "data"
    data.mkdir(parents=True, exist_ok=True)
    written = []
    written += pictures.generate(data)
    written += worldmap.generate(data)
    for name in ("sounds", "music"):
        module = _optional(name)
        if module is not None:
            written += module.generate(data)
    title_path = root / TITLE
    title_path.parent.mkdir(parents=True, exist_ok=True)
    title.write_title(title_path)
    written.append(title_path)
    written += contact_sheet.generate(root / SHEET, data, title_path)
    written += icon.generate(root / ICONS, data)
    rel = []
    for p in written:
        r = pathlib.Path(p).resolve().relative_to(root.resolve())
        if r in rel:
            raise RuntimeError("%s written twice" % r)
        rel.append(r)
    return rel


def compare(fresh, repo, made):
    """Compares the files `made` (relative paths) under `fresh` with the
    same paths under `repo`, prints each problem and returns how many there
    were.  Files in repo's data/ that the generator did not make count as
    problems too: data/ holds only generated files."""
    fresh, repo = pathlib.Path(fresh), pathlib.Path(repo)
    problems = 0
    for rel in made:
        ours = repo / rel
        if not ours.exists():
            print("missing: %s" % rel)
            problems += 1
        elif not filecmp.cmp(ours, fresh / rel, shallow=False):
            print("differs: %s" % rel)
            problems += 1
    made_set = set(made)
    data = repo / "data"
    if data.is_dir():
        for p in sorted(data.iterdir()):
            rel = p.relative_to(repo)
            if p.is_file() and rel not in made_set:
                print("not generated: %s" % rel)
                problems += 1
    return problems


def check(repo):
    """Regenerates into a scratch directory and compares with the files in
    the repository.  Returns the number of problems found."""
    with tempfile.TemporaryDirectory(prefix="assetgen-") as tmp:
        made = generate_all(tmp)
        problems = compare(tmp, repo, made)
    print("assetgen: %d files compared, %d problem%s" %
          (len(made), problems, "" if problems == 1 else "s"))
    return problems


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--out", metavar="DIR",
                    help="write under DIR instead of the repository")
    ap.add_argument("--check", action="store_true",
                    help="compare a fresh generation with the repository")
    args = ap.parse_args(argv)
    if args.check:
        return 1 if check(REPO) else 0
    root = pathlib.Path(args.out) if args.out else REPO
    for rel in generate_all(root):
        print(rel)
    return 0


if __name__ == "__main__":
    sys.exit(main())
