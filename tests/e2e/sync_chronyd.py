#!/usr/bin/env python3
"""--query and --sync against a real chronyd on 127.0.0.1, and --sync without
the right to set the clock."""

import re
import sys
import unittest

sys.dont_write_bytecode = True  # keep the source tree clean

import sync_support

PROGRAM = None
chronyd = None


class AgainstChronyd(unittest.TestCase):
    def test_query(self):
        for server in ("127.0.0.1", "localhost"):
            with self.subTest(server), sync_support.Sandbox(PROGRAM) as box:
                result = box.run("--query", server)
                self.assertEqual(result.returncode, 0, result.err)
                match = re.fullmatch(
                    r"server: (\S+)\nstratum: 10\noffset: ([+-]\d+\.\d{6}) s\n"
                    r"delay: (\d+\.\d{6}) s\n", result.out)
                self.assertTrue(match, result.out)
                self.assertEqual(match.group(1), server)
                # chronyd serves this very clock: whatever is left is noise.
                self.assertLess(abs(float(match.group(2))), 0.005)
                self.assertLess(float(match.group(3)), 0.05)

    def test_dry_run_sync(self):
        with sync_support.Sandbox(PROGRAM) as box:
            box.write_settings(NTP_Logging="Yes", NTP_Server="127.0.0.1")
            result = box.run("--sync", "--dry-run")
            self.assertEqual(result.returncode, 0, result.err)
            self.assertRegex(result.out,
                             r"^システムの時刻を '127\.0\.0\.1' と同期しました。\n\n"
                             r"変更前の時刻: \d{4}/\d\d/\d\d \d\d:\d\d:\d\d\.\d{3}\n"
                             r"取得した時刻: \d{4}/\d\d/\d\d \d\d:\d\d:\d\d\.\d{3}\n"
                             r"差: 00:00:00\n\n"
                             r"Stratum: 10　Poll Interval: \d+　Precision: -?\d+\n"
                             r"応答遅延: \d+\.\dms　推定伝送遅延: \d+\.\dms\n$")
            log = box.log_lines()
            self.assertEqual(len(log), 1)
            self.assertRegex(log[0], r"^NTP:OK \d{4}/\d\d/\d\d \d\d:\d\d:\d\d 127\.0\.0\.1 "
                                     r"\d+\.\dms 00:00:00 - -$")

    def test_refused_clock(self):
        # No --dry-run: the setter really tries, and is refused, because the
        # capability is gone and the system bus cannot be reached.
        with sync_support.Sandbox(PROGRAM) as box:
            box.write_settings(NTP_Logging="Yes")
            result = box.run("--sync", "127.0.0.1")
            self.assertEqual(result.returncode, 1, result.out)
            self.assertEqual(result.err, "エラー: システムの時刻を変更できません。\n")
            log = box.log_lines()
            self.assertEqual(len(log), 1)
            self.assertRegex(log[0], r"^NTP:NG \d{4}/\d\d/\d\d \d\d:\d\d:\d\d 127\.0\.0\.1 "
                                     r"- - 0 morvatel:Can'tModifySystemTime$")


if __name__ == "__main__":
    PROGRAM = sys.argv.pop(1)
    sync_support.require_privileges()
    with sync_support.Chronyd("127.0.0.1") as chronyd:
        result = unittest.main(verbosity=2, exit=False).result
    sys.exit(0 if result.wasSuccessful() else 1)
