"""Every picture file of data/: tiles, craft, life icon, cloud and the
explosion flash mask."""

import pathlib

import bmp
import canvas
import craft
import sky
import tiles

TILE_NAMES = ["TILE%d.bmp" % (i + 1) for i in range(tiles.COUNT)]
CRAFT_NAMES = ["PLAY1.bmp", "PLAY2.bmp", "PLAY3.bmp",
               "enem1.bmp", "enem2.bmp", "dead.bmp",
               "second1.bmp", "second2.bmp", "second3.bmp",
               "third1.bmp", "third2.bmp", "third3.bmp"]
LIFE_ICON = "numleft.bmp"
CLOUD = "CLOUD.bmp"
FLASH = "flashtmp.bmp"


# ------------------------------------------------------------ everything

def all_pictures():
    """{file name: Canvas} of every picture in data/."""
    out = {}
    for name, img in zip(TILE_NAMES, tiles.make_tiles()):
        out[name] = img
    out.update(craft.all_craft())
    out[LIFE_ICON] = craft.life_icon()
    out[CLOUD] = sky.cloud()
    out[FLASH] = sky.flash_mask()
    return out


def generate(out_dir):
    out_dir = pathlib.Path(out_dir)
    out_dir.mkdir(parents=True, exist_ok=True)
    written = []
    pics = all_pictures()
    for name in TILE_NAMES + CRAFT_NAMES + [LIFE_ICON, CLOUD, FLASH]:
        img = pics[name]
        path = out_dir / name
        bmp.write_bmp24(path, img.width, img.height, img.px)
        written.append(path)
    return written
