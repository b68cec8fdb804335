"""The clock window of the built program under Xvfb: placement, the pinned
time on its face, moving it, the settings written by every way out, a second
copy's placement and the start without a display."""

import os
import signal
import subprocess
import sys
import unittest

import clock_harness as h

PROGRAM = None
GLYPHS = None
PINNED = "2005-06-17 13:45:00"


def ratio(values, key):
    return float(values[key])


class ClockWindow(unittest.TestCase):
    def test_first_run_places_the_clock_and_shows_the_pinned_time(self):
        with h.Session(PROGRAM) as s:
            clock = s.start(PINNED)
            window = s.wait_window()[0]
            x, y, width, height = s.geometry(window)
            self.assertEqual((width, height), (118, 48))
            self.assertEqual((x, y), (round(h.SCREEN[0] * 0.8), round(h.SCREEN[1] * 0.2)))
            shown, colon = h.read_face(GLYPHS, s.screenshot(x, y, 118, 48)[2])
            self.assertEqual(shown, [1, 3, 4, 5])
            self.assertEqual(colon, "lit")
            self.assertIn("_NET_WM_STATE_ABOVE", s.window_state(window), "top-most by default")
            self.assertEqual(s.stop(clock), 0)

    def test_sigterm_saves_the_position_the_clock_was_dragged_to(self):
        with h.Session(PROGRAM) as s:
            clock = s.start(PINNED)
            window = s.wait_window()[0]
            x, y, _, _ = s.geometry(window)
            s.mouse("mousemove", str(x + 30), str(y + 20), "mousedown", "1",
                    "mousemove", str(x - 170), str(y + 120), "mouseup", "1")
            moved = h.wait_for(lambda: s.geometry(window)[:2] == (x - 200, y + 100) or None, 5)
            self.assertTrue(moved, "the window follows the left button: %s" %
                            (s.geometry(window),))
            self.assertEqual(s.stop(clock, signal.SIGTERM), 0)
            saved = s.read_settings()
            self.assertAlmostEqual(ratio(saved, "XPosR"), (x - 200) / h.SCREEN[0], places=3)
            self.assertAlmostEqual(ratio(saved, "YPosR"), (y + 100) / h.SCREEN[1], places=3)

    def test_sigint_and_sighup_end_the_clock_the_same_way(self):
        for sig in (signal.SIGINT, signal.SIGHUP):
            with self.subTest(signal=sig.name), h.Session(PROGRAM) as s:
                clock = s.start(PINNED)
                s.wait_window()
                self.assertEqual(s.stop(clock, sig), 0)
                self.assertIn("XPosR", s.read_settings())

    def test_double_click_exit_saves_the_position(self):
        settings = "[Morvatel 1.10]\nEXITbyDblClick=Yes\nXPosR=0.5\nYPosR=0.5\n"
        with h.Session(PROGRAM, settings) as s:
            clock = s.start(PINNED)
            window = s.wait_window()[0]
            x, y, _, _ = s.geometry(window)
            self.assertEqual((x, y), (640, 512))
            s.mouse("mousemove", str(x + 30), str(y + 20), "mousedown", "1",
                    "mousemove", str(x + 130), str(y - 80), "mouseup", "1")
            h.wait_for(lambda: s.geometry(window)[:2] == (x + 100, y - 100) or None, 5)
            s.mouse("click", "--repeat", "2", "--delay", "60", "1")
            self.assertEqual(clock.wait(10), 0)
            saved = s.read_settings()
            self.assertAlmostEqual(ratio(saved, "XPosR"), 740 / h.SCREEN[0], places=3)
            self.assertAlmostEqual(ratio(saved, "YPosR"), 412 / h.SCREEN[1], places=3)
            self.assertEqual(saved["EXITbyDblClick"], "Yes")

    def test_double_click_does_nothing_by_default(self):
        with h.Session(PROGRAM) as s:
            clock = s.start(PINNED)
            window = s.wait_window()[0]
            x, y, _, _ = s.geometry(window)
            s.mouse("mousemove", str(x + 30), str(y + 20), "click", "--repeat", "2",
                    "--delay", "60", "1")
            with self.assertRaises(subprocess.TimeoutExpired):
                clock.wait(1.5)
            self.assertEqual(s.stop(clock), 0)

    def test_a_second_copy_opens_where_the_window_system_puts_it(self):
        with h.Session(PROGRAM) as s:
            first = s.start(PINNED)
            s.wait_window(1)
            second = s.start(PINNED)
            windows = s.wait_window(2)
            places = sorted(s.geometry(w)[:2] for w in windows)
            self.assertIn((1024, 205), places)
            self.assertEqual(len(set(places)), 2, "the second does not cover the first")
            s.stop(second)
            s.stop(first)

    def test_a_second_copy_keeps_the_first_ones_settings_until_dragged(self):
        with h.Session(PROGRAM, "[Morvatel 1.10]\nNTP_Server=127.0.0.1\n") as s:
            first = s.start(PINNED)
            x, y, _, _ = s.geometry(s.wait_window(1)[0])
            second = s.start(PINNED)
            s.wait_window(2)
            # What the first copy saves meanwhile, a toggle and its place.
            with open(s.settings_path, "w", encoding="utf-8") as f:
                f.write("[Morvatel 1.10]\nNTP_Server=127.0.0.1\nBlink=Yes\n"
                        "XPosR=0.8000000\nYPosR=0.2000000\n")
            self.assertEqual(s.stop(second), 0)
            saved = s.read_settings()
            self.assertEqual((saved["Blink"], saved["XPosR"], saved["YPosR"]),
                             ("Yes", "0.8000000", "0.2000000"))

            third = s.start(PINNED)
            other = [w for w in s.wait_window(2) if s.geometry(w)[:2] != (x, y)][0]
            ox, oy, _, _ = s.geometry(other)
            s.mouse("mousemove", str(ox + 30), str(oy + 20), "mousedown", "1",
                    "mousemove", str(ox + 130), str(oy + 120), "mouseup", "1")
            self.assertTrue(h.wait_for(lambda: s.geometry(other)[:2] != (ox, oy) or None, 5))
            nx, ny, _, _ = s.geometry(other)
            self.assertEqual(s.stop(third), 0)
            saved = s.read_settings()
            self.assertAlmostEqual(ratio(saved, "XPosR"), nx / h.SCREEN[0], places=3)
            self.assertAlmostEqual(ratio(saved, "YPosR"), ny / h.SCREEN[1], places=3)
            self.assertEqual(saved["Blink"], "Yes")
            self.assertEqual(s.stop(first), 0)

    def test_without_a_display_one_line_and_a_failure(self):
        base = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": "/nonexistent"}
        for name, extra in (("no DISPLAY", {}),
                            ("unreachable DISPLAY", {"DISPLAY": ":987"})):
            with self.subTest(name):
                result = subprocess.run([PROGRAM], env={**base, **extra},
                                        capture_output=True, timeout=30)
                self.assertEqual(result.returncode, 1)
                lines = result.stderr.decode().strip().splitlines()
                self.assertEqual(len(lines), 1, lines)
                self.assertIn("display", lines[0])

    def test_menu_toggle_and_exit_by_keyboard(self):
        with h.Session(PROGRAM) as s:
            clock = s.start(PINNED)
            window = s.wait_window()[0]
            x, y, _, _ = s.geometry(window)
            # The popup grabs the keyboard; its accelerators choose the items.
            s.open_menu(x + 40, y + 20)
            shots = os.environ.get("MORVATEL_SCREENSHOT_DIR")
            if shots:
                s.screenshot(x - 10, y - 10, 260, 260,
                             png=os.path.join(shots, "menu.png"))
            s.mouse("key", "b")
            self.assertTrue(h.wait_for(lambda: s.read_settings().get("Blink") == "Yes", 5))

            self.assertIn("_NET_WM_STATE_ABOVE", s.window_state(window))
            s.open_menu(x + 40, y + 20)
            s.mouse("key", "t")
            self.assertTrue(h.wait_for(lambda: s.read_settings().get("TopMost") == "No", 5))
            # Without a window manager nobody acts on the state change; what
            # can be seen is that the window was changed, not re-created.
            self.assertIn(window, s.windows())
            s.open_menu(x + 40, y + 20)
            s.mouse("key", "x")
            self.assertEqual(clock.wait(10), 0)
            self.assertEqual(s.read_settings().get("Blink"), "Yes")


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    GLYPHS = h.Glyphs(os.environ["MORVATEL_GLYPH_DUMP"])
    unittest.main(verbosity=2)
