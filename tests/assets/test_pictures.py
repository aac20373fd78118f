"""The pictures and the map the generator committed, read back as the game reads them."""

import pathlib
import sys
import unittest

REPO = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "tools" / "assetgen"))

import bmp  # noqa: E402
import tiles  # noqa: E402
import worldmap  # noqa: E402

DATA = REPO / "data"

TILE_FILES = ["TILE%d.bmp" % i for i in range(1, 21)]
CRAFT_SETS = [("PLAY1.bmp", "PLAY2.bmp", "PLAY3.bmp"),
              ("enem1.bmp", "enem2.bmp", "dead.bmp"),
              ("second1.bmp", "second2.bmp", "second3.bmp"),
              ("third1.bmp", "third2.bmp", "third3.bmp")]
CRAFT_FILES = [n for s in CRAFT_SETS for n in s]
SIZES = dict([(n, (32, 32)) for n in TILE_FILES] +
             [(n, (54, 54)) for n in CRAFT_FILES] +
             [("numleft.bmp", (32, 32)), ("CLOUD.bmp", (64, 64)),
              ("flashtmp.bmp", (150, 150))])

BLACK = (0, 0, 0)


def black_in_16_bits(c):
    """True if the colour packs to 0 in 5-6-5 or in 5-5-5."""
    # 5-5-5 drops the low three bits of every channel, 5-6-5 keeps one
    # more bit of green, so 5-5-5 is the stricter of the two.
    return max(c) < 8


_cache = {}


def load(name):
    if name not in _cache:
        _cache[name] = bmp.read_bmp(DATA / name)
    return _cache[name]


def lit(name):
    """The (x, y) of every pixel that is not the colour key."""
    return {(x, y) for y, row in enumerate(load(name).pixels)
            for x, c in enumerate(row) if c != BLACK}


class PictureFilesTest(unittest.TestCase):
    def test_every_picture_exists_with_its_size_and_depth(self):
        for name, (w, h) in SIZES.items():
            with self.subTest(name=name):
                info = load(name)
                self.assertEqual((info.width, info.height), (w, h))
                self.assertEqual(info.bits, 24)

    def test_no_pixel_turns_transparent_in_16_bits(self):
        # Black is the colour key: a tile may hold none, a sprite only exact black, or the
        # pixel would punch a hole on screen.
        for names, exact_black_allowed in (
                (TILE_FILES, False),
                (CRAFT_FILES + ["numleft.bmp", "CLOUD.bmp", "flashtmp.bmp"], True)):
            for name in names:
                with self.subTest(name=name):
                    bad = [(x, y) for y, row in enumerate(load(name).pixels)
                           for x, c in enumerate(row) if black_in_16_bits(c)
                           and not (exact_black_allowed and c == BLACK)]
                    self.assertEqual(bad, [])

    def test_craft_fit_the_turning_circle(self):
        for name in CRAFT_FILES:
            with self.subTest(name=name):
                on = lit(name)
                self.assertGreater(len(on), 300, "craft too small")
                self.assertEqual([(x, y) for x, y in on
                                  if (x + 0.5 - 27) ** 2 + (y + 0.5 - 27) ** 2 > 27 ** 2], [])

    def test_frames_differ_and_craft_differ(self):
        firsts = set()
        for names in CRAFT_SETS:
            frames = [str(load(n).pixels) for n in names]
            self.assertEqual(len(set(frames)), 3, names)
            firsts.add(frames[0])
        self.assertEqual(len(firsts), 4)
        masks = [lit(s[0]) for s in CRAFT_SETS]
        for i in range(4):
            for j in range(i + 1, 4):
                same = 54 * 54 - len(masks[i] ^ masks[j])
                self.assertLess(same, 54 * 54 * 9 // 10,
                                "silhouettes %d and %d too alike" % (i, j))

    def test_player_points_right_and_is_symmetric(self):
        # Heading 0 is +x: the nose is the rightmost part, on the centre line, and the design is
        # mirror-symmetric about it.
        on = lit("PLAY1.bmp")
        nose = max(on)
        self.assertGreater(nose[0], 45)
        self.assertIn(nose[1], (26, 27))
        self.assertEqual(on, {(x, 53 - y) for x, y in on})


class WorldMapTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        raw = (DATA / "world.dat").read_bytes()
        cls.raw = raw
        cls.cells = worldmap.parse_map(raw.decode("ascii"))

    def test_format(self):
        lines = self.raw.split(b"\n")
        self.assertEqual(lines[-1], b"")
        self.assertEqual(len(lines) - 1, 64)
        for line in lines[:-1]:
            self.assertEqual(len(line), 64)
            for ch in line:
                self.assertTrue(48 <= ch <= 67, chr(ch))

    def test_corners_agree_between_neighbours(self):
        # Each cell says which of its corners are land (every land-use
        # tile stands on all-land corners); cells sharing a corner must
        # agree, or a coast piece would end in a seam.
        corner = {}
        for r in range(64):
            for c in range(64):
                pat = tiles.corners_of_tile(self.cells[r][c])
                if pat is None:
                    pat = 15
                for bit, (dr, dc) in ((tiles.NW, (0, 0)),
                                      (tiles.NE, (0, 1)),
                                      (tiles.SW, (1, 0)),
                                      (tiles.SE, (1, 1))):
                    key = (r + dr, c + dc)
                    land = bool(pat & bit)
                    self.assertEqual(corner.setdefault(key, land), land,
                                     "corner %s at cell %d,%d" % (key, r, c))

    def test_seams_between_shore_tiles_are_invisible(self):
        # Across every edge between water, grass and coast tiles the
        # colour change must be no bigger than the usual change between
        # neighbouring columns inside a tile.
        shore = set(range(14))
        px = [load(n).pixels for n in TILE_FILES]

        def diff(a, b):
            return sum(abs(a[i] - b[i]) for i in range(3))
        worst = 0.0
        for r in range(64):
            for c in range(64):
                a = self.cells[r][c]
                if a not in shore:
                    continue
                if c < 63 and self.cells[r][c + 1] in shore:
                    b = self.cells[r][c + 1]
                    worst = max(worst, sum(diff(px[a][y][31], px[b][y][0])
                                           for y in range(32)) / 32)
                if r < 63 and self.cells[r + 1][c] in shore:
                    b = self.cells[r + 1][c]
                    worst = max(worst, sum(diff(px[a][31][x], px[b][0][x])
                                           for x in range(32)) / 32)
        self.assertLess(worst, 30.0)

    def test_landscape_has_its_features(self):
        count = [0] * 20
        for row in self.cells:
            for t in row:
                count[t] += 1
        self.assertGreaterEqual(count[tiles.VILLAGE], 4)
        for t in (tiles.WATER, tiles.GRASS, tiles.FOREST, tiles.WHEAT,
                  tiles.HOUSES, tiles.ROAD_WE, tiles.ROAD_NS):
            self.assertGreater(count[t], 0, "tile %d unused" % t)
        # Every coast piece is used somewhere, and no tile dominates.
        for i in range(len(tiles.COAST_PATTERNS)):
            self.assertGreater(count[2 + i], 0, "coast piece %d" % (2 + i))
        self.assertLess(max(count), 64 * 64 * 6 // 10)

    def test_roads_join_villages(self):
        # A road, and each arm of a crossroads, runs on into a road, a crossroads or off the map,
        # or ends where something meets it: a village street's lane (which runs west to east)
        # from the east or west, a field's gate from the north or south. Never a beach, a wood,
        # a garden or the grass.
        for (dr, dc), road, end in (((0, 1), tiles.ROAD_WE, tiles.HOUSES),
                                    ((1, 0), tiles.ROAD_NS, tiles.WHEAT)):
            for r in range(64):
                for c in range(64):
                    if self.cells[r][c] not in (road, tiles.VILLAGE):
                        continue
                    for s in (1, -1):
                        rr, cc = r + s * dr, c + s * dc
                        if 0 <= rr < 64 and 0 <= cc < 64:
                            self.assertIn(self.cells[rr][cc], (road, tiles.VILLAGE, end),
                                          "road at %d,%d" % (r, c))
        # Nor does a street stop at the grass beside a north-south road: it crosses it.
        for r in range(64):
            for c in range(63):
                pair = {self.cells[r][c], self.cells[r][c + 1]}
                self.assertNotEqual(pair, {tiles.HOUSES, tiles.ROAD_NS}, "at %d,%d" % (r, c))

if __name__ == "__main__":
    unittest.main()
