"""The cloud and the explosion flash mask.

Both are drawn with black as the transparent colour and no alpha, so a
soft edge has to be made of pixels: the outer rim thins out in an
ordered dither, denser toward the body, the way a period title feathered
a sprite into its colour key.
"""

import math

import canvas
import noise

# 4 by 4 ordered-dither thresholds, 0..15.
BAYER = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def dithered(x, y, density):
    """True if a pixel of a rim of this density (0..1) is drawn.  Close
    to the body it is always drawn: a lone hole where two billows almost
    meet would read as a speck of dirt."""
    return density > 0.9 or density * 16 > BAYER[y % 4][x % 4] + 0.5


# ------------------------------------------------------------------ cloud

# (x, y, radius) of the puffs, back ones first: a low flat base and a
# heaped top, lopsided so the shape has no axis.
_PUFFS = [
    (17, 38, 9), (29, 40, 10), (43, 39, 9), (52, 35, 6), (10, 33, 6),
    (23, 28, 10), (37, 26, 11), (47, 29, 7), (30, 20, 8),
]
FRINGE = 5.0   # width of the dithered rim, pixels


def cloud():
    img = canvas.Canvas(64, 64)
    for y in range(64):
        for x in range(64):
            px, py = x + 0.5, y + 0.5
            # How far inside the heap this pixel lies: the most of any
            # puff, the rims nibbled by noise so no puff is a circle.
            wob = (noise.fbm(x, y, 3, cells=(8, 4), weights=(2, 1),
                             period=64) - 128) / 40.0
            inside, top, nearest = -99.0, None, None
            for cx, cy, r in _PUFFS:
                dx, dy = px - cx, py - cy
                e = r + wob - math.sqrt(dx * dx + dy * dy)
                if e > 0:
                    top = (dx, dy, r)     # the front puff over this pixel
                if e > inside:
                    inside, nearest = e, (dx, dy, r)
            if inside <= -FRINGE:
                continue
            if inside < 0 and not dithered(x, y, 1.0 + inside / FRINGE):
                continue
            dx, dy, r = top or nearest
            # Bright toward the light, a blue-grey underside, and the
            # thin rim lighter still, as sunlit vapour is.
            lit = 0.55 + (-0.4 * dx - 0.6 * dy) / (r * 3.0)
            lit -= (py - 22) / 64.0
            if inside < 1.5:
                lit += 0.15
            lit = min(1.0, max(0.0, lit))
            v = int(150 + lit * 105)
            img.px[y][x] = (v - 10, v - 4, min(255, v + 6))
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


def _turned(d, j):
    """Direction d nudged sideways by j (about j radians), unit length."""
    x, y = d[0] - j * d[1], d[1] + j * d[0]
    n = math.sqrt(x * x + y * y)
    return (x / n, y / n)


def flash_mask():
    """A fireball: a lobed core of billows, a rim dithered into nothing,
    and streaks of debris thrown out from it (the game only uses which
    pixels are not black; the colours are for people looking at it)."""
    size, c = 150, 75.0
    rng = canvas.Rng(76)
    lobes = []
    for i in range(0, 16, 2):
        ux, uy = _turned(_DIRS[i], rng.between(-20, 20) / 100.0)
        d = rng.between(18, 30)
        lobes.append((c + d * ux, c + d * uy, rng.between(16, 24)))
    lobes.append((c, c, 30))
    streaks = []
    for i in range(1, 16, 3):
        ux, uy = _turned(_DIRS[i], rng.between(-25, 25) / 100.0)
        streaks.append((ux, uy, rng.between(56, 73)))
        ux, uy = _turned(_DIRS[(i + 8) % 16], rng.between(-25, 25) / 100.0)
        streaks.append((ux, uy, rng.between(50, 70)))
    img = canvas.Canvas(size, size)
    for y in range(size):
        for x in range(size):
            px, py = x + 0.5, y + 0.5
            wob = (noise.fbm(x, y, 7, cells=(16, 8, 4), weights=(2, 2, 1),
                             period=160) - 128) / 10.0
            inside = max(r + wob - math.sqrt((px - lx) ** 2 + (py - ly) ** 2)
                         for lx, ly, r in lobes)
            dx, dy = px - c, py - c
            dist = math.sqrt(dx * dx + dy * dy)
            on = inside > 0 or (inside > -12 and
                                dithered(x, y, 1.0 + inside / 12.0))
            if not on and dist > 30:
                # A streak: a thin line out from the centre, fading in
                # dither toward its tip.
                for ux, uy, length in streaks:
                    along = dx * ux + dy * uy
                    across = abs(dx * uy - dy * ux)
                    if 30 < along < length and across < 1.6 - along / 80.0:
                        on = dithered(x, y, 1.4 - along / length)
                        break
            if not on:
                continue
            t = min(1.0, dist / 72.0)
            if t < 0.25:
                col = (255, 255, 236)
            else:
                col = canvas.mix((255, 246, 200), (232, 100, 28),
                                 int((t - 0.25) / 0.75 * 256), 256)
            img.px[y][x] = col
    return img
