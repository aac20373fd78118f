"""Every picture file of data/: tiles, craft, life icon, cloud and the
explosion flash mask."""

import math
import pathlib

import bmp
import canvas
import craft
import noise
import tiles
from shapes import poly

TILE_NAMES = ["TILE%d.bmp" % (i + 1) for i in range(tiles.COUNT)]
CRAFT_NAMES = ["PLAY1.bmp", "PLAY2.bmp", "PLAY3.bmp",
               "enem1.bmp", "enem2.bmp", "dead.bmp",
               "second1.bmp", "second2.bmp", "second3.bmp",
               "third1.bmp", "third2.bmp", "third3.bmp"]
LIFE_ICON = "numleft.bmp"
CLOUD = "CLOUD.bmp"
FLASH = "flashtmp.bmp"


# ------------------------------------------------------------------ cloud

# (x, y, radius) of the puffs, back ones first.
_PUFFS = [
    (18, 38, 10), (46, 38, 11), (31, 41, 12), (23, 27, 12), (40, 25, 13),
    (52, 30, 8), (12, 31, 7), (31, 31, 13),
]


def cloud():
    """A heap of round puffs, lit from the upper left.  It is drawn with a
    hard colour key, so even the edge pixels are a light grey; the shape
    itself is what looks soft."""
    img = canvas.Canvas(64, 64)
    for y in range(64):
        for x in range(64):
            px, py = x + 0.5, y + 0.5
            top = None
            for cx, cy, r in _PUFFS:
                # The rim of every puff is nibbled by noise so the outline
                # is not a set of perfect circles.
                wob = (noise.value(x, y, 4, 3, period=64) - 128) / 64.0
                dx, dy = px - cx, py - cy
                if dx * dx + dy * dy <= (r + wob) * (r + wob):
                    top = (dx, dy, r)
            if top is None:
                continue
            dx, dy, r = top
            # Bright toward the light, a soft grey underside.
            lit = 0.5 + (-0.45 * dx - 0.6 * dy) / (r * 1.6)
            lit -= (dx * dx + dy * dy) / (r * r) * 0.18
            lit = min(1.0, max(0.0, lit))
            v = int(176 + lit * 79)
            img.px[y][x] = (v - 6, v - 3, min(255, v + 2))
    return img


# ------------------------------------------------------------ flash mask

# Sixteen directions, a sixteenth of a turn apart (cos, sin), written out
# so no sine routine decides the shape.
_DIRS = [
    (1.0, 0.0), (0.9239, 0.3827), (0.7071, 0.7071), (0.3827, 0.9239),
    (0.0, 1.0), (-0.3827, 0.9239), (-0.7071, 0.7071), (-0.9239, 0.3827),
    (-1.0, 0.0), (-0.9239, -0.3827), (-0.7071, -0.7071),
    (-0.3827, -0.9239), (0.0, -1.0), (0.3827, -0.9239), (0.7071, -0.7071),
    (0.9239, -0.3827),
]


def _mid_dir(a, b):
    x, y = a[0] + b[0], a[1] + b[1]
    n = math.sqrt(x * x + y * y)
    return (x / n, y / n)


def flash_mask():
    """A ragged starburst: long and short rays between a jagged core,
    coloured white-hot in the middle to orange at the tips (the game only
    uses which pixels are not black)."""
    rng = canvas.Rng(75)
    c = 75.0
    outline = []
    for i, d in enumerate(_DIRS):
        # Knock each ray off its sixteenth of a turn so the burst is
        # ragged rather than a regular star.
        j = rng.between(-24, 24) / 100.0
        ray = _mid_dir((d[0] - j * d[1], d[1] + j * d[0]), (d[0] - j * d[1],
                                                         d[1] + j * d[0]))
        long_ray = i % 2 == 0 or rng.below(3) == 0
        r = rng.between(58, 73) if long_ray else rng.between(38, 54)
        outline.append((c + ray[0] * r, c + ray[1] * r))
        m = _mid_dir(d, _DIRS[(i + 1) % 16])
        r = rng.between(20, 32)
        # Every valley gets a little jag of its own.
        jag = _mid_dir(d, m)
        outline.append((c + jag[0] * (r + rng.between(3, 12)),
                        c + jag[1] * (r + rng.between(3, 12))))
        outline.append((c + m[0] * r, c + m[1] * r))
    star = poly(outline)
    img = canvas.Canvas(150, 150)
    for y in range(150):
        for x in range(150):
            px, py = x + 0.5, y + 0.5
            if not star(px, py):
                continue
            dx, dy = px - c, py - c
            t = min(1.0, math.sqrt(dx * dx + dy * dy) / 72.0)
            if t < 0.2:
                col = (255, 255, 236)
            else:
                k = int((t - 0.2) / 0.8 * 256)
                col = canvas.mix((255, 250, 214), (240, 110, 30), k, 256)
            img.px[y][x] = col
    return img


# ------------------------------------------------------------ everything

def all_pictures():
    """{file name: Canvas} of every picture in data/."""
    out = {}
    for name, img in zip(TILE_NAMES, tiles.make_tiles()):
        out[name] = img
    out.update(craft.all_craft())
    out[LIFE_ICON] = craft.life_icon()
    out[CLOUD] = cloud()
    out[FLASH] = flash_mask()
    return out


def generate(out_dir):
    out_dir = pathlib.Path(out_dir)
    out_dir.mkdir(parents=True, exist_ok=True)
    written = []
    pics = all_pictures()
    for name in TILE_NAMES + CRAFT_NAMES + [LIFE_ICON, CLOUD, FLASH]:
        img = pics[name]
        path = out_dir / name
        bmp.write_bmp24(path, img.width, img.height, img.px)
        written.append(path)
    return written
