"""Integer value noise that repeats every 32 pixels.

Every tile samples the same fields at the same positions inside the tile,
so whatever texture one tile has at its right edge continues at the left
edge of the next one; that is what lets grass meet grass, water meet water
and a coast piece meet its neighbour without a seam.
"""

MASK = 0xFFFFFFFF


def hash2(ix, iy, seed):
    h = (ix * 374761393 + iy * 668265263 + seed * 2246822519 + 0x27D4EB2F) \
        & MASK
    h = ((h ^ (h >> 13)) * 1274126177) & MASK
    h ^= h >> 16
    return h & 0xFF


def _smooth(t):
    """t in 0..256 -> smoothstep(t) in 0..256."""
    return (t * t * (768 - 2 * t)) >> 16


def value(x, y, cell, seed, period=32):
    """Smooth noise 0..255 at pixel (x, y), lattice every `cell` pixels,
    repeating every `period` pixels (cell must divide period)."""
    p = period // cell
    gx, fx = divmod(x, cell)
    gy, fy = divmod(y, cell)
    # Sample at the pixel centre so both sides of a tile edge are treated
    # alike.
    tx = _smooth(((2 * fx + 1) * 128) // cell)
    ty = _smooth(((2 * fy + 1) * 128) // cell)
    x0, x1 = gx % p, (gx + 1) % p
    y0, y1 = gy % p, (gy + 1) % p
    v00 = hash2(x0, y0, seed)
    v10 = hash2(x1, y0, seed)
    v01 = hash2(x0, y1, seed)
    v11 = hash2(x1, y1, seed)
    top = v00 * (256 - tx) + v10 * tx
    bottom = v01 * (256 - tx) + v11 * tx
    return (top * (256 - ty) + bottom * ty) >> 16


def fbm(x, y, seed, cells=(16, 8, 4), weights=(4, 2, 1), period=32):
    """Sum of octaves, 0..255."""
    total = 0
    for cell, w in zip(cells, weights):
        total += value(x, y, cell, seed + cell, period) * w
    return total // sum(weights)
