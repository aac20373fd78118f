"""world.dat: the 64 by 64 landscape (drawn by the geography module).

The file is 64 lines of 64 characters; the character of tile number n is
chr(48 + n), '0' to 'C'.
"""

import pathlib

from geography import N, build_map  # noqa: F401


def map_text(cells):
    lines = ["".join(chr(48 + t) for t in row) for row in cells]
    return "\n".join(lines) + "\n"


def parse_map(text):
    """Tile numbers from world.dat text the way the game reads it:
    line feeds skipped, a space is tile 0, anything else its code - 48."""
    chars = [ch for ch in text if ch != "\n"]
    if len(chars) < N * N:
        raise ValueError("world.dat holds %d cells, not %d" %
                         (len(chars), N * N))
    out = []
    for r in range(N):
        row = []
        for c in range(N):
            ch = chars[r * N + c]
            row.append(0 if ch == " " else ord(ch) - 48)
        out.append(row)
    return out


def generate(out_dir):
    out_dir = pathlib.Path(out_dir)
    out_dir.mkdir(parents=True, exist_ok=True)
    path = out_dir / "world.dat"
    with open(path, "w", newline="\n") as f:
        f.write(map_text(build_map()))
    return [path]
