"""The face on high-resolution screens: whole scale factors only, so every
pixel of the pixel art stays a clean square.

Xft.dpi 144 asks for 150 %, which the program rounds to 2: the window is
236 x 96 and each face pixel a 2 x 2 block. Xft.dpi 120 (125 %) rounds to 1.
A factor forced by QT_SCALE_FACTOR=1.5 draws the face at the largest whole
factor of device pixels that fits, 1, never resampled.
"""

import os
import sys
import unittest

import clock_harness as h

PROGRAM = None
GLYPHS = None
PINNED = "2005-06-17 13:45:00"
FACE = (118, 48)


def whole_blocks(rows, k):
    """Every k x k block read as one pixel; None when one is not of one
    colour (a smeared pixel)."""
    blocks = [[{rows[y + j][x + i] for j in range(k) for i in range(k)}
               for x in range(0, len(rows[0]), k)] for y in range(0, len(rows), k)]
    if any(len(b) != 1 for row in blocks for b in row):
        return None
    return [[b.pop() for b in row] for row in blocks]


class HiDpi(unittest.TestCase):
    def shoot(self, dpi, name, env=None):
        shots = os.environ.get("MORVATEL_SCREENSHOT_DIR")
        with h.Session(PROGRAM) as s:
            s.load_resources("Xft.dpi: %d\n" % dpi)
            clock = s.start(PINNED, env=env)
            window = s.wait_window()[0]
            x, y, width, height = s.geometry(window)
            png = os.path.join(shots, name + ".png") if shots else None
            rows = s.screenshot(x, y, width, height, png=png)[2]
            self.assertEqual(s.stop(clock), 0)
            return (width, height), rows

    def test_144_dpi_shows_every_pixel_as_a_2x2_square(self):
        size, rows = self.shoot(144, "face-144dpi")
        self.assertEqual(size, (236, 96))
        face = whole_blocks(rows, 2)
        self.assertIsNotNone(face, "a smeared pixel")
        self.assertEqual(h.read_face(GLYPHS, face), ([1, 3, 4, 5], "lit"))

    def test_120_dpi_keeps_the_pixels_one_to_one(self):
        size, rows = self.shoot(120, "face-120dpi")
        self.assertEqual(size, FACE)
        self.assertEqual(h.read_face(GLYPHS, rows), ([1, 3, 4, 5], "lit"))

    def test_a_forced_fractional_factor_draws_whole_device_pixels(self):
        size, rows = self.shoot(96, "face-scale-1.5", env={"QT_SCALE_FACTOR": "1.5"})
        # One device pixel a face pixel; rounding the window to whole logical
        # pixels may leave one more column or row, which repeats the edge.
        self.assertIn(size[0], (118, 119))
        self.assertIn(size[1], (48, 49))
        face = [row[:FACE[0]] for row in rows[:FACE[1]]]
        self.assertEqual(h.read_face(GLYPHS, face), ([1, 3, 4, 5], "lit"))
        for row in rows:
            self.assertEqual(row[FACE[0]:], [row[FACE[0] - 1]] * (size[0] - FACE[0]))


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    GLYPHS = h.Glyphs(os.environ["MORVATEL_GLYPH_DUMP"])
    unittest.main(verbosity=2)
