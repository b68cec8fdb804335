"""Every hour style on the face of the running program, at pinned times, and
the turn of a minute."""

import os
import sys
import time
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


class MinuteTurn(unittest.TestCase):
    def test_the_new_minute_shows_on_time_with_the_colon_steady(self):
        # libfaketime starts the pinned clock as the program starts, so the
        # minute turns five seconds (and the few milliseconds of starting a
        # process) after it is started. A screenshot reads the screen at some
        # moment between its start and its end.
        with h.Session(PROGRAM) as s:
            started = time.monotonic()
            clock = s.start("2005-06-17 13:45:55")
            window = s.wait_window()[0]
            x, y, _, _ = s.geometry(window)
            turn = started + 5.0
            shots = []
            while True:
                begun = time.monotonic()
                shown = h.read_face(GLYPHS, s.screenshot(x, y, 118, 48)[2])
                shots.append((begun, time.monotonic(), shown))
                if begun > turn + 0.25:
                    break
                time.sleep(0.05)
            for begun, ended, (digits, colon) in shots:
                self.assertEqual(colon, "lit")
                if ended < turn - 0.1:
                    self.assertEqual(digits, [1, 3, 4, 5], "early at %+.2f s" % (ended - turn))
            self.assertEqual(shots[-1][2][0], [1, 3, 4, 6],
                             "late at %+.2f s" % (shots[-1][0] - turn))
            self.assertEqual(s.stop(clock), 0)


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    GLYPHS = h.Glyphs(os.environ["MORVATEL_GLYPH_DUMP"])
    unittest.main(verbosity=2)
