"""The generator's entry point: what it writes and how --check compares."""

import contextlib
import io
import pathlib
import shutil
import sys
import tempfile
import unittest

REPO = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "tools" / "assetgen"))

import assetgen  # noqa: E402


class EntryPointTest(unittest.TestCase):
    # The repository's own data files stand for a fresh generation: generating them all takes
    # as long as the suite's check that they are what the generator makes (assets_reproducible).
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory(prefix="assetgen-test-")
        cls.fresh = pathlib.Path(cls.tmp.name) / "fresh"
        shutil.copytree(REPO / "data", cls.fresh / "data")
        cls.made = sorted(p.relative_to(cls.fresh) for p in (cls.fresh / "data").iterdir())

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def compare(self, other):
        out = io.StringIO()
        with contextlib.redirect_stdout(out):
            n = assetgen.compare(self.fresh, other, self.made)
        return n, out.getvalue()

    def test_compare_passes_a_copy_and_reports_changed_missing_and_stray_files(self):
        other = pathlib.Path(self.tmp.name) / "other"
        shutil.copytree(self.fresh, other)
        self.assertEqual(self.compare(other), (0, ""))
        world = other / "data" / "world.dat"
        data = bytearray(world.read_bytes())
        data[100] ^= 1
        world.write_bytes(bytes(data))
        (other / "data" / "CLOUD.bmp").unlink()
        (other / "data" / "stray.bmp").write_bytes(b"BM")
        n, text = self.compare(other)
        self.assertEqual(n, 3)
        self.assertIn("differs: data/world.dat", text)
        self.assertIn("missing: data/CLOUD.bmp", text)
        self.assertIn("not generated: data/stray.bmp", text)


if __name__ == "__main__":
    unittest.main()
