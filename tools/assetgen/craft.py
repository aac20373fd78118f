"""The four craft, each in three frames: flying, hit and wrecked.

All craft point to the right (+x), the direction of heading 0, and stay
inside the circle of radius 27 about the centre so no rotation clips them.
The player's fighter is a clean human design in grey and blue; the three
invaders are organic shapes in colours the landscape does not use
(magenta, orange, violet with acid green), each with an obvious front so
its heading can be read at any angle.
"""

import canvas
import noise
import wrecks
from shapes import (Layer, render, poly, mirrored, ellipse, circle, sym,
                    union, minus, CY, SIZE, lift, prune_spurs)


# ------------------------------------------------------------ the frames

def _hit_tint(x, y, c):
    # Hit: the whole craft flares toward a hot white-yellow.
    return canvas.mix(c, (255, 250, 200), 150, 256)


def _sparks(points):
    out = []
    for x, y, r in points:
        out.append(Layer(circle(x, y, r), (255, 230, 120), bevel=r,
                         glow=True))
        # A short four-pointed star around each burst.
        out.append(Layer(poly([(x - r - 3, y), (x, y - 1), (x + r + 3, y),
                               (x, y + 1)]), (255, 240, 170), bevel=1,
                         glow=True))
        out.append(Layer(poly([(x, y - r - 3), (x + 1, y), (x, y + r + 3),
                               (x - 1, y)]), (255, 240, 170), bevel=1,
                         glow=True))
    return out


def _frames(build, damage, sparks, fires):
    """Renders (flying, hit, wrecked) from one design.

    build(cut) returns the design's layers with the shape `cut` removed
    from every hull layer; damage is the piece shot away in the wreck."""
    nothing = (lambda x, y: False)
    flying = render(build(nothing))
    # The sparks go on after the tint so they stay the hottest thing.
    hit = render(build(nothing), tint=_hit_tint)
    hit_sparks = render(_sparks(sparks), outline=False, prune=False)
    for y in range(SIZE):
        for x in range(SIZE):
            if hit_sparks.px[y][x] != (0, 0, 0):
                hit.px[y][x] = hit_sparks.px[y][x]
    return flying, hit, wrecks.wreck(build(damage), fires)


def _cut(layers, cut):
    return [Layer(minus(l.shape, cut), l.colour, l.bevel, l.gloss, l.glow,
                  l.stripes) for l in layers]


# ---------------------------------------------------------- player craft

def _player_layers(cut):
    hull = (206, 212, 222)
    wing = (176, 186, 204)
    dark = (92, 100, 118)

    def wing_marks(x, y, c):
        # Blue bands near the wing tips and on the tailplanes.
        d = abs(y + 0.5 - CY)
        if 15.5 <= d <= 18.5:
            return (40, 96, 200)
        return c

    wings = sym(poly([(35, 24), (18, 6.5), (13.5, 6.5), (15, 24)]))
    tail = sym(poly([(13, 24.5), (7, 15.5), (4, 15.5), (4.5, 24.5)]))
    body = mirrored([(51.5, 27), (48, 25.5), (42, 24), (30, 23.3),
                     (12, 23.8), (5, 24.5), (4.5, 27)])
    layers = [
        Layer(sym(poly([(4.6, 25.0), (2.5, 25.2), (2.5, 26.6),
                        (4.6, 26.6)])), (255, 150, 40), bevel=1,
              glow=True),
        Layer(tail, wing, bevel=2, stripes=lambda x, y, c: (40, 96, 200)
              if x < 8 else c),
        Layer(wings, wing, bevel=2, stripes=wing_marks),
        # Wing-tip rails.
        Layer(sym(poly([(21, 6.2), (11, 6.2), (11, 8.2), (21, 8.2)])),
              dark, bevel=1),
        Layer(body, hull, bevel=4, gloss=2),
        # Intakes either side of the cockpit.
        Layer(sym(poly([(34, 23.6), (28, 23.4), (28, 25), (34, 25)])),
              (70, 76, 92), bevel=1),
        # Spine down the back to the fin.
        Layer(poly([(30, 26.2), (6, 26.2), (6, 27.8), (30, 27.8)]),
              (150, 158, 176), bevel=1),
        Layer(ellipse(40.5, CY, 6.5, 2.4), (34, 110, 190), bevel=2,
              gloss=4),
    ]
    return _cut(layers, cut)


def player_frames():
    # The wreck has lost the starboard wing tip and the tail is torn.
    damage = union(poly([(22, 36), (30, 44), (24, 52), (6, 52), (8, 40)]),
                   poly([(3, 14), (9, 14), (8, 20), (2, 22)]))
    return _frames(_player_layers, damage,
                   sparks=[(38, 22, 2.5), (20, 33, 3), (12, 20, 2)],
                   fires=[(28, 31, 3), (17, 23, 2.5)])


def life_icon():
    """numleft.bmp: the player's fighter at 32 by 32, pointing up the
    screen the way a reader expects a 'ship left' icon to stand."""
    big = render(_player_layers(lambda x, y: False))
    icon = canvas.Canvas(32, 32)
    # Sample the 54-pixel design down to 32 pixels, rotated a quarter turn
    # anticlockwise (nose up).  Each icon pixel takes the most common
    # non-black colour of its source block, so no dark fringe appears.
    for y in range(32):
        for x in range(32):
            counts = {}
            order = []
            for sy in range(4):
                for sx in range(4):
                    # icon (x, y) -> design (u, v): u runs down the icon
                    # (nose at the top), v across it.
                    u = ((31 - y) * 4 + sy) * 54 // 128
                    v = (x * 4 + sx) * 54 // 128
                    c = big.px[v][u]
                    if c == (0, 0, 0):
                        continue
                    if c not in counts:
                        counts[c] = 0
                        order.append(c)
                    counts[c] += 1
            total = sum(counts.values())
            if total >= 6:
                best = max(order, key=lambda c: counts[c])
                icon.px[y][x] = best
    prune_spurs(icon, [[c != (0, 0, 0) for c in row] for row in icon.px])
    return icon


# ------------------------------------------- first invader: the stinger

def _stinger_layers(cut):
    purple = (168, 60, 178)
    ring = (112, 40, 128)
    disc = circle(24, CY, 14.5)
    ring_shape = minus(circle(24, CY, 19), circle(24, CY, 15.5))
    # Notches cut from the ring make it read as a spinning rotor.
    notches = union(*[poly([(24, CY), (24 + 22 * a, CY + 22 * b),
                            (24 + 22 * c, CY + 22 * d)])
                      for a, b, c, d in (
                          (0.98, 0.20, 0.98, -0.20),
                          (-0.98, 0.20, -0.98, -0.20),
                          (0.30, 0.95, -0.10, 0.99),
                          (0.30, -0.95, -0.10, -0.99),
                          (-0.80, 0.60, -0.55, 0.83),
                          (-0.80, -0.60, -0.55, -0.83),
                          (0.83, 0.55, 0.62, 0.78),
                          (0.83, -0.55, 0.62, -0.78))])
    pincers = sym(poly([(34, 16), (44, 15.5), (51.5, 21.5), (48, 22),
                        (42, 20.5), (36, 22.5)]))
    layers = [
        Layer(minus(ring_shape, notches), ring, bevel=2),
        Layer(pincers, (200, 80, 200), bevel=2),
        Layer(disc, purple, bevel=6, gloss=1,
              stripes=lambda x, y, c: (140, 44, 156)
              if 60 <= (x - 23.5) ** 2 + (y + 0.5 - CY) ** 2 < 80 else c),
        # Six engine lights round the rim.
        Layer(union(*[circle(24 + 11 * a, CY + 11 * b, 1.8) for a, b in (
            (-1.0, 0.0), (-0.5, 0.87), (-0.5, -0.87), (0.5, 0.87),
            (0.5, -0.87))]), (90, 255, 140), bevel=1, glow=True),
        Layer(circle(28, CY, 6), (70, 210, 130), bevel=3, gloss=5),
        Layer(circle(29, CY - 1, 2), (200, 255, 220), bevel=2, glow=True),
    ]
    return _cut(layers, cut)


def stinger_frames():
    damage = union(poly([(30, 30), (52, 26), (52, 40), (36, 44)]),
                   circle(12, 16, 5))
    return _frames(_stinger_layers, damage,
                   sparks=[(30, 20, 2.5), (18, 33, 3), (44, 32, 2)],
                   fires=[(26, 30, 3), (16, 22, 2.5)])


# -------------------------------------------- second invader: the hornet

def _hornet_layers(cut):
    shell = (222, 104, 36)
    crescent = minus(circle(21, CY, 19.5), circle(33, CY, 14.5))
    # Pincers carry the crescent's points on forward and curl inward.
    horns = sym(poly([(29, 10), (37, 8), (44, 10.5), (49, 15.5),
                      (48.5, 18), (44.5, 15.5), (40, 14), (36, 16.5)]))
    thorax = ellipse(23, CY, 10, 5.5)
    head = circle(35, CY, 5)

    def bands(x, y, c):
        # Ribbed carapace: darker bands two pixels wide.
        if (x + 1) % 5 in (0, 1):
            return canvas.scale_colour(c, 76, 100)
        return c

    layers = [
        Layer(crescent, shell, bevel=4, stripes=bands),
        Layer(horns, (240, 150, 48), bevel=2),
        Layer(thorax, (232, 196, 64), bevel=4, gloss=1,
              stripes=lambda x, y, c: canvas.scale_colour(c, 80, 100)
              if x % 4 == 0 else c),
        Layer(head, (196, 84, 30), bevel=3),
        Layer(ellipse(37, CY, 2.2, 3.2), (90, 240, 255), bevel=2,
              glow=True),
        # Thruster at the tail of the thorax.
        Layer(ellipse(12.5, CY, 2, 2.5), (255, 220, 90), bevel=2,
              glow=True),
    ]
    return _cut(layers, cut)


def hornet_frames():
    damage = union(poly([(26, 2), (52, 2), (52, 14), (36, 16), (28, 10)]),
                   circle(6, 36, 5))
    return _frames(_hornet_layers, damage,
                   sparks=[(22, 14, 2.5), (30, 36, 3), (12, 24, 2)],
                   fires=[(25, 27, 3), (14, 36, 2.5)])


# --------------------------------------------- third invader: the manta

def _manta_layers(cut):
    skin = (112, 76, 150)
    wing = mirrored([(51, 27), (46, 23.5), (36, 16), (24, 8), (15, 5.5),
                     (12, 8), (15, 14), (11, 19), (5, 23), (2.5, 27)])
    jaws = sym(poly([(42, 22), (49, 17.5), (52.5, 19.5), (48, 22.5),
                     (45, 24.5)]))
    back = mirrored([(44, 27), (38, 24), (24, 23), (10, 25.5),
                     (4, 27)])
    veins = sym(union(
        poly([(34, 22.8), (20, 11), (19, 12), (33, 23.6)]),
        poly([(28, 23.2), (12, 17.5), (12, 18.7), (28, 24.2)]),
        poly([(38, 23.5), (30, 15), (29, 16), (37, 24.3)])))

    def mottle(x, y, c):
        # Large soft blotches on the skin, five pixels and up.
        n = noise.value(x, y, 8, 13, period=64)
        return canvas.mix(c, (70, 48, 104), max(0, n - 120), 256)

    layers = [
        Layer(jaws, (150, 100, 190), bevel=2),
        Layer(wing, skin, bevel=3, stripes=mottle),
        Layer(veins, (140, 250, 80), bevel=1, glow=True),
        Layer(back, (86, 58, 120), bevel=3, gloss=1),
        Layer(circle(31, CY, 5), (255, 60, 40), bevel=5, glow=True),
        Layer(sym(circle(45, CY - 3, 1.6)), (255, 230, 90), bevel=1,
              glow=True),
    ]
    return _cut(layers, cut)


def manta_frames():
    damage = union(poly([(12, 30), (28, 36), (30, 52), (6, 52)]),
                   poly([(44, 6), (52, 14), (50, 22), (40, 16)]))
    return _frames(_manta_layers, damage,
                   sparks=[(26, 14, 3), (36, 34, 2.5), (14, 26, 2)],
                   fires=[(32, 27, 3.5), (21, 17, 2.5)])


def all_craft():
    """{file name: Canvas} for the twelve craft images."""
    out = {}
    for names, frames in (
            (("PLAY1.bmp", "PLAY2.bmp", "PLAY3.bmp"), player_frames()),
            (("enem1.bmp", "enem2.bmp", "dead.bmp"), stinger_frames()),
            (("second1.bmp", "second2.bmp", "second3.bmp"),
             hornet_frames()),
            (("third1.bmp", "third2.bmp", "third3.bmp"), manta_frames())):
        for name, img in zip(names, frames):
            out[name] = img
    return out
