"""The open sea and the land-use tiles: woods, farmland and houses.

Each tile has to hide the 32-pixel grid it sits on.  The sea carries many
faint wavelets of one size, so no single mark stands out for the eye to
follow from tile to tile.  A wood is a heap of whole round crowns that
keep clear of the tile's corners, so its edge against the grass is a
scalloped line of trees that turns round a tree where the map's cells
step.  A field tile is one field closed in by its hedgerow, so fields side
by side are a farm's enclosures, the map's pastures and copses among
them.  Houses tiles are a village street: a lane, houses facing it with
gabled roofs and chimneys, gardens running back to the next street.
"""

import math

import canvas
import noise
import tiles

SIZE = tiles.SIZE


def _lerp(a, b, t):
    return tiles._lerp(a, b, t)


# ------------------------------------------------------------------ sea

def _wavelets():
    """(x, y, length) of the crests: all short and alike, spread evenly,
    and kept off the tile's border so the shore pieces meet the sea on
    the plain swell."""
    rng = canvas.Rng(2207)
    crests = []
    tries = 0
    while len(crests) < 22 and tries < 5000:
        tries += 1
        x = rng.between(2, SIZE - 6)
        y = rng.between(2, SIZE - 4)
        n = rng.between(2, 3)
        if all(abs(x - cx) + 2 * abs(y - cy) > 7 for cx, cy, _ in crests):
            crests.append((x, y, n))
    return crests


def sea_tile():
    img = canvas.Canvas(SIZE, SIZE)
    for y in range(SIZE):
        for x in range(SIZE):
            c = tiles.water_base(x, y)
            # A fine grain of chop everywhere, too small to follow.
            g = noise.value(x, y, 2, 113) - 128
            img.px[y][x] = canvas.scale_colour(c, 1000 + g // 4, 1000)
    for x0, y, n in _wavelets():
        for x in range(x0, x0 + n):
            img.px[y][x] = _lerp(img.px[y][x], (76, 114, 166), 60)
            img.px[y + 1][x + 1] = canvas.scale_colour(img.px[y + 1][x + 1],
                                                      92, 100)
    return img


# --------------------------------------------------------------- woods

_TREE_TONES = [
    ((30, 70, 30), (84, 142, 58)),
    ((26, 62, 38), (72, 130, 64)),
    ((38, 76, 28), (104, 148, 56)),
    ((24, 58, 32), (64, 118, 52)),
    ((44, 74, 34), (118, 140, 64)),
]


# How far every crown keeps from the tile's corners, in pixels.
CORNER_CLEAR = 3.5


def _crowns():
    """Round crowns packed densely, each whole inside the tile or cut by
    two pixels at most, so a wood's edge is a row of rounded trees.  None
    comes near a corner: where a wood's outline steps from one cell to the
    next it turns round a tree instead of a square corner, and inside a
    wood the gap where four tiles meet is one more shaded gap among the
    crowns.  The generator's seed is the one, of those tried, whose crowns
    meet across the tile's edges with the least visible seam."""
    rng = canvas.Rng(23)
    trees = []
    tries = 0
    while len(trees) < 30 and tries < 8000:
        tries += 1
        r = rng.between(4, 7)
        cx = rng.between(r - 2, SIZE + 1 - r)
        cy = rng.between(r - 2, SIZE + 1 - r)
        ok = True
        for kx in (0, SIZE):
            for ky in (0, SIZE):
                dx, dy = cx + 0.5 - kx, cy + 0.5 - ky
                if dx * dx + dy * dy < (r + CORNER_CLEAR) ** 2:
                    ok = False
        for tx, ty, tr, _ in trees:
            dx, dy = cx - tx, cy - ty
            if dx * dx + dy * dy < ((r + tr) * 80 // 100) ** 2:
                ok = False
                break
        if ok:
            trees.append((cx, cy, r, rng.below(len(_TREE_TONES))))
    # Northern crowns first, so the southern ones overlap them.
    trees.sort(key=lambda t: (t[1], t[0]))
    return trees


def forest_tile():
    trees = _crowns()
    img = canvas.Canvas(SIZE, SIZE)
    for y in range(SIZE):
        for x in range(SIZE):
            px, py = x + 0.5, y + 0.5
            top = None
            gap = 99.0
            shade = False
            for tx, ty, r, tone in trees:
                dx, dy = px - (tx + 0.5), py - (ty + 0.5)
                d = math.sqrt(dx * dx + dy * dy)
                if d <= r:
                    top = (dx, dy, r, tone)
                gap = min(gap, d - r)
                sx, sy = dx - 2, dy - 2
                if sx * sx + sy * sy <= r * r:
                    shade = True
            if top is None:
                # Grass in the gaps, darker the closer the crowns stand:
                # shade inside the wood, the treeline's shadow outside.
                k = 100 - max(0, int((5.0 - gap) * 12))
                if shade:
                    k = k * 70 // 100
                img.px[y][x] = canvas.scale_colour(tiles.grass_colour(x, y),
                                                   k, 100)
                continue
            dx, dy, r, tone = top
            dark, light = _TREE_TONES[tone]
            # Lit from the upper left; the rim falls off into shadow.
            lit = 128 + int((-dx - dy) * 100 / r) - \
                int((dx * dx + dy * dy) * 80 / (r * r))
            leaf = noise.value(x, y, 2, 90 + tone) - 128
            img.px[y][x] = _lerp(dark, light, lit + leaf // 2)
    return img


# ------------------------------------------------------------ farmland

WHEAT_LIGHT = (204, 182, 104)
WHEAT_DARK = (160, 134, 66)
EARTH = (126, 94, 62)
EARTH_DARK = (96, 70, 46)
HEDGE_DARK = (32, 64, 30)
HEDGE_LIGHT = (72, 118, 48)


def _hedge_width(x, y):
    """How far in from the nearest tile edge the hedge reaches: one to
    two pixels, varying along the hedge like bushes grown unevenly.  Two
    fields side by side share one hedge made of both their halves; a field
    beside grass is still closed in."""
    return 0.8 + noise.value(x, y, 4, 131) * 1.3 / 255


# Hedgerow oaks, (x, y, radius, tone): few and unevenly spaced, so the
# eye finds no row of them to follow along a run of fields.
_OAKS = [(21, 2, 3, 2), (2, 13, 3, 0), (29, 25, 2, 3)]


HEADLAND = 5   # rows at each end of the field drilled across it


def _field_crop(x, y):
    """Ripe wheat drilled north to south, with a pair of tramlines down
    the field; at each end the headland, where the drill turned, runs
    across it."""
    n = noise.fbm(x, y, 71, cells=(16, 8, 4), weights=(2, 2, 1))
    c = _lerp(WHEAT_DARK, WHEAT_LIGHT, 128 + (n - 128) * 2)
    headland = y < HEADLAND or y >= SIZE - HEADLAND
    if (y if headland else x) % 2 == 0:
        c = canvas.scale_colour(c, 93, 100)
    if not headland and x in (13, 15):
        c = canvas.scale_colour(c, 86, 100)
    return c


def field_tile():
    """One field inside its hedgerow, a few oaks standing in the hedge."""
    img = canvas.Canvas(SIZE, SIZE)
    hedge = [[False] * SIZE for _ in range(SIZE)]
    for y in range(SIZE):
        for x in range(SIZE):
            px, py = x + 0.5, y + 0.5
            d = min(px, py, SIZE - px, SIZE - py)
            w = _hedge_width(x, y)
            if d < w:
                hedge[y][x] = True
                leaf = noise.value(x, y, 2, 137) - 128
                img.px[y][x] = _lerp(HEDGE_DARK, HEDGE_LIGHT,
                                     70 + int(d * 30) + leaf)
            else:
                img.px[y][x] = _field_crop(x, y)
    # The hedge's shadow on the crop, cast to the south-east.
    for y in range(SIZE - 1, 0, -1):
        for x in range(SIZE - 1, 0, -1):
            if not hedge[y][x] and (hedge[y - 1][x - 1] or hedge[y - 1][x]
                                    or hedge[y][x - 1]):
                img.px[y][x] = canvas.scale_colour(img.px[y][x], 74, 100)
    for cx, cy, r, tone in _OAKS:
        _tree(img, cx, cy, r, tone)
    return img


def _tree(img, cx, cy, r, tone):
    dark, light = _TREE_TONES[tone]
    for y in range(cy - r - 1, cy + r + 4):
        for x in range(cx - r - 1, cx + r + 4):
            if not (0 <= x < SIZE and 0 <= y < SIZE):
                continue
            dx, dy = x - cx, y - cy
            sx, sy = dx - 2, dy - 2
            if dx * dx + dy * dy <= r * r:
                lit = 128 + (-dx - dy) * 100 // r - \
                    (dx * dx + dy * dy) * 80 // (r * r)
                leaf = noise.value(x, y, 2, 95 + tone) - 128
                img.px[y][x] = _lerp(dark, light, lit + leaf // 2)
            elif sx * sx + sy * sy <= r * r:
                img.px[y][x] = canvas.scale_colour(img.px[y][x], 65, 100)


# -------------------------------------------------------------- houses

ROOF_RED = (172, 74, 52)
ROOF_BROWN = (150, 98, 62)
ROOF_SLATE = (112, 112, 124)
ROOF_ORANGE = (186, 104, 58)


def _roof(img, x0, y0, w, h, roof, we, chimney=None):
    """A gabled roof seen from above: two slopes with tile courses, a
    bright ridge, dark eaves and a shadow cast to the south-east.  we: the
    ridge runs west-east."""
    for y in range(y0 + 1, y0 + h + 2):
        for x in range(x0 + 1, x0 + w + 2):
            if 0 <= x < SIZE and 0 <= y < SIZE and not (
                    x < x0 + w and y < y0 + h):
                img.px[y][x] = canvas.scale_colour(img.px[y][x], 55, 100)
    for y in range(y0, y0 + h):
        for x in range(x0, x0 + w):
            if we:
                side, along, course = 2 * y - (2 * y0 + h - 1), x, y
            else:
                side, along, course = 2 * x - (2 * x0 + w - 1), y, x
            if abs(side) <= 1:
                c = canvas.scale_colour(roof, 132, 100)
            elif side < 0:
                c = canvas.scale_colour(roof, 116, 100)
            else:
                c = canvas.scale_colour(roof, 74, 100)
            if course % 2 == 0 and abs(side) > 1:
                c = canvas.scale_colour(c, 92, 100)
            # Weathering: a few tiles darker or lighter.
            m = noise.value(along, course, 2, 151) - 128
            c = canvas.scale_colour(c, 100 + m // 16, 100)
            if x in (x0, x0 + w - 1) or y in (y0, y0 + h - 1):
                c = canvas.scale_colour(c, 78, 100)
            img.px[y][x] = c
    if chimney:
        cx, cy = chimney
        for dy in range(2):
            for dx in range(2):
                img.px[cy + dy][cx + dx] = (96, 70, 60) if dx + dy else \
                    (138, 104, 88)
        img.px[cy + 2][cx + 2] = canvas.scale_colour(img.px[cy + 2][cx + 2],
                                                     60, 100)


LANE_LO, LANE_HI = 15, 19   # the lane's rows, the same at both ends


def _lane(img):
    """A narrow village lane right across the tile, at the same rows on
    both edges, so the lanes of houses side by side join up into a
    street."""
    for y in range(LANE_LO - 1, LANE_HI + 1):
        for x in range(SIZE):
            if y in (LANE_LO - 1, LANE_HI):
                img.px[y][x] = _lerp(img.px[y][x], (150, 138, 96), 90)
                continue
            n = noise.fbm(x, y, 97, cells=(8, 4), weights=(1, 1))
            c = _lerp((112, 106, 94), (134, 126, 108), n)
            if y in (LANE_LO, LANE_HI - 1):
                c = _lerp(c, (150, 140, 118), 100)
            img.px[y][x] = c


LAWN = (124, 168, 78)


def _lawn(img, x0, y0, w, h):
    """Mown grass, a little brighter than the meadow, in stripes."""
    for y in range(y0, y0 + h):
        for x in range(x0, x0 + w):
            c = _lerp(img.px[y][x], LAWN, 100)
            if (x - x0) % 4 < 2:
                c = canvas.scale_colour(c, 93, 100)
            img.px[y][x] = c


def _vegetables(img, x0, y0, w, h):
    """Rows of green leaves between rows of dug earth."""
    for y in range(y0, y0 + h):
        for x in range(x0, x0 + w):
            if (y - y0) % 2 == 0:
                n = noise.value(x, y, 2, 149)
                c = _lerp((78, 116, 42), (112, 146, 58), n)
            else:
                c = _lerp(EARTH_DARK, EARTH, noise.value(x, y, 2, 147))
            img.px[y][x] = c


def _fence(img, x0, y0, x1, y1):
    """A low garden hedge along a row or a column, inclusive, with its
    shadow on the east or south."""
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            img.px[y][x] = _lerp(HEDGE_DARK, HEDGE_LIGHT,
                                 noise.value(x, y, 2, 141))
    if x0 == x1 and x1 + 1 < SIZE:
        for y in range(y0 + 1, min(SIZE, y1 + 2)):
            img.px[y][x1 + 1] = canvas.scale_colour(img.px[y][x1 + 1],
                                                    78, 100)
    elif y0 == y1 and y1 + 1 < SIZE:
        for x in range(x0 + 1, min(SIZE, x1 + 2)):
            img.px[y1 + 1][x] = canvas.scale_colour(img.px[y1 + 1][x],
                                                    78, 100)


def _path(img, x, y0, y1):
    """A garden path from a front door to the lane."""
    for y in range(y0, y1 + 1):
        img.px[y][x] = _lerp(img.px[y][x], (176, 164, 132), 190)


def houses_tile():
    """A village street: a lane right across the tile with houses on both
    sides, each facing it in a garden of its own, the gardens split by
    hedges and running back to the tile's edge.  The lane and the gardens
    run on into the next tile, so houses side by side make one street
    and the gardens of one street meet those of the next; no house is cut
    by the edge, so the last one of a street stands whole."""
    img = canvas.Canvas(SIZE, SIZE)
    for y in range(SIZE):
        for x in range(SIZE):
            img.px[y][x] = tiles.grass_colour(x, y)
    # North of the lane.
    _vegetables(img, 1, 1, 8, 4)
    _lawn(img, 12, 0, 8, 14)
    _lawn(img, 21, 0, 11, 6)
    _fence(img, 11, 0, 11, 13)
    _fence(img, 20, 0, 20, 13)
    # South of the lane.
    _lawn(img, 0, 20, 12, 12)
    _lawn(img, 14, 20, 18, 7)
    _vegetables(img, 15, 28, 10, 4)
    _fence(img, 13, 20, 13, 31)
    _fence(img, 14, 27, 25, 27)
    _lane(img)
    _roof(img, 1, 6, 9, 7, ROOF_RED, True, chimney=(2, 7))
    _roof(img, 13, 4, 6, 9, ROOF_BROWN, False, chimney=(14, 5))
    _roof(img, 22, 7, 8, 6, ROOF_SLATE, True, chimney=(27, 8))
    _roof(img, 3, 21, 7, 9, ROOF_ORANGE, False, chimney=(7, 27))
    _roof(img, 16, 21, 9, 5, ROOF_RED, True, chimney=(22, 22))
    _roof(img, 27, 28, 3, 3, ROOF_SLATE, True)
    _path(img, 5, 20, 20)
    _path(img, 19, 20, 20)
    _tree(img, 16, 1, 2, 0)
    _tree(img, 26, 2, 2, 3)
    _tree(img, 28, 23, 2, 1)
    return img


def village_tile():
    """A crossroads built up like the streets around it: a house on each
    corner, close to the road, its garden behind it running out to the
    tile's edges, where it meets the gardens of the streets beside.  It is
    a village's heart, and the map also puts it where a street of houses
    crosses a road, so its corners are ordinary houses, not a church or
    an inn that would repeat down the road."""
    img = tiles.village_tile_ground()
    # North-west: a cottage with its vegetable plot behind.
    _lawn(img, 0, 0, 11, 11)
    _vegetables(img, 2, 0, 8, 2)
    _fence(img, 0, 0, 0, 10)
    _roof(img, 2, 3, 8, 6, ROOF_RED, True, chimney=(8, 4))
    _path(img, 6, 9, 10)
    # North-east: a tall house end-on to the road, a plot beside it.
    _lawn(img, 21, 0, 11, 11)
    _vegetables(img, 29, 0, 3, 6)
    _fence(img, 28, 0, 28, 8)
    _roof(img, 22, 1, 6, 9, ROOF_SLATE, False, chimney=(26, 2))
    _tree(img, 30, 7, 1, 0)
    # South-west.
    _lawn(img, 0, 21, 11, 11)
    _vegetables(img, 0, 22, 2, 9)
    _fence(img, 0, 31, 10, 31)
    _roof(img, 3, 22, 7, 7, ROOF_ORANGE, False, chimney=(4, 26))
    # South-east: the biggest house, its lawn and a walnut tree.
    _lawn(img, 21, 21, 11, 11)
    _roof(img, 22, 22, 9, 6, ROOF_BROWN, True, chimney=(28, 23))
    _path(img, 25, 21, 21)
    _fence(img, 21, 31, 31, 31)
    _tree(img, 26, 29, 2, 1)
    return img


def make(tile_list):
    """Puts the sea and the land-use tiles into the list of twenty."""
    tile_list[tiles.WATER] = sea_tile()
    tile_list[tiles.FOREST] = forest_tile()
    tile_list[tiles.WHEAT] = field_tile()
    tile_list[tiles.HOUSES] = houses_tile()
    tile_list[tiles.VILLAGE] = village_tile()
