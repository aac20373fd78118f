"""Shape primitives and a small lit-layer renderer for the craft.

A craft is a stack of layers, each a shape (a test on the pixel centre)
with a material.  Each layer is given a height that rises from its own
edge over `bevel` pixels, so a fuselage comes out rounded and a wing flat
with soft edges; the light comes from the upper left.  The outermost ring
of pixels is drawn as a darker outline so the silhouette reads on light
and dark ground alike.

Only +, -, *, / and sqrt are used on floats, so results are the same on
every machine.
"""

import math

import canvas

SIZE = 54
CX = 27.0
CY = 27.0
# Lowest visible brightness: a pixel whose channels are all below 8 would
# turn into the transparent colour in 16 bits.
MIN_CHANNEL = 32


# ------------------------------------------------------------ primitives

def poly(points):
    pts = [(float(x), float(y)) for x, y in points]

    def inside(x, y):
        hit = False
        n = len(pts)
        j = n - 1
        for i in range(n):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y):
                xc = xi + (y - yi) * (xj - xi) / (yj - yi)
                if x < xc:
                    hit = not hit
            j = i
        return hit
    return inside


def mirrored(points, axis=CY):
    """A polygon symmetric about the horizontal line y = axis, from its
    upper outline given front to back (or back to front)."""
    upper = list(points)
    lower = [(x, 2 * axis - y) for x, y in reversed(upper)]
    return poly(upper + lower)


def ellipse(cx, cy, rx, ry):
    rx2, ry2 = float(rx) * rx, float(ry) * ry

    def inside(x, y):
        dx, dy = x - cx, y - cy
        return dx * dx * ry2 + dy * dy * rx2 <= rx2 * ry2
    return inside


def circle(cx, cy, r):
    return ellipse(cx, cy, r, r)


def union(*fns):
    return lambda x, y: any(f(x, y) for f in fns)


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def both(a, b):
    return lambda x, y: a(x, y) and b(x, y)


def mirror_y(fn, axis=CY):
    return lambda x, y: fn(x, 2 * axis - y)


def sym(fn, axis=CY):
    """The shape together with its mirror image across y = axis."""
    return union(fn, mirror_y(fn, axis))


# Nothing is drawn outside this radius about the centre, so the picture
# turned to any heading still fits its 54 by 54 square.
RADIUS = 26.8


def inside_radius(x, y):
    dx, dy = x - CX, y - CY
    return dx * dx + dy * dy <= RADIUS * RADIUS


def mask_of(fn, size=SIZE):
    """Samples the shape at the pixel centres of a size by size picture of
    the 54-unit design."""
    unit = SIZE / size
    out = []
    for y in range(size):
        v = (y + 0.5) * unit
        out.append([fn((x + 0.5) * unit, v) and
                    inside_radius((x + 0.5) * unit, v) for x in range(size)])
    return out


# -------------------------------------------------------------- renderer

class Layer:
    def __init__(self, shape, colour, bevel=2, gloss=0, glow=False,
                 stripes=None):
        self.shape = shape
        self.colour = colour
        self.bevel = bevel
        self.gloss = gloss
        self.glow = glow
        self.stripes = stripes


def _distance(mask):
    """Chamfer (3-4) distance from each inside pixel to the outside, in
    thirds of a pixel."""
    big = 10 ** 6
    d = [[big if m else 0 for m in row] for row in mask]
    h = len(mask)
    w = len(mask[0])
    for y in range(h):
        for x in range(w):
            if d[y][x]:
                best = d[y][x]
                for dx, dy, c in ((-1, 0, 3), (0, -1, 3), (-1, -1, 4),
                                  (1, -1, 4)):
                    nx, ny = x + dx, y + dy
                    v = d[ny][nx] if 0 <= nx < w and 0 <= ny < h else 0
                    best = min(best, v + c)
                d[y][x] = best
    for y in range(h - 1, -1, -1):
        for x in range(w - 1, -1, -1):
            if d[y][x]:
                best = d[y][x]
                for dx, dy, c in ((1, 0, 3), (0, 1, 3), (1, 1, 4),
                                  (-1, 1, 4)):
                    nx, ny = x + dx, y + dy
                    v = d[ny][nx] if 0 <= nx < w and 0 <= ny < h else 0
                    best = min(best, v + c)
                d[y][x] = best
    return d


_LIGHT = (-0.55, -0.65, 0.52)
_LN = math.sqrt(sum(c * c for c in _LIGHT))
LIGHT = tuple(c / _LN for c in _LIGHT)


def _heights(bevel, mask):
    """bevel in pixels of the picture being drawn."""
    dist = _distance(mask)
    b3 = max(1, bevel * 3)
    out = []
    for row in dist:
        hr = []
        for v in row:
            t = min(v, b3) / b3
            # Rounded profile: quick rise at the edge, flat on top.
            hr.append(bevel * (1.0 - (1.0 - t) * (1.0 - t)))
        out.append(hr)
    return out


def render(layers, outline=True, tint=None, prune=True, size=SIZE):
    """Renders the layers bottom first into a size by size Canvas (the
    game's 54 by default) with black around.  tint, if given, maps every
    final colour (used for the hit and wreck frames).  Larger pictures of
    the same design (the program's icon) keep its relief: bevels and the
    outline grow with the picture."""
    k = size / SIZE
    img = canvas.Canvas(size, size)
    union_mask = [[False] * size for _ in range(size)]

    def design(x, y):
        # A pixel's place in the design's own pixels (stripes use them).
        if size == SIZE:
            return x, y
        return (x + 0.5) / k - 0.5, (y + 0.5) / k - 0.5
    for layer in layers:
        mask = mask_of(layer.shape, size)
        bevel = layer.bevel * k
        hts = _heights(bevel, mask)
        for y in range(size):
            for x in range(size):
                if not mask[y][x]:
                    continue
                union_mask[y][x] = True
                base = layer.colour
                if layer.stripes:
                    base = layer.stripes(*design(x, y), base)
                if layer.glow:
                    # Emissive: brightest where deepest inside.
                    t = hts[y][x] / max(1, bevel)
                    hot = canvas.mix(base, (255, 255, 230), int(t * 150), 256)
                    img.px[y][x] = hot
                    continue

                def h(xx, yy):
                    if 0 <= xx < size and 0 <= yy < size and mask[yy][xx]:
                        return hts[yy][xx]
                    return 0.0
                gx = (h(x + 1, y) - h(x - 1, y)) * 0.5
                gy = (h(x, y + 1) - h(x, y - 1)) * 0.5
                nx, ny, nz = -gx, -gy, 1.0
                nl = math.sqrt(nx * nx + ny * ny + nz * nz)
                dot = (nx * LIGHT[0] + ny * LIGHT[1] + nz * LIGHT[2]) / nl
                light = 0.35 + 0.75 * max(0.0, dot)
                c = tuple(canvas.clamp8(round(ch * light)) for ch in base)
                if layer.gloss and dot > 0.9:
                    k10 = int((dot - 0.9) * 10 * layer.gloss)
                    c = canvas.mix(c, (255, 255, 255), min(k10, 220), 256)
                img.px[y][x] = c
    if prune:
        prune_spurs(img, union_mask)
    if tint:
        for y in range(size):
            for x in range(size):
                if union_mask[y][x]:
                    img.px[y][x] = tint(x, y, img.px[y][x])
    if outline:
        # The ring of pixels within the outline's width of the outside:
        # one pixel at the game's size (a pixel with an outside pixel
        # beside it, chamfer distance 3).
        width3 = 3 * max(1, round(k))
        dist = _distance(union_mask)
        for y in range(size):
            for x in range(size):
                if union_mask[y][x] and dist[y][x] <= width3:
                    img.px[y][x] = canvas.scale_colour(img.px[y][x], 55, 100)
    for y in range(size):
        for x in range(size):
            if union_mask[y][x]:
                img.px[y][x] = lift(img.px[y][x])
    return img


def prune_spurs(img, mask):
    """Removes lone pixels and one-pixel spurs left where a thin point of
    a shape crosses the pixel grid: at play size they read as noise."""
    h, w = len(mask), len(mask[0])
    for _ in range(2):
        gone = []
        for y in range(h):
            for x in range(w):
                if not mask[y][x]:
                    continue
                n = 0
                for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                    nx, ny = x + dx, y + dy
                    if 0 <= nx < w and 0 <= ny < h and mask[ny][nx]:
                        n += 1
                if n <= 1:
                    gone.append((x, y))
        for x, y in gone:
            mask[y][x] = False
            img.px[y][x] = (0, 0, 0)


def lift(c):
    """Keeps a visible pixel clear of the transparent colour: if all
    channels are dark, raise the brightest to MIN_CHANNEL."""
    if max(c) >= MIN_CHANNEL:
        return c
    m = max(c)
    if m == 0:
        return (MIN_CHANNEL, MIN_CHANNEL, MIN_CHANNEL)
    return tuple(min(255, ch * MIN_CHANNEL // m) for ch in c)
