"""The program's icon for the desktop's menus and task lists: the player's
fighter, nose up, flying over a round patch of the game's own landscape
with its shadow on the ground.

It is drawn once at 512 pixels and shrunk to each size by averaging, so
edges come out smooth; the corners outside the patch are transparent.
"""

import pathlib

import canvas
import craft
import tiles
import worldmap
from shapes import Layer, SIZE, render

SIZES = (16, 32, 48, 64, 128, 256)
BASE = 512
CRAFT_SIZE = 432      # the fighter's 54-unit square, 8 pixels a unit
SHADOW = (26, 34)     # the light comes from the upper left
SHADOW_ALPHA = 96
RADIUS = 246          # the landscape patch, centred
RIM = 10
# The patch shows four by four tiles of the map where the first level
# starts: sea, a beach and grass.
MAP_CORNER = (2, 2)   # row, column


def _nose_up(layer):
    """The layer turned a quarter turn so the nose (the design's +x)
    points up; the light stays where it was."""
    shape, stripes = layer.shape, layer.stripes

    def turned(u, v):
        return shape(SIZE - v, u)
    turned_stripes = None
    if stripes:
        def turned_stripes(u, v, c):
            return stripes(SIZE - 1 - v, u, c)
    return Layer(turned, layer.colour, layer.bevel, layer.gloss, layer.glow,
                 turned_stripes)


def _ground(map_cells, tile_pictures):
    """The 4 by 4 tiles, each 32 pixels enlarged to 128."""
    r0, c0 = MAP_CORNER
    img = canvas.Canvas(BASE, BASE)
    for r in range(4):
        for c in range(4):
            img.blit(tile_pictures[map_cells[r0 + r][c0 + c]], c * 128,
                     r * 128, 4)
    return img


def draw(map_cells, tile_pictures):
    """The icon at BASE pixels: rows of (r, g, b, a)."""
    ground = _ground(map_cells, tile_pictures)
    fighter = render([_nose_up(l) for l in
                      craft._player_layers(lambda x, y: False)],
                     size=CRAFT_SIZE)
    at = (BASE - CRAFT_SIZE) // 2

    def fighter_at(x, y):
        fx, fy = x - at, y - at
        if 0 <= fx < CRAFT_SIZE and 0 <= fy < CRAFT_SIZE:
            c = fighter.px[fy][fx]
            if c != (0, 0, 0):
                return c
        return None

    rows = []
    centre = BASE / 2
    for y in range(BASE):
        row = []
        for x in range(BASE):
            dx, dy = x + 0.5 - centre, y + 0.5 - centre
            d2 = dx * dx + dy * dy
            c = fighter_at(x, y)
            if c is not None:
                row.append(c + (255,))
                continue
            if d2 > RADIUS * RADIUS:
                row.append((0, 0, 0, 0))
                continue
            c = ground.px[y][x]
            if fighter_at(x - SHADOW[0], y - SHADOW[1]) is not None:
                c = canvas.mix(c, (0, 0, 0), SHADOW_ALPHA, 256)
            if d2 > (RADIUS - RIM) * (RADIUS - RIM):
                # A dark rim keeps the patch round on any panel colour.
                c = canvas.mix(c, (24, 30, 28), 200, 256)
            row.append(c + (255,))
        rows.append(row)
    return rows


def _spans(src, dst):
    """For each of dst output pixels along one axis, [(source index,
    weight)], weights in 1/dst of a source pixel, summing to src."""
    out = []
    for i in range(dst):
        lo, hi = i * src, (i + 1) * src
        spans = []
        for s in range(lo // dst, (hi + dst - 1) // dst):
            w = min(hi, (s + 1) * dst) - max(lo, s * dst)
            if w > 0:
                spans.append((s, w))
        out.append(spans)
    return out


def shrink(rows, size):
    """Averages the picture's RGBA rows down to size by size, with colours
    weighted by their opacity so transparent pixels add no dark fringe."""
    src = len(rows)
    spans = _spans(src, size)
    total = src * src
    out = []
    for sy in spans:
        row = []
        for sx in spans:
            r = g = b = a = 0
            for y, wy in sy:
                line = rows[y]
                for x, wx in sx:
                    pr, pg, pb, pa = line[x]
                    w = wy * wx * pa
                    r += pr * w
                    g += pg * w
                    b += pb * w
                    a += wy * wx * pa
            if a == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(((r + a // 2) // a, (g + a // 2) // a,
                            (b + a // 2) // a, (a + total // 2) // total))
        out.append(row)
    return out


def generate(folder, data_dir):
    """Writes folder/velmora-SIZE.png for every size, from the map and
    tiles just written to data_dir."""
    folder = pathlib.Path(folder)
    folder.mkdir(parents=True, exist_ok=True)
    with open(pathlib.Path(data_dir) / "world.dat") as f:
        cells = worldmap.parse_map(f.read())
    big = draw(cells, tiles.make_tiles())
    written = []
    for size in SIZES:
        path = folder / ("velmora-%d.png" % size)
        with open(path, "wb") as f:
            f.write(canvas.encode_png(size, size, shrink(big, size)))
        written.append(path)
    return written
