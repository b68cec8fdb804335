"""The Windows program, from its unzipped folder, under Wine on an Xvfb of its
own: placement, face, menu, dialogs, the settings file's code page, exit.

Usage: clock_under_wine.py FOLDER   (the unzipped package)
  MORVATEL_GLYPH_DUMP      the host's clock_glyphs, to read the face
  MORVATEL_LINUX_PROGRAM   optional: the Linux program, whose face must match
  MORVATEL_SCREENSHOT_DIR  optional: where screenshots go

Wine's SetSystemTime sets the host's clock, so every Wine process here runs
without the capability to set it, and the program only ever with --dry-run.
Wine also writes into the HOME and XDG folders it sees, so it gets its own.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import clock_harness as h  # noqa: E402

FOLDER = None
GLYPHS = None
NO_CLOCK = ["setpriv", "--bounding-set=-sys_time", "--inh-caps=-sys_time"]
# A comment and a key of the user's own, in the Japanese code page: a save
# must keep both, byte for byte.
OWN_LINES = "; 駅の時計\r\nメモ=ホーム三番線\r\n"
SETTINGS = "[Morvatel 1.10]\r\nNTP_Server=127.0.0.1\r\n" + OWN_LINES


class Wine:
    def __init__(self):
        self.tmp = tempfile.mkdtemp(prefix="morvatel-wine-e2e-")
        home = os.path.join(self.tmp, "home")
        runtime = os.path.join(self.tmp, "runtime")
        os.makedirs(home)
        os.makedirs(runtime, mode=0o700)
        # Spaces and Japanese characters in the path, as a user's may have.
        self.folder = os.path.join(self.tmp, "駅の 時計", "Morvatel 1")
        shutil.copytree(FOLDER, self.folder)
        self.settings_path = os.path.join(self.folder, "Morvatel.ini")
        with open(self.settings_path, "wb") as f:
            f.write(SETTINGS.encode("cp932"))
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "%dx%dx24" % h.SCREEN,
             "-nolisten", "tcp", "-noreset"],
            pass_fds=[write_fd], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd, "rb") as f:
            number = f.readline().strip().decode()
        if not number:
            self.close()
            raise RuntimeError("Xvfb did not start")
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": home,
            "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
            "XDG_CACHE_HOME": os.path.join(home, ".cache"),
            "XDG_STATE_HOME": os.path.join(home, ".local", "state"),
            "XDG_RUNTIME_DIR": runtime,
            "DISPLAY": ":" + number,
            "TZ": "UTC",
            "LC_ALL": "ja_JP.UTF-8",
            "WINEPREFIX": os.path.join(self.tmp, "prefix"),
            "WINEDEBUG": "-all",
            # No menu entries, no runtime installers, and no browser: help and
            # links would otherwise reach the host's xdg-open.
            "WINEDLLOVERRIDES": "winemenubuilder.exe=d;winebrowser.exe=d;mscoree,mshtml=",
        }
        self.run(["wineboot", "--init"], timeout=300)
        self.clock = None
        self.linux = None

    def run(self, command, timeout=120):
        return subprocess.run(NO_CLOCK + command, env=self.env, capture_output=True,
                              timeout=timeout, check=False)

    def x(self, *command):
        return subprocess.run(command, env=self.env, capture_output=True,
                              check=False).stdout.decode()

    def start(self, *args):
        exe = os.path.join(self.folder, "morvatel.exe")
        self.clock = subprocess.Popen(NO_CLOCK + ["wine", exe, "--dry-run", *args],
                                      env=self.env, cwd=self.folder,
                                      stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        return self.clock

    def named(self, title):
        out = self.x("xdotool", "search", "--onlyvisible", "--name", "^%s$" % title)
        return [int(w) for w in out.split()]

    def geometry(self, window):
        values = {}
        for line in self.x("xwininfo", "-id", str(window)).splitlines():
            key, _, value = line.strip().partition(":")
            values[key] = value.strip()
        return tuple(int(values[k]) for k in ("Absolute upper-left X", "Absolute upper-left Y",
                                              "Width", "Height"))

    def shot(self, geometry, name=None):
        x, y, width, height = geometry
        crop = ["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (width, height, x, y)]
        shots = os.environ.get("MORVATEL_SCREENSHOT_DIR")
        if shots and name:
            self.x(*crop, os.path.join(shots, name + ".png"))
        data = subprocess.run(crop + ["-depth", "8", "ppm:-"], env=self.env,
                              capture_output=True, check=True).stdout
        return h.read_ppm(data)[2]

    def key(self, *keys):
        for k in keys:
            self.x("xdotool", "key", k)
            time.sleep(0.3)

    def linux_face(self):
        """The Linux program's face, from a folder of its own, on this display."""
        folder = os.path.join(self.tmp, "linux")
        os.makedirs(folder)
        program = os.path.join(folder, "morvatel")
        shutil.copy2(os.environ["MORVATEL_LINUX_PROGRAM"], program)
        with open(os.path.join(folder, "Morvatel.ini"), "w", encoding="utf-8") as f:
            f.write(SETTINGS.replace("\r\n", "\n"))
        env = {**self.env, "LANG": "C.UTF-8", "DBUS_SESSION_BUS_ADDRESS": "disabled:",
               "DBUS_SYSTEM_BUS_ADDRESS": "unix:path=/nonexistent"}
        del env["LC_ALL"]
        before = set(self.named("Morvatel"))
        self.linux = subprocess.Popen(NO_CLOCK + [program, "--dry-run"], env=env,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        found = h.wait_for(lambda: set(self.named("Morvatel")) - before, 15)
        if not found:
            raise AssertionError("the Linux clock did not show")
        face = self.shot(self.geometry(found.pop()), "linux-face")
        self.linux.terminate()
        self.linux.wait(10)
        return face

    def close(self):
        for process in (self.clock, self.linux):
            if process is not None and process.poll() is None:
                process.kill()
                process.wait()
        if os.path.isdir(self.env.get("WINEPREFIX", "")):
            # This prefix's server and what it started, nothing else.
            self.run(["wineserver", "-k"], timeout=60)
        if self.xvfb.poll() is None:
            self.xvfb.terminate()
            self.xvfb.wait(10)
        shutil.rmtree(self.tmp, ignore_errors=True)


class ClockUnderWine(unittest.TestCase):
    def test_nts_is_refused_plainly(self):
        result = self.wine.run(["wine", os.path.join(self.wine.folder, "morvatel.exe"),
                                "--query", "--nts", "127.0.0.1"])
        self.assertEqual(result.returncode, 2)
        self.assertIn("NTS", result.stderr.decode("utf-8", "replace"))

    def test_window_face_menu_dialogs_and_exit(self):
        w = self.wine
        clock = w.start()
        found = h.wait_for(lambda: w.named("Morvatel"), 60)
        self.assertTrue(found, "no clock window")
        window = found[0]
        x, y, width, height = w.geometry(window)
        self.assertEqual((width, height), (118, 48))
        self.assertEqual((x, y), (round(h.SCREEN[0] * 0.8), round(h.SCREEN[1] * 0.2)))

        # Read the face twice around the shot, so a minute that turned in
        # between shows as a mismatch of its own and is tried again.
        for _ in range(3):
            minute = time.strftime("%H%M", time.gmtime())
            face = w.shot((x, y, width, height), "face")
            linux = w.linux_face() if os.environ.get("MORVATEL_LINUX_PROGRAM") else face
            if time.strftime("%H%M", time.gmtime()) == minute:
                break
        shown, _ = h.read_face(GLYPHS, face)
        hours = int(minute[:2])
        self.assertEqual(shown[2:], [int(minute[2]), int(minute[3])])
        self.assertIn(shown[:2], ([hours // 10 or None, hours % 10], [hours // 10, hours % 10]))
        self.assertTrue(face == linux, "the face differs from the Linux program's")

        def visible():
            return {int(v) for v in w.x("xdotool", "search", "--onlyvisible", "").split()}

        def open_menu():
            # Wine's popups carry no title of their own: the menu is the
            # window that was not there before.
            before = visible()
            w.x("xdotool", "mousemove", str(x + 40), str(y + 20), "click", "3")
            opened = h.wait_for(lambda: visible() - before, 10)
            self.assertTrue(opened, "the popup menu did not open")
            time.sleep(0.5)
            return opened.pop()

        menu = w.geometry(open_menu())
        w.shot(menu, "menu")
        w.key("Escape")

        # The options dialog's three pages, then Cancel by Escape.
        open_menu()
        w.key("o")
        dialog = h.wait_for(lambda: w.named("オプション"), 20)
        self.assertTrue(dialog, "the options dialog did not open")
        time.sleep(1)
        geometry = w.geometry(dialog[0])
        # In the order the tabs come, from the first, which the dialog opens on.
        for page in ("options-general", "options-clock", "options-sync"):
            w.shot(geometry, page)
            w.key("ctrl+Tab")
        w.key("Escape")
        self.assertTrue(h.wait_for(lambda: not w.named("オプション"), 10))

        open_menu()
        w.key("a")
        about = h.wait_for(lambda: w.named("Morvatel のバージョン情報"), 20)
        self.assertTrue(about, "the About box did not open")
        time.sleep(1)
        w.shot(w.geometry(about[0]), "about")
        w.key("Return")
        self.assertTrue(h.wait_for(lambda: not w.named("Morvatel のバージョン情報"), 10))

        open_menu()
        w.key("x")
        self.assertEqual(clock.wait(30), 0)
        with open(w.settings_path, "rb") as f:
            saved = f.read().decode("cp932")
        self.assertIn(OWN_LINES.replace("\r\n", "\n"), saved.replace("\r\n", "\n"))
        self.assertIn("NTP_Server=127.0.0.1", saved)
        self.assertIn("XPosR=", saved)

    def setUp(self):
        self.wine = Wine()

    def tearDown(self):
        self.wine.close()


if __name__ == "__main__":
    FOLDER = os.path.abspath(sys.argv.pop(1))
    GLYPHS = h.Glyphs(os.environ["MORVATEL_GLYPH_DUMP"])
    unittest.main(verbosity=2)
