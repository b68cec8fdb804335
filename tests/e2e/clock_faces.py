"""Every hour style on the face of the running program, at pinned times."""

import os
import sys
import unittest

import clock_harness as h

PROGRAM = None
GLYPHS = None

B = None  # the blank leading digit
ROWS = [
    ("13:45", 1, [1, 3, 4, 5]),
    ("13:45", 2, [B, 1, 4, 5]),
    ("13:45", 3, [B, 1, 4, 5]),
    ("00:05", 1, [B, 0, 0, 5]),
    ("00:05", 2, [1, 2, 0, 5]),
    ("00:05", 3, [B, 0, 0, 5]),
    ("12:00", 3, [B, 0, 0, 0]),
    ("23:59", 2, [1, 1, 5, 9]),
]


class HourStyles(unittest.TestCase):
    def test_each_style_shows_the_pinned_time(self):
        shots = os.environ.get("MORVATEL_SCREENSHOT_DIR")
        with h.Session(PROGRAM) as s:
            for clock_time, style, expected in ROWS:
                with self.subTest(time=clock_time, TimeFormat=style):
                    with open(s.settings_path, "w", encoding="utf-8") as f:
                        f.write("[Morvatel 1.10]\nTimeFormat=%d\n" % style)
                    clock = s.start("2005-06-17 %s:10" % clock_time)
                    window = s.wait_window()[0]
                    x, y, _, _ = s.geometry(window)
                    png = None
                    if shots:
                        png = os.path.join(shots, "face-%s-%d.png" %
                                           (clock_time.replace(":", ""), style))
                    shown, _ = h.read_face(GLYPHS, s.screenshot(x, y, 118, 48, png=png)[2])
                    self.assertEqual(shown, expected)
                    self.assertEqual(s.stop(clock), 0)


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    GLYPHS = h.Glyphs(os.environ["MORVATEL_GLYPH_DUMP"])
    unittest.main(verbosity=2)
