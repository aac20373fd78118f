"""The start-up dialog's title picture: 240 by 120, 256-colour BMP.

The big name is the pixel font blown up with two edge-smoothing passes
(3x, then 2x) so its diagonals come out as clean slopes instead of stairs,
then lit: white faces, a grey lower edge and a dark drop shadow.
"""

import bmp
import font

WIDTH = 240
HEIGHT = 120

NAME = "Velmora"
SUBTITLE = "The alien invasion"
VERSION = "version 0.02"

# Palette slots, in the order they are listed.
BLACK, WHITE, FACE_LOW, EDGE, SHADOW, MAGENTA, MAGENTA_DARK, CYAN, \
    CYAN_DARK, RULE = range(10)
PALETTE = [
    (0, 0, 0),
    (255, 255, 255),
    (222, 226, 236),
    (150, 154, 176),
    (48, 40, 72),
    (240, 64, 232),
    (104, 24, 112),
    (64, 232, 248),
    (16, 88, 112),
    (88, 36, 96),
]


def _scale2x(mask):
    h, w = len(mask), len(mask[0])
    out = [[False] * (w * 2) for _ in range(h * 2)]
    for y in range(h):
        for x in range(w):
            p = mask[y][x]
            a = mask[y - 1][x] if y > 0 else False
            b = mask[y][x + 1] if x + 1 < w else False
            c = mask[y][x - 1] if x > 0 else False
            d = mask[y + 1][x] if y + 1 < h else False
            e0 = e1 = e2 = e3 = p
            if b != c and a != d:
                e0 = a if c == a else p
                e1 = b if a == b else p
                e2 = c if d == c else p
                e3 = d if b == d else p
            out[2 * y][2 * x] = e0
            out[2 * y][2 * x + 1] = e1
            out[2 * y + 1][2 * x] = e2
            out[2 * y + 1][2 * x + 1] = e3
    return out


def _scale3x(mask):
    h, w = len(mask), len(mask[0])

    def m(x, y):
        return mask[y][x] if 0 <= x < w and 0 <= y < h else False

    out = [[False] * (w * 3) for _ in range(h * 3)]
    for y in range(h):
        for x in range(w):
            a, b, c = m(x - 1, y - 1), m(x, y - 1), m(x + 1, y - 1)
            d, e, f = m(x - 1, y), m(x, y), m(x + 1, y)
            g, hh, i = m(x - 1, y + 1), m(x, y + 1), m(x + 1, y + 1)
            block = [e] * 9
            if b != hh and d != f:
                block[0] = d if d == b else e
                block[1] = b if (d == b and e != c) or (b == f and e != a) \
                    else e
                block[2] = f if b == f else e
                block[3] = d if (d == b and e != g) or (d == hh and e != a) \
                    else e
                block[5] = f if (b == f and e != i) or (hh == f and e != c) \
                    else e
                block[6] = d if d == hh else e
                block[7] = hh if (d == hh and e != i) or (hh == f and e != g) \
                    else e
                block[8] = f if hh == f else e
            for k in range(9):
                out[3 * y + k // 3][3 * x + k % 3] = block[k]
    return out


def _big_text_mask(text, spacing):
    """The text at six times the font size with smoothed diagonals."""
    glyphs = []
    for ch in text:
        g = font.glyph(ch)
        glyphs.append(_scale2x(_scale3x(g)))
    gw = font.GLYPH_W * 6
    gh = font.GLYPH_H * 6
    width = len(text) * gw + (len(text) - 1) * spacing
    rows = [[False] * width for _ in range(gh)]
    for i, g in enumerate(glyphs):
        x0 = i * (gw + spacing)
        for y in range(gh):
            for x in range(gw):
                if g[y][x]:
                    rows[y][x0 + x] = True
    return rows


def _used_rows(mask):
    ys = [y for y, row in enumerate(mask) if any(row)]
    return ys[0], ys[-1]


def render_indices():
    img = [[BLACK] * WIDTH for _ in range(HEIGHT)]

    def put(x, y, idx):
        if 0 <= x < WIDTH and 0 <= y < HEIGHT:
            img[y][x] = idx

    # The name.
    big = _big_text_mask(NAME, 3)
    top, bottom = _used_rows(big)
    bw = len(big[0])
    ox = (WIDTH - bw) // 2
    oy = 8 - top
    for y in range(len(big)):
        for x in range(bw):
            if big[y][x]:
                put(ox + x + 3, oy + y + 3, SHADOW)
    for y in range(len(big)):
        for x in range(bw):
            if not big[y][x]:
                continue
            below = y + 1 < len(big) and big[y + 1][x]
            below2 = y + 2 < len(big) and big[y + 2][x]
            right = x + 1 < bw and big[y][x + 1]
            if not below or not right:
                idx = EDGE
            elif not below2 or y - top > (bottom - top) * 3 // 4:
                idx = FACE_LOW
            else:
                idx = WHITE
            put(ox + x, oy + y, idx)
    name_bottom = oy + bottom + 3

    # A thin rule between the name and the subtitle, fading at its ends.
    rule_y = name_bottom + 6
    for x in range(24, WIDTH - 24):
        put(x, rule_y, RULE if 40 <= x < WIDTH - 40 else MAGENTA_DARK)

    def shadowed_line(text, top, colour, shadow):
        """A centred line at twice the font size over its shadow, a pixel down and right."""
        mask = font.text_mask(text, scale=2, spacing=1)
        left = (WIDTH - len(mask[0])) // 2
        for dx, idx in ((1, shadow), (0, colour)):
            for y, row in enumerate(mask):
                for x, on in enumerate(row):
                    if on:
                        put(left + x + dx, top + y + dx, idx)

    shadowed_line(SUBTITLE, rule_y + 6, MAGENTA, MAGENTA_DARK)  # the subtitle
    shadowed_line(VERSION, HEIGHT - 6 - 7 * 2, CYAN, CYAN_DARK)  # the version, at the bottom
    return img


def write_title(path):
    indices = render_indices()
    bmp.write_bmp8(path, WIDTH, HEIGHT, PALETTE, indices)
    return path


def render_rgb():
    """The same picture as RGB rows, for the contact sheet."""
    return [[PALETTE[i] for i in row] for row in render_indices()]
