"""The BMP files Kelvora writes, read by other programs: ImageMagick and PIL
must see the same size, depth, colour table and pixels that were drawn.

tests/win/write_samples.exe writes each form a capture takes (8 bits with
the 256-entry halftone table; 16 bits 5-5-5, 24 and 32 bits with the table
as the additional colour table) through the program's own bitmap and BMP
code, and beside each the colours it drew. On X screens of 8 bits (a
palette display) and 16 bits it also runs the two captures themselves.
"""

import re
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

import harness

# The real ImageMagick; a convert earlier on PATH may be a stand-in.
CONVERT = "/usr/bin/convert"
IDENTIFY = "/usr/bin/identify"
PIL_RAWMODES = {8: "P", 16: "BGR;15", 24: "BGR", 32: "BGRX"}


def row_stride(width, bits):
    return (width * bits + 31) // 32 * 4


class CaptureFilesTest(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        session = harness.session()
        helper = session.probe_exe.parent.parent / "win" / "write_samples.exe"
        if not helper.is_file():
            raise harness.HarnessError(f"missing {helper}; build the tests first")
        cls.folder = Path(tempfile.mkdtemp(prefix="kelvora-samples-"))
        done = session.wine(helper, cwd=cls.folder)
        if done.returncode != 0:
            raise harness.HarnessError(f"write_samples failed: {done.stderr.decode(errors='replace')}")
        cls.samples = []
        for line in (cls.folder / "samples.txt").read_text().split("\n"):
            if line.strip():
                name, width, height, bits, table = line.split()
                cls.samples.append((name, int(width), int(height), int(bits), int(table)))

    @classmethod
    def tearDownClass(cls):
        for path in cls.folder.iterdir():
            path.unlink()
        cls.folder.rmdir()

    def files(self):
        """(path, width, height, bits, table entries, drawn colours) for each
        file written, by the save path and by the encoder."""
        for name, width, height, bits, table in self.samples:
            drawn = (self.folder / f"{name}.rgb").read_bytes()
            for file_name in (f"{name}.bmp", f"{name}e.bmp"):
                yield self.folder / file_name, width, height, bits, table, drawn

    def assert_pixels(self, got, drawn, bits, who):
        self.assertEqual(len(got), len(drawn), who)
        if bits == 16:
            # Readers widen 5-bit channels to 8 bits in their own ways (bit
            # replication, scaling); the 5 bits read must be the 5 drawn.
            got = bytes(v >> 3 for v in got)
            drawn = bytes(v >> 3 for v in drawn)
        wrong = [i // 3 for i in range(len(drawn)) if got[i] != drawn[i]]
        self.assertFalse(wrong, f"{who}: {len(wrong)} channel values differ, first at pixel {wrong[:1]}")

    def test_the_files_are_the_published_layout(self):
        self.assertEqual([s[3] for s in self.samples], [8, 16, 24, 32])
        for path, width, height, bits, table, _ in self.files():
            with self.subTest(file=path.name):
                data = path.read_bytes()
                offset = 54 + 4 * table
                self.assertEqual(data[:2], b"BM")
                self.assertEqual(int.from_bytes(data[2:6], "little"), len(data))
                self.assertEqual(int.from_bytes(data[10:14], "little"), offset)
                self.assertEqual(int.from_bytes(data[28:30], "little"), bits)
                self.assertEqual(int.from_bytes(data[46:50], "little"), table)
                self.assertEqual(len(data), offset + row_stride(width, bits) * height)
        for name, *_ in self.samples:
            self.assertEqual((self.folder / f"{name}.bmp").read_bytes(),
                             (self.folder / f"{name}e.bmp").read_bytes(),
                             "the save path and the encoder write the same file")

    def test_imagemagick_reads_size_depth_table_and_pixels(self):
        for path, width, height, bits, table, drawn in self.files():
            with self.subTest(file=path.name):
                log = subprocess.run([IDENTIFY, "-debug", "coder", "-log", "%e", str(path)],
                                     capture_output=True, text=True, check=True).stderr
                self.assertIn(f"Geometry: {width}x{height}", log)
                self.assertIn(f"Bits per pixel: {bits}\n", log)
                self.assertIn("Compression: BI_RGB", log)
                self.assertIn(f"Number of colors: {table}\n", log)
                verbose = subprocess.run([IDENTIFY, "-verbose", str(path)], capture_output=True,
                                         text=True, check=True).stdout
                if bits == 8:
                    self.assertRegex(verbose, r"Type: Palette\b")
                    self.assertIn(f"Colormap entries: {table}\n", verbose)
                else:
                    self.assertRegex(verbose, r"Type: TrueColor\b")
                    self.assertIsNone(re.search(r"Alpha: ", verbose), "no alpha channel")
                raw = subprocess.run([CONVERT, str(path), "-depth", "8", "rgb:-"],
                                     capture_output=True, check=True).stdout
                self.assert_pixels(raw, drawn, bits, "ImageMagick")

    def test_pil_reads_size_depth_table_and_pixels(self):
        from PIL import Image
        for path, width, height, bits, table, drawn in self.files():
            with self.subTest(file=path.name):
                with Image.open(path) as image:
                    self.assertEqual(image.format, "BMP")
                    self.assertEqual(image.size, (width, height))
                    (_, box, offset, (rawmode, stride, orientation)), = image.tile
                    self.assertEqual(rawmode, PIL_RAWMODES[bits])
                    self.assertEqual(offset, 54 + 4 * table, "the colour table is stepped over")
                    self.assertEqual(stride, row_stride(width, bits))
                    self.assertEqual(orientation, -1, "bottom-up rows")
                    if bits == 8:
                        self.assertEqual(image.mode, "P")
                        self.assertEqual(len(image.getpalette()), 3 * table)
                    rgb = image.convert("RGB").tobytes()
                self.assert_pixels(rgb, drawn, bits, "PIL")


class CaptureOnOtherDisplaysTest(unittest.TestCase):
    """The captures on a 256-colour palette screen and on a 16-bit screen,
    each in a prefix and X server of its own."""

    def capture_on(self, depth):
        session = harness.session()
        helper = session.probe_exe.parent.parent / "win" / "write_samples.exe"
        work = Path(tempfile.mkdtemp(prefix=f"kelvora-depth{depth}-"))
        self.addCleanup(shutil.rmtree, work, True)
        xvfb, display = harness.free_display(depth=depth)

        def stop_xvfb():
            xvfb.terminate()
            xvfb.wait()
        self.addCleanup(stop_xvfb)
        prefix = work / "prefix"
        shutil.copytree(harness.prefix_template(session.arch), prefix, symlinks=True)
        env = harness._base_env(prefix, display)
        self.addCleanup(subprocess.run, ["wineserver", "-k"], env=env, check=False)
        out = work / "out"
        out.mkdir()
        done = subprocess.run([session.loader, str(helper), "capture"], env=env, cwd=out,
                              capture_output=True, timeout=120, check=False)
        self.assertEqual(done.returncode, 0, done.stderr.decode(errors="replace"))
        info = dict(zip(*[iter((out / "capture.txt").read_text().split())] * 2))
        return out, info

    @staticmethod
    def table(data):
        count = int.from_bytes(data[46:50], "little")
        return bytes(b for at in range(54, 54 + 4 * count, 4) for b in (data[at + 2], data[at + 1], data[at]))

    def check_region(self, out, bits, table_file):
        from PIL import Image
        data = (out / "region.bmp").read_bytes()
        self.assertEqual(int.from_bytes(data[28:30], "little"), bits)
        self.assertEqual(self.table(data), (out / table_file).read_bytes())
        with Image.open(out / "region.bmp") as image:
            self.assertEqual(image.tile[0][3][0], PIL_RAWMODES[bits])
            got = image.convert("RGB").tobytes()
        shown = (out / "region.rgb").read_bytes()
        if bits == 16:
            got, shown = bytes(v >> 3 for v in got), bytes(v >> 3 for v in shown)
        wrong = sum(1 for i in range(0, len(shown), 3) if got[i:i + 3] != shown[i:i + 3])
        self.assertEqual(wrong, 0, "pixels of the region differ from the window captured")

    def check_desktop(self, out):
        data = (out / "desktop.bmp").read_bytes()
        self.assertEqual(int.from_bytes(data[28:30], "little"), 8)
        self.assertEqual(int.from_bytes(data[46:50], "little"), 256)
        self.assertEqual(self.table(data), (out / "halftone.rgb").read_bytes())

    def test_palette_display_region_capture_takes_the_system_palette(self):
        out, info = self.capture_on(8)
        # A palette display by its palette: Wine 8 reports 8 bits beside it,
        # Wine 10 16 bits; the region capture is 8-bit on either.
        self.assertEqual(info["palette_display"], "1")
        self.assertIn(info["screen_bits"], ("8", "16"))
        self.check_region(out, 8, "syspal.rgb")
        self.check_desktop(out)

    def test_sixteen_bit_display_region_capture_is_5_5_5_with_the_halftone_table(self):
        out, info = self.capture_on(16)
        self.assertEqual(info, {"screen_bits": "16", "palette_display": "0"})
        self.check_region(out, 16, "halftone.rgb")
        self.check_desktop(out)


if __name__ == "__main__":
    unittest.main()
