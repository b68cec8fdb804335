"""The options dialog of the built program under Xvfb, used with the keyboard
alone: opened from the popup menu, a field and a check box changed, and Enter
for OK writes the settings file while the clock keeps running."""

import os
import sys
import time
import unittest

import clock_harness as h

PROGRAM = None
SETTINGS = "[Morvatel 1.10]\nNTPatResume_Delay=30000\nNTP_Server=127.0.0.1\nTimeFormat=9\n"


class OptionsDialog(unittest.TestCase):
    def test_keyboard_edit_and_enter_save_the_settings(self):
        with h.Session(PROGRAM, SETTINGS) as s:
            clock = s.start("2005-06-17 13:45:00")
            window = s.wait_window()[0]
            x, y, _, _ = s.geometry(window)
            s.open_menu(x + 40, y + 20)
            s.mouse("key", "o")

            def dialogs():
                out = s.x("xdotool", "search", "--onlyvisible", "--name", "^オプション$",
                          check=False)
                return [int(w) for w in out.split()]
            found = h.wait_for(dialogs, 10)
            self.assertTrue(found, "the options dialog did not open")
            _, _, width, height = s.geometry(found[0])
            self.assertGreaterEqual(width, 465)
            self.assertGreaterEqual(height, 394)
            self.assertEqual(s.read_settings()["NTPatResume_Delay"], "30000", "nothing saved yet")

            shots = os.environ.get("MORVATEL_SCREENSHOT_DIR")
            # To the third page, into the wait field by its access key, a new
            # number; a check box by its access key; Enter is OK.
            for keys in (["ctrl+Tab"], ["ctrl+Tab"], ["alt+d"], ["ctrl+a"], ["5"], ["alt+l"]):
                s.mouse("key", "--delay", "50", *keys)
                time.sleep(0.1)
            if shots:
                dx, dy, _, _ = s.geometry(found[0])
                s.screenshot(dx, dy, width, height, png=os.path.join(shots, "options-sync.png"))
            s.mouse("key", "Return")

            self.assertTrue(h.wait_for(lambda: not dialogs(), 5), "OK did not close the dialog")
            saved = s.read_settings()
            self.assertEqual(saved["NTPatResume_Delay"], "5000")
            self.assertEqual(saved["NTP_Logging"], "Yes")
            # Untouched values come back as loaded, or as the dialog shows them.
            self.assertEqual(saved["NTP_Server"], "127.0.0.1")
            self.assertEqual(saved["TimeFormat"], "1")
            self.assertEqual(saved["NTPbyTimer_Interval"], "2")
            self.assertIn(window, s.windows(), "the clock runs on")
            self.assertEqual(s.stop(clock), 0)


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
