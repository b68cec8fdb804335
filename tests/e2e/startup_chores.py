"""The start-up chores of the built program under Xvfb: the trash emptied
without a question (links inside it removed, their targets kept), the
question answered with Esc leaving everything, an end requested while it is
open answering "no", and the recent documents cleared.

The program empties every trash of the mounted file systems it finds, so the
test runs only where no mounted file system has a trash folder of its own
(exit 77, skipped, otherwise): a trash this test did not make is never
touched."""

import os
import signal
import sys
import time
import unittest

import clock_harness as h

PROGRAM = None
QUESTION = "ごみ箱を空にする"


def foreign_trashes():
    """Trash folders on the mounted file systems, which the clock would empty."""
    found = []
    with open("/proc/self/mountinfo", encoding="utf-8", errors="surrogateescape") as f:
        for line in f:
            fields = line.split()
            if len(fields) < 5:
                continue
            top = fields[4]
            for code, char in (("\\040", " "), ("\\011", "\t"), ("\\012", "\n"),
                               ("\\134", "\\")):
                top = top.replace(code, char)
            for name in (".Trash", ".Trash-%d" % os.getuid()):
                path = os.path.join(top, name)
                if os.path.lexists(path):
                    found.append(path)
    return found


class Trash:
    """A home trash in the session's own data folder, with a link to a file
    and to a folder outside it."""

    def __init__(self, session):
        data = session.env["XDG_DATA_HOME"]
        self.folder = os.path.join(data, "Trash")
        self.files = os.path.join(self.folder, "files")
        self.info = os.path.join(self.folder, "info")
        os.makedirs(os.path.join(self.files, "folder", "sub"))
        os.makedirs(self.info)
        self.outside = os.path.join(session.tmp, "outside.txt")
        self.outside_folder = os.path.join(session.tmp, "outside-folder")
        os.makedirs(self.outside_folder)
        for path in (self.outside, os.path.join(self.outside_folder, "kept.txt"),
                     os.path.join(self.files, "a.txt"),
                     os.path.join(self.files, "folder", "sub", "deep.txt")):
            with open(path, "w", encoding="utf-8") as f:
                f.write("x")
        os.symlink(self.outside, os.path.join(self.files, "link"))
        os.symlink(self.outside_folder, os.path.join(self.files, "folder-link"))
        for name in os.listdir(self.files):
            with open(os.path.join(self.info, name + ".trashinfo"), "w", encoding="utf-8") as f:
                f.write("[Trash Info]\nPath=/home/u/%s\nDeletionDate=2026-01-01T00:00:00\n" % name)

    def items(self):
        return sorted(os.listdir(self.files)) + sorted(os.listdir(self.info))


def settings(no_confirm):
    return ("[Morvatel 1.10]\nClearRecent=Yes\nClearRecycleBin=Yes\n"
            "ClearRecycleBin_NoConfirm=%s\nNTP_Server=127.0.0.1\n"
            % ("Yes" if no_confirm else "No"))


class StartupChores(unittest.TestCase):
    def test_trash_emptied_without_a_question_and_recent_documents_cleared(self):
        with h.Session(PROGRAM, settings(True)) as s:
            trash = Trash(s)
            xbel = os.path.join(s.env["XDG_DATA_HOME"], "recently-used.xbel")
            with open(xbel, "w", encoding="utf-8") as f:
                f.write('<?xml version="1.0"?>\n<xbel version="1.0">'
                        '<bookmark href="file:///home/u/secret.txt"/></xbel>\n')
            clock = s.start()
            s.wait_window()
            self.assertTrue(h.wait_for(lambda: not trash.items(), 10), trash.items())
            self.assertTrue(os.path.isfile(trash.outside), "a link's target survives")
            self.assertTrue(os.path.isfile(os.path.join(trash.outside_folder, "kept.txt")))
            with open(xbel, encoding="utf-8") as f:
                self.assertNotIn("bookmark href", f.read())
            self.assertEqual(s.windows_named(QUESTION), [], "no question was asked")
            self.assertEqual(s.stop(clock), 0)

    def test_question_closed_with_esc_leaves_the_trash(self):
        with h.Session(PROGRAM, settings(False)) as s:
            trash = Trash(s)
            before = trash.items()
            clock = s.start()
            question = h.wait_for(lambda: s.windows_named(QUESTION), 15)
            self.assertTrue(question, "the question appears")
            s.x("xdotool", "windowfocus", "--sync", str(question[0]), "key", "Escape")
            self.assertTrue(h.wait_for(lambda: not s.windows_named(QUESTION), 10))
            s.wait_window()
            self.assertEqual(trash.items(), before)
            self.assertEqual(s.stop(clock), 0)

    def test_end_requested_during_the_question_keeps_the_trash_and_saves(self):
        for sig in (signal.SIGTERM, signal.SIGHUP):
            with self.subTest(signal=sig.name), h.Session(PROGRAM, settings(False)) as s:
                trash = Trash(s)
                before = trash.items()
                clock = s.start()
                self.assertTrue(h.wait_for(lambda: s.windows_named(QUESTION), 15))
                self.assertEqual(s.stop(clock, sig), 0)
                self.assertEqual(trash.items(), before)
                self.assertIn("XPosR", s.read_settings(), "the settings were saved")


if __name__ == "__main__":
    PROGRAM = sys.argv.pop(1)
    trashes = foreign_trashes()
    if trashes:
        print("skipped: the clock would empty trash folders this test did not make: %s"
              % ", ".join(trashes))
        sys.exit(77)
    unittest.main()
