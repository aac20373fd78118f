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
  16      houses: a village street running west-east
  17      road running west-east
  18      road running north-south
  19      a crossroads among houses (a village's heart, and where a
          street of houses crosses a road)
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


def water_base(x, y):
    """The open water's slow swell, without the ripples on top.  It is
    kept faint: its light and dark patches repeat with the tile, and
    across a screen of open sea the eye would follow them."""
    n = noise.fbm(x, y, 23, cells=(16, 8), weights=(2, 1))
    return _lerp(DEEP, DEEP_LIGHT, 100 + (n - 128) * 3 // 4)


def water_colour(x, y):
    c = water_base(x, y)
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


def village_tile_ground():
    """The crossroads and the grass around it; the houses go on top.  The
    centre lines stop short of it, as at any junction: a crossing also
    takes a village street's lane across a road, and a lane has none."""
    img = canvas.Canvas(SIZE, SIZE)
    for y in range(SIZE):
        for x in range(SIZE):
            on_we = ROAD_LO <= y < ROAD_HI
            on_ns = ROAD_LO <= x < ROAD_HI
            if on_we and on_ns:
                c = _road_colour(0, 0, x, y, False)
            elif on_we:
                c = _road_colour(x, y, x, y, False)
            elif on_ns:
                c = _road_colour(y, x, x, y, False)
            else:
                c = grass_colour(x, y)
                if y in (ROAD_LO - 1, ROAD_HI) or x in (ROAD_LO - 1,
                                                        ROAD_HI):
                    c = _verge(c, x, y)
            img.px[y][x] = c
    return img


def make_tiles():
    """The twenty tiles as Canvas objects, index = tile number."""
    tiles = [None] * COUNT
    tiles[GRASS] = coast_tile(15)
    tiles[WATER] = coast_tile(0)
    for i, pattern in enumerate(COAST_PATTERNS):
        tiles[2 + i] = coast_tile(pattern)
    tiles[ROAD_WE] = road_tile(False)
    tiles[ROAD_NS] = road_tile(True)
    # The open sea and the land-use tiles live in their own module.
    import countryside
    countryside.make(tiles)
    return tiles
