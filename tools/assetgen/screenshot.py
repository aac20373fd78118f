#!/usr/bin/env python3
"""packaging/screenshot.png, the picture software centres show beside the
metainfo: a moment of the first level at 800 by 600, replayed by the built
runner, so it is exactly what the game draws (four invaders close in on
the player over farmland).

    python3 tools/assetgen/screenshot.py build-test/skirmo-replay

Run it again when what the game draws changes on purpose.
"""

import pathlib
import subprocess
import sys
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
REPO = HERE.parents[1]
sys.path.insert(0, str(HERE))

import bmp  # noqa: E402
import canvas  # noqa: E402

OUT = REPO / "packaging" / "screenshot.png"
# The autopilot with this seed has the player in the open among four
# invaders at this moment.
SEED, AT = 3, 27.5


def main(replay):
    with tempfile.TemporaryDirectory(prefix="skirmo-screenshot-") as tmp:
        keys, shot = pathlib.Path(tmp) / "keys.txt", pathlib.Path(tmp) / "shot.bmp"
        keys.write_text("0 SPACE down\n0.2 SPACE up\n")
        subprocess.run([replay, "--data", str(REPO / "data"), "--mode", "800x600",
                        "--bot", "--seed", str(SEED), "--script", str(keys),
                        "--until", str(AT + 1), "--shot-at", "%g:%s" % (AT, shot)],
                       check=True)
        picture = bmp.read_bmp(shot)
    with open(OUT, "wb") as f:
        f.write(canvas.encode_png(picture.width, picture.height, picture.pixels))
    print(OUT.relative_to(REPO))


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
