"""The twenty 32 by 32 landscape tiles.

The set is built around one idea: land and water are decided at the
corners of the tiles (the map generator decides them), and a tile whose
corners disagree is a coast piece that blends the two by interpolating the
corners across the tile.  Along a shared edge that blend depends only on
the two corners of that edge, so coast pieces meet each other, the open sea
and the grass without a seam, and the same pieces also draw rivers and
lakes.  Every texture repeats every 32 pixels for the same reason.

Tile numbers (file TILE<n+1>.bmp holds tile number n):
  0       grass (the land every other land tile is drawn on)
  1       open water
  2..13   coast pieces, one per corner pattern (see COAST_PATTERNS)
  14      forest
  15      wheat field
  16      houses among gardens (the blocks around the village crossroads)
  17      road running west-east
  18      road running north-south
  19      village block with a crossroads
"""

import canvas
import noise

SIZE = 32

GRASS = 0
WATER = 1
FOREST = 14
WHEAT = 15
HOUSES = 16
ROAD_WE = 17
ROAD_NS = 18
VILLAGE = 19
COUNT = 20

# Corner pattern bits: which corners are land.
NW, NE, SW, SE = 8, 4, 2, 1
# Every mixed pattern except the two diagonal ones (land at NW and SE only,
# or NE and SW only); the map generator never produces those.
COAST_PATTERNS = [1, 2, 3, 4, 5, 7, 8, 10, 11, 12, 13, 14]


def tile_for_corners(pattern):
    """Tile number for a cell whose land corners are `pattern`."""
    if pattern == 15:
        return GRASS
    if pattern == 0:
        return WATER
    return 2 + COAST_PATTERNS.index(pattern)


def corners_of_tile(n):
    """Inverse of tile_for_corners for the water, grass and coast tiles."""
    if n == GRASS:
        return 15
    if n == WATER:
        return 0
    if 2 <= n < 2 + len(COAST_PATTERNS):
        return COAST_PATTERNS[n - 2]
    return None


# ---------------------------------------------------------------- colours

DEEP = (30, 66, 122)
DEEP_LIGHT = (40, 82, 140)
SHALLOW = (46, 128, 150)
FOAM = (176, 210, 206)
WET_SAND = (170, 152, 104)
SAND = (206, 186, 132)
GRASS_DARK = (62, 104, 44)
GRASS_LIGHT = (92, 138, 58)


def _lerp(a, b, t, den=256):
    t = 0 if t < 0 else den if t > den else t
    return canvas.mix(a, b, t, den)


def grass_colour(x, y):
    # Mostly fine texture: a strong large-scale pattern would show the
    # 32-pixel repeat across a meadow.
    n = noise.fbm(x, y, 11, cells=(16, 8, 4, 2), weights=(1, 2, 2, 1))
    c = _lerp(GRASS_DARK, GRASS_LIGHT, 128 + (n - 128) * 3)
    # Small clumps of darker and lighter grass, two or three pixels across.
    m = noise.value(x, y, 4, 77)
    if m > 200:
        c = canvas.scale_colour(c, 94, 100)
    elif m < 40:
        c = canvas.scale_colour(c, 106, 100)
    return c


def water_colour(x, y):
    n = noise.fbm(x, y, 23, cells=(16, 8), weights=(2, 1))
    c = _lerp(DEEP, DEEP_LIGHT, (n - 80) * 2)
    # Ripples: short, slightly curved light dashes where a wave noise field
    # peaks, three to five pixels long, never a lone pixel.
    ripple = noise.value(x, y, 8, 31)
    band = (y * 4 + noise.value(x, y, 16, 37) // 8) % 12
    if band < 2 and ripple > 160:
        c = _lerp(c, (74, 116, 168), 40 + (ripple - 160))
    return c


def coast_colour(f, x, y):
    """Colour for the land/water field value f (negative water, positive
    land, roughly -1000..1000)."""
    if f >= 520:
        return grass_colour(x, y)
    if f >= 300:
        # Sandy grass: grass with sand showing through, dithered by noise.
        n = noise.value(x, y, 4, 5)
        t = (520 - f) * 256 // 220
        if n < t:
            return _lerp(SAND, grass_colour(x, y), 96)
        return grass_colour(x, y)
    if f >= 60:
        n = noise.value(x, y, 4, 9)
        c = _lerp(WET_SAND, SAND, (f - 60) * 256 // 160)
        return _lerp(c, (222, 204, 150), (n - 128) // 2)
    if f >= -40:
        return _lerp(FOAM, WET_SAND, (f + 40) * 256 // 100)
    if f >= -140:
        return _lerp(SHALLOW, FOAM, (f + 140) * 256 // 100)
    if f >= -700:
        return _lerp(water_colour(x, y), SHALLOW, (f + 700) * 256 // 560)
    return water_colour(x, y)


def coast_field(pattern, x, y):
    """Bilinear blend of the corner values, plus a wobble so the shore is
    not ruled straight.  The wobble repeats every tile and is weak enough
    never to flip a pure-water or pure-land edge."""
    nw = 1000 if pattern & NW else -1000
    ne = 1000 if pattern & NE else -1000
    sw = 1000 if pattern & SW else -1000
    se = 1000 if pattern & SE else -1000
    ux = 2 * x + 1
    uy = 2 * y + 1
    f = (nw * (64 - ux) * (64 - uy) + ne * ux * (64 - uy)
         + sw * (64 - ux) * uy + se * ux * uy) // 4096
    wob = noise.fbm(x, y, 41, cells=(16, 8), weights=(3, 1)) - 128
    return f + wob * 3


def coast_tile(pattern):
    img = canvas.Canvas(SIZE, SIZE)
    for y in range(SIZE):
        for x in range(SIZE):
            img.px[y][x] = coast_colour(coast_field(pattern, x, y), x, y)
    return img


# ------------------------------------------------------------ land tiles

def _wrap(d):
    return (d + SIZE // 2) % SIZE - SIZE // 2


def _place_trees():
    rng = canvas.Rng(1403)
    trees = []
    tries = 0
    while len(trees) < 15 and tries < 4000:
        tries += 1
        cx = rng.below(SIZE)
        cy = rng.below(SIZE)
        r = rng.between(5, 7)
        ok = True
        for tx, ty, tr, _ in trees:
            dx, dy = _wrap(cx - tx), _wrap(cy - ty)
            if dx * dx + dy * dy < (max(r, tr) + 1) ** 2:
                ok = False
                break
        if ok:
            trees.append((cx, cy, r, rng.below(4)))
    # Draw the northern trees first so the southern ones overlap them,
    # the way the canopy looks from a little south of overhead.
    trees.sort(key=lambda t: (t[1], t[0]))
    return trees


_TREE_TONES = [
    ((34, 78, 34), (92, 150, 62)),
    ((30, 70, 40), (78, 138, 66)),
    ((42, 82, 30), (108, 152, 58)),
    ((28, 66, 34), (70, 126, 56)),
]


def forest_tile():
    trees = _place_trees()
    img = canvas.Canvas(SIZE, SIZE)
    for y in range(SIZE):
        for x in range(SIZE):
            n = noise.fbm(x, y, 61)
            ground = _lerp((30, 56, 28), (48, 80, 36), n)
            top = None
            shade = False
            for tx, ty, r, tone in trees:
                dx, dy = _wrap(x - tx), _wrap(y - ty)
                if dx * dx + dy * dy <= r * r:
                    top = (dx, dy, r, tone)
                sx, sy = _wrap(x - tx - 2), _wrap(y - ty - 2)
                if sx * sx + sy * sy <= r * r:
                    shade = True
            if top is None:
                img.px[y][x] = canvas.scale_colour(ground, 70, 100) \
                    if shade else ground
                continue
            dx, dy, r, tone = top
            dark, light = _TREE_TONES[tone]
            # Lit from the upper left; the rim falls off into shadow.
            lit = 128 + ((-dx - dy) * 110) // r - \
                ((dx * dx + dy * dy) * 70) // (r * r)
            leaf = noise.value(x, y, 2, 90 + tone) - 128
            img.px[y][x] = _lerp(dark, light, lit + leaf // 3)
    return img


def wheat_tile():
    img = canvas.Canvas(SIZE, SIZE)
    for y in range(SIZE):
        for x in range(SIZE):
            n = noise.fbm(x, y, 71, cells=(16, 8, 4), weights=(3, 2, 1))
            c = _lerp((170, 144, 70), (206, 180, 96), 128 + (n - 128) * 2)
            if y % 4 == 3:
                c = canvas.scale_colour(c, 84, 100)
            elif y % 4 == 0:
                c = canvas.scale_colour(c, 105, 100)
            # A pair of tractor tracks along the rows, once a tile, as a
            # real field has them every few dozen metres.
            if y in (9, 13):
                c = _lerp(c, (150, 132, 86), 150)
            img.px[y][x] = c
    return img


ROAD_LO = 12   # first row (or column) of the carriageway
ROAD_HI = 20   # one past its last


def _road_colour(along, across, x, y, markings):
    """Colour of a road pixel; `across` is the position across the road."""
    n = noise.fbm(x, y, 97, cells=(8, 4), weights=(1, 1))
    c = _lerp((102, 100, 96), (124, 122, 116), n)
    if across == ROAD_LO or across == ROAD_HI - 1:
        c = _lerp(c, (150, 140, 118), 128)
    if markings and across in (15, 16) and along % 8 < 4:
        c = (196, 190, 160)
    return c


def _verge(c, x, y):
    # A dusty strip beside the tarmac so the road sits on the grass.
    return _lerp(c, (150, 138, 96), 110)


def road_tile(vertical):
    img = canvas.Canvas(SIZE, SIZE)
    for y in range(SIZE):
        for x in range(SIZE):
            across, along = (x, y) if vertical else (y, x)
            if ROAD_LO <= across < ROAD_HI:
                c = _road_colour(along, across, x, y, True)
            else:
                c = grass_colour(x, y)
                if across in (ROAD_LO - 1, ROAD_HI):
                    c = _verge(c, x, y)
            img.px[y][x] = c
    return img


# Houses of the village block: (x, y, w, h, roof colour, ridge runs
# west-east), each in one of the four corners left by the crossroads.
_HOUSES = [
    (1, 2, 9, 8, (170, 72, 52), True),
    (22, 1, 8, 9, (128, 120, 126), False),
    (2, 21, 8, 9, (150, 96, 60), False),
    (21, 22, 9, 8, (176, 86, 62), True),
]


def village_tile():
    img = canvas.Canvas(SIZE, SIZE)
    for y in range(SIZE):
        for x in range(SIZE):
            on_we = ROAD_LO <= y < ROAD_HI
            on_ns = ROAD_LO <= x < ROAD_HI
            if on_we and on_ns:
                c = _road_colour(0, 0, x, y, False)
            elif on_we:
                c = _road_colour(x, y, x, y, x < ROAD_LO - 1 or
                                 x > ROAD_HI)
            elif on_ns:
                c = _road_colour(y, x, x, y, y < ROAD_LO - 1 or
                                 y > ROAD_HI)
            else:
                c = grass_colour(x, y)
                if y in (ROAD_LO - 1, ROAD_HI) or x in (ROAD_LO - 1,
                                                        ROAD_HI):
                    c = _verge(c, x, y)
            img.px[y][x] = c
    _draw_houses(img, _HOUSES)
    return img


def _draw_houses(img, houses):
    # Cast shadows first, then the roofs over them.
    for hx, hy, w, h, roof, we in houses:
        for y in range(hy + 1, hy + h + 1):
            for x in range(hx + 1, hx + w + 1):
                if 0 <= x < SIZE and 0 <= y < SIZE:
                    img.px[y][x] = canvas.scale_colour(img.px[y][x], 60, 100)
    for hx, hy, w, h, roof, we in houses:
        for y in range(hy, hy + h):
            for x in range(hx, hx + w):
                # Gabled roof: the half facing the light is brighter, the
                # ridge line brightest, the eaves a little dark.
                if we:
                    side = 2 * y - (2 * hy + h - 1)
                else:
                    side = 2 * x - (2 * hx + w - 1)
                if abs(side) <= 1 and (h if we else w) % 2:
                    c = canvas.scale_colour(roof, 122, 100)
                elif side < 0:
                    c = canvas.scale_colour(roof, 112, 100)
                else:
                    c = canvas.scale_colour(roof, 82, 100)
                if x in (hx, hx + w - 1) or y in (hy, hy + h - 1):
                    c = canvas.scale_colour(c, 86, 100)
                img.px[y][x] = c


# The houses of a block away from the crossroads: four houses with
# gardens between them and nothing touching the tile's edges, so blocks
# sit next to roads, grass and each other alike.
_CLUSTER = [
    (1, 2, 14, 10, (168, 74, 54), True),
    (18, 1, 11, 14, (136, 128, 132), False),
    (2, 17, 11, 13, (150, 96, 60), False),
    (16, 19, 14, 10, (176, 88, 60), True),
]


def houses_tile():
    img = canvas.Canvas(SIZE, SIZE)
    for y in range(SIZE):
        for x in range(SIZE):
            c = grass_colour(x, y)
            # Gardens: a slightly trimmed, lighter lawn in the middle.
            if 1 <= x <= 30 and 1 <= y <= 30 and (x + y) % 11 == 0:
                c = _lerp(c, (150, 138, 96), 60)
            img.px[y][x] = c
    _draw_houses(img, _CLUSTER)
    return img


def make_tiles():
    """The twenty tiles as Canvas objects, index = tile number."""
    tiles = [None] * COUNT
    tiles[GRASS] = coast_tile(15)
    tiles[WATER] = coast_tile(0)
    for i, pattern in enumerate(COAST_PATTERNS):
        tiles[2 + i] = coast_tile(pattern)
    tiles[FOREST] = forest_tile()
    tiles[WHEAT] = wheat_tile()
    tiles[HOUSES] = houses_tile()
    tiles[ROAD_WE] = road_tile(False)
    tiles[ROAD_NS] = road_tile(True)
    tiles[VILLAGE] = village_tile()
    return tiles
