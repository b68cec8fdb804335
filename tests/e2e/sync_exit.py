#!/usr/bin/env python3
"""Ending the clock while a synchronisation from its menu waits for a server
that never answers (127.0.0.6), or while that run's failure is shown: the
program ends at once, saves its settings and logs nothing after the save.

Usage: sync_exit.py <path of the built morvatel>
"""

import os
import signal
import sys
import time
import unittest

sys.dont_write_bytecode = True  # keep the source tree clean

import clock_harness as h
import fake_sntp
import sync_support

PROGRAM = None
SERVER = "127.0.0.6"
QUICK = 2.5  # far below the 4 s the wait still had, far above a sound exit


def settings(**extra):
    keys = {"NTP_Server": SERVER, "NTP_Logging": "Yes", "NTP_UsePermissibleDelay": "No",
            **extra}
    return "[Morvatel 1.10]\n" + "".join("%s=%s\n" % kv for kv in keys.items())


def begin_menu_sync(session, server):
    """Starts the clock and chooses 時刻の同期; returns the process and the
    window's position once the request has reached the server."""
    clock = session.start()
    x, y, _, _ = session.geometry(session.wait_window()[0])
    session.open_menu(x + 40, y + 20)
    session.mouse("key", "n")
    if not h.wait_for(lambda: server.requests, 10):
        raise AssertionError("no request reached the server")
    return clock, (x, y)


class ExitDuringAWait(unittest.TestCase):
    def test_menu_exit_or_sigterm_during_the_wait(self):
        for how in ("menu", "sigterm"):
            with self.subTest(how), fake_sntp.FakeServer(SERVER, "silent") as server, \
                    h.Session(PROGRAM, settings()) as s:
                clock, (x, y) = begin_menu_sync(s, server)
                time.sleep(1.0)
                asked = time.monotonic()
                if how == "menu":
                    s.open_menu(x + 40, y + 20)
                    s.mouse("key", "x")
                else:
                    clock.send_signal(signal.SIGTERM)
                self.assertEqual(clock.wait(30), 0)
                self.assertLess(time.monotonic() - asked, QUICK, "the run was given up")
                self.assertIn("XPosR", s.read_settings(), "the settings were saved")
                self.assertFalse(os.path.exists(os.path.join(s.bin, "Morvatel.log")))

    def test_sigterm_while_the_failure_is_shown_logs_before_the_save(self):
        # The permissible delay fails the run after 600 ms and its dialog
        # opens; the exit closes it, and the run's line is still logged, and
        # logged before the save (the coarse file clock may show both at once).
        with fake_sntp.FakeServer(SERVER, "silent") as server, \
                h.Session(PROGRAM, settings(NTP_UsePermissibleDelay="Yes")) as s:
            log = os.path.join(s.bin, "Morvatel.log")
            clock, _ = begin_menu_sync(s, server)
            self.assertTrue(h.wait_for(lambda: s.x("xdotool", "search", "--onlyvisible",
                                                   "--name", "^時刻の同期$", check=False), 10))
            clock.send_signal(signal.SIGTERM)
            self.assertEqual(clock.wait(30), 0)
            with open(log, "rb") as f:
                line = f.read().decode("utf-8")
            self.assertTrue(line.endswith(" - - 0 morvatel:OverPermissibleDelay\r\n"), line)
            self.assertIn("XPosR", s.read_settings())
            self.assertLessEqual(os.stat(log).st_mtime_ns,
                                 os.stat(os.path.join(s.bin, "Morvatel.ini")).st_mtime_ns)

if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    sync_support.require_privileges()
    unittest.main(verbosity=2)
