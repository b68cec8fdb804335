#!/usr/bin/env python3
"""Ending the clock while a synchronisation from its menu waits for a server
that never answers, or while that run's failure is on screen.

The waiting run is given up at once: the program ends within moments, saves
its settings and writes no log line after the save. A run that has already
failed logs its line before the settings are saved.

The fake server listens on 127.0.0.6 only; the program runs under its own
Xvfb with --dry-run and without CAP_SYS_TIME.

Usage: sync_exit.py <path of the built morvatel>
"""

import os
import select
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
# Far below the 5 s the wait would still last, far above a sound exit.
QUICK = 2.5


def settings(**extra):
    keys = {"NTP_Server": SERVER, "NTP_Logging": "Yes", "NTP_UsePermissibleDelay": "No",
            "FixWindowPosition": "Yes", **extra}
    return "[Morvatel 1.10]\n" + "".join("%s=%s\n" % kv for kv in keys.items())


def begin_menu_sync(session, server):
    """Starts the clock, chooses 時刻の同期 and returns (process, window
    position) once the request has reached the server."""
    clock = session.start()
    window = session.wait_window()[0]
    x, y, _, _ = session.geometry(window)
    session.open_menu(x + 40, y + 20)
    session.mouse("key", "n")
    if not h.wait_for(lambda: server.requests, 10):
        raise AssertionError("no request reached the server")
    return clock, (x, y)


def log_path(session):
    return os.path.join(session.bin, "Morvatel.log")


def log_lines(session):
    if not os.path.exists(log_path(session)):
        return []
    with open(log_path(session), "rb") as f:
        return f.read().decode("utf-8").split("\r\n")[:-1]


class ExitDuringAWait(unittest.TestCase):
    def exit_while_waiting(self, how):
        with fake_sntp.FakeServer(SERVER, "silent") as server, \
                h.Session(PROGRAM, settings()) as s:
            clock, (x, y) = begin_menu_sync(s, server)
            time.sleep(1.0)
            asked = time.monotonic()
            if how == "menu":
                s.open_menu(x + 40, y + 20)
                s.mouse("key", "x")
            else:
                clock.send_signal(signal.SIGTERM)
            status = clock.wait(30)
            took = time.monotonic() - asked
            self.assertEqual(status, 0)
            self.assertLess(took, QUICK, "the waiting run was given up at once")
            self.assertIn("XPosR", s.read_settings(), "the settings were saved")
            self.assertEqual(log_lines(s), [], "a run given up logs nothing")
            self.assertEqual(len(server.requests), 1)

    def test_menu_exit_during_the_wait(self):
        self.exit_while_waiting("menu")

    def test_sigterm_during_the_wait(self):
        self.exit_while_waiting("sigterm")

    def test_sigterm_while_the_failure_is_shown_logs_before_the_save(self):
        # The permissible delay fails the run after 600 ms and its dialog
        # opens. The log is a FIFO nobody reads yet, so the program stops in
        # the log's open: whatever it saved by then, it saved before logging.
        with fake_sntp.FakeServer(SERVER, "silent") as server, \
                h.Session(PROGRAM, settings(NTP_UsePermissibleDelay="Yes")) as s:
            os.mkfifo(log_path(s))
            clock, _ = begin_menu_sync(s, server)
            dialog = h.wait_for(lambda: s.x("xdotool", "search", "--onlyvisible", "--name",
                                             "^時刻の同期$", check=False).split(), 10)
            self.assertTrue(dialog, "the failure is shown")
            clock.send_signal(signal.SIGTERM)
            time.sleep(1.0)
            self.assertNotIn("XPosR", s.read_settings(), "no save before the log line")
            line = read_fifo(log_path(s))
            self.assertEqual(clock.wait(30), 0)
            self.assertTrue(line.endswith(" - - 0 morvatel:OverPermissibleDelay\r\n"), line)
            self.assertIn("XPosR", s.read_settings())


def read_fifo(path, timeout=10.0):
    """Everything one writer puts into the FIFO at path, once it closes."""
    fd = os.open(path, os.O_RDONLY | os.O_NONBLOCK)
    data = b""
    try:
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            select.select([fd], [], [], 0.1)
            chunk = os.read(fd, 4096)
            data += chunk
            if data and not chunk:
                break
    finally:
        os.close(fd)
    return data.decode("utf-8")

if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    sync_support.require_privileges()
    unittest.main(verbosity=2)
