"""docs/contact-sheet.png: all the game's pictures on one page.

It is drawn from the files just written (not from the generator's memory),
so it shows exactly what the game will load: the title, every tile with
its map character, every craft frame, the life icon, the cloud, the flash
mask and the whole map drawn with its tiles.
"""

import pathlib

import bmp
import canvas
import font
import pictures
import worldmap

BG = (52, 54, 62)
PANEL = (0, 0, 0)
LABEL = (214, 216, 224)
HEAD = (250, 210, 110)
GAP = 12


def _label(sheet, x, y, text, colour=LABEL, scale=2):
    mask = font.text_mask(text, scale=scale, spacing=1)
    for yy, row in enumerate(mask):
        for xx, on in enumerate(row):
            if on:
                sheet.set(x + xx, y + yy, colour)
    return len(mask)


def _canvas_of(info):
    c = canvas.Canvas(info.width, info.height)
    c.px = [list(row) for row in info.pixels]
    return c


def _shrink(img, f):
    """Average f x f blocks (used for the map overview)."""
    out = canvas.Canvas(img.width // f, img.height // f)
    n = f * f
    for y in range(out.height):
        for x in range(out.width):
            r = g = b = 0
            for dy in range(f):
                row = img.px[y * f + dy]
                for dx in range(f):
                    p = row[x * f + dx]
                    r += p[0]
                    g += p[1]
                    b += p[2]
            out.px[y][x] = ((r + n // 2) // n, (g + n // 2) // n,
                            (b + n // 2) // n)
    return out


def build(data_dir, title_path):
    data_dir = pathlib.Path(data_dir)
    load = {name: _canvas_of(bmp.read_bmp(data_dir / name))
            for name in pictures.TILE_NAMES + pictures.CRAFT_NAMES +
            [pictures.LIFE_ICON, pictures.CLOUD, pictures.FLASH]}
    title = _canvas_of(bmp.read_bmp(title_path))
    with open(data_dir / "world.dat") as f:
        cells = worldmap.parse_map(f.read())

    width = 10 * (96 + GAP) + GAP + 8
    sections_h = (18 + 240 + 2 * GAP + 36            # title
                  + 2 * (96 + 22 + GAP) + 24       # tiles
                  + 4 * (162 + 22 + GAP) + 24      # craft
                  + 18 + 512 + 3 * GAP)            # map and the rest
    sheet = canvas.Canvas(width, sections_h, BG)
    y = GAP

    _label(sheet, GAP, y, "Velmora pictures (x3 unless marked)", HEAD)
    y += 18 + GAP
    sheet.blit(title, GAP, y, 2)
    _label(sheet, GAP + 480 + GAP, y, "startup_title.bmp x2")
    _label(sheet, GAP + 480 + GAP, y + 20, "240 x 120, 256 colours")
    y += 240 + GAP + 12

    _label(sheet, GAP, y, "Tiles: file, map character", HEAD)
    y += 24
    for i, name in enumerate(pictures.TILE_NAMES):
        col, row = i % 10, i // 10
        x0 = GAP + col * (96 + GAP)
        y0 = y + row * (96 + 22 + GAP)
        sheet.blit(load[name], x0, y0, 3)
        _label(sheet, x0, y0 + 100, "%s %s" % (name[:-4], chr(48 + i)))
    y += 2 * (96 + 22 + GAP)

    _label(sheet, GAP, y, "Craft: flying, hit, wrecked (heading 0)", HEAD)
    y += 24
    sets = [pictures.CRAFT_NAMES[i:i + 3] for i in range(0, 12, 3)]
    for row, names in enumerate(sets):
        for col, name in enumerate(names):
            x0 = GAP + col * (162 + GAP)
            y0 = y + row * (162 + 22 + GAP)
            sheet.blit(load[name], x0, y0, 3)
            _label(sheet, x0, y0 + 166, name)
    # Beside the craft: life icon, cloud (on a tile, as in play) and flash.
    bx = GAP + 3 * (162 + GAP) + GAP
    sheet.blit(load[pictures.LIFE_ICON], bx, y, 3)
    _label(sheet, bx, y + 100, "numleft.bmp")
    cx = bx + 96 + 2 * GAP
    ground = canvas.Canvas(64, 64)
    for yy in range(64):
        for xx in range(64):
            ground.px[yy][xx] = load["TILE1.bmp"].px[yy % 32][xx % 32]
    sheet.blit(load[pictures.CLOUD], cx, y, 3)
    _label(sheet, cx, y + 196, "CLOUD.bmp")
    sheet.blit(ground, cx + 192 + GAP, y, 3)
    sheet.blit(load[pictures.CLOUD], cx + 192 + GAP, y, 3, key=(0, 0, 0))
    _label(sheet, cx + 192 + GAP, y + 196, "cloud over grass")
    fy = y + 2 * (162 + 22 + GAP)
    sheet.blit(load[pictures.FLASH], bx, fy, 2)
    _label(sheet, bx, fy + 304, "flashtmp.bmp x2")
    y += 4 * (162 + 22 + GAP)

    _label(sheet, GAP, y, "world.dat, 8 pixels a tile", HEAD)
    y += 18 + GAP
    small = [_shrink(load[name], 4) for name in pictures.TILE_NAMES]
    overview = canvas.Canvas(512, 512)
    for r in range(64):
        for c in range(64):
            overview.blit(small[cells[r][c]], c * 8, r * 8)
    sheet.blit(overview, GAP, y)
    # And the corner where the player starts, at full size.
    start = canvas.Canvas(16 * 32, 16 * 32)
    for r in range(16):
        for c in range(16):
            start.blit(load[pictures.TILE_NAMES[cells[r][c]]], c * 32,
                       r * 32)
    sheet.blit(start, GAP + 512 + GAP, y)
    _label(sheet, GAP + 512 + GAP + 4, y + 4,
           "start corner, full size", HEAD)
    return sheet


def generate(path, data_dir, title_path):
    path = pathlib.Path(path)
    path.parent.mkdir(parents=True, exist_ok=True)
    canvas.write_png(path, build(data_dir, title_path))
    return [path]
