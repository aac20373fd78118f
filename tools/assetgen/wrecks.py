"""The wrecked frame of a craft: a burning hulk that reads at a glance.

The hull is the craft's own design with a piece torn away, its paint
burnt to scorched metal (sooty black, with the blue and straw colours of
heat-tempered steel near the fires).  Over it go the fires, tall ragged
flames blown toward the tail, and above them a plume of smoke that
spills past the hull and thins out in a dither at its edge.  Everything
stays inside the turning circle, so the wreck can spin.
"""

import math

import canvas
import noise
from shapes import SIZE, CX, CY, RADIUS, lift, render
from sky import dithered


def _scorch(fires):
    def tint(x, y, c):
        grey = (c[0] * 3 + c[1] * 5 + c[2] * 2) // 10
        burnt = canvas.mix(c, (grey, grey, grey), 200, 256)
        burnt = canvas.scale_colour(burnt, 52, 100)
        # Heat colours in rings round each fire: straw, then blue.
        near = min(math.sqrt((x + 0.5 - fx) ** 2 + (y + 0.5 - fy) ** 2) - r
                   for fx, fy, r in fires)
        if 1 < near < 3:
            burnt = canvas.mix(burnt, (150, 120, 70), 90, 256)
        elif 3 <= near < 5:
            burnt = canvas.mix(burnt, (70, 80, 130), 80, 256)
        soot = noise.value(x, y, 4, 5, period=64)
        if soot > 140:
            burnt = canvas.mix(burnt, (40, 36, 34), 170, 256)
        return lift(burnt)
    return tint


def _in_circle(x, y):
    dx, dy = x + 0.5 - CX, y + 0.5 - CY
    return dx * dx + dy * dy <= (RADIUS - 0.5) ** 2


def _smoke(img, fires):
    """A plume from every fire, drifting back past the tail and widening,
    dark near the fire and greyer as it thins."""
    for y in range(SIZE):
        for x in range(SIZE):
            if not _in_circle(x, y):
                continue
            best = 0.0
            for fx, fy, r in fires:
                back = fx - (x + 0.5)          # distance toward the tail
                if back < -r:
                    continue
                width = r + 1.5 + max(0.0, back) * 0.35
                swirl = (noise.value(x, y, 4, 211, period=64) - 128) / 40.0
                side = abs(y + 0.5 - fy - back * 0.15 + swirl)
                d = 1.0 - side / width - max(0.0, back) / 34.0
                best = max(best, d)
            if best <= 0:
                continue
            if best < 0.3 and not dithered(x, y, best / 0.3):
                continue
            puff = noise.value(x, y, 3, 223, period=63) - 128
            grey = 58 + int((1.0 - best) * 60) + puff // 6
            img.px[y][x] = lift((grey + 4, grey + 2, grey))


def _flames(img, fires):
    """Ragged tongues of flame, hottest at the root."""
    for y in range(SIZE):
        for x in range(SIZE):
            heat = 0.0
            for fx, fy, r in fires:
                dx, dy = x + 0.5 - fx, y + 0.5 - fy
                # Stretched toward the tail, licked into tongues by noise.
                stretch = 1.0 if dx > 0 else 2.2
                lick = (noise.value(x, y, 2, 233, period=64) - 128) / 180.0
                d = math.sqrt((dx / stretch) ** 2 + dy * dy) / (r + 0.8)
                heat = max(heat, 1.0 - d + lick)
            if heat <= 0:
                continue
            if heat < 0.3:
                c = (150, 34, 14)
            elif heat < 0.55:
                c = (236, 104, 22)
            elif heat < 0.8:
                c = (255, 178, 50)
            else:
                c = (255, 238, 150)
            img.px[y][x] = c


def wreck(layers, fires):
    """The wrecked frame from the damaged design's layers and the fires
    (x, y, radius) burning on it."""
    img = render(layers, tint=_scorch(fires))
    _smoke(img, fires)
    _flames(img, fires)
    # Embers thrown clear, a few bright sparks beside the hulk.
    rng = canvas.Rng(len(fires) * 97 + int(fires[0][0] * 7))
    for _ in range(6):
        fx, fy, r = fires[rng.below(len(fires))]
        x = int(fx) + rng.between(-8, 4)
        y = int(fy) + rng.between(-7, 7)
        if 0 <= x < SIZE and 0 <= y < SIZE and _in_circle(x, y):
            img.px[y][x] = (255, 200, 90)
    return img
