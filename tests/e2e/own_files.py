#!/usr/bin/env python3
"""Where the program's files live when its folder is not the user's alone,
when it sits on read-only media, and when its log is a pipe. Each run is a
--sync --dry-run in its own network namespace with only loopback up (and
its own mount namespace for the read-only case); nobody answers there, so
every run fails quickly and logs an NTP:NG line when logging is on.

Usage: own_files.py <path of the built morvatel>
"""

import os
import shutil
import stat
import subprocess
import sys
import unittest

sys.dont_write_bytecode = True  # keep the source tree clean

import sync_support

PROGRAM = None
SETTINGS = "[Morvatel 1.10]\nNTP_Server=127.0.0.1\nNTP_Logging=Yes\nNTP_ShowDialog=No\n"
NOTE = "not using the settings beside the program"


class Copy(sync_support.Sandbox):
    def __init__(self):
        super().__init__(PROGRAM)
        self.config = os.path.join(self.home, ".config", "morvatel")

    def put(self, path, text):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)

    def read(self, path):
        with open(path, encoding="utf-8", newline="") as f:
            return f.read()

    def run_isolated(self, read_only=False, timeout=30):
        setup = "ip link set lo up || exit 77\n"
        if read_only:
            setup += ('mount --bind "$BIN" "$BIN" && mount -o remount,bind,ro "$BIN" '
                      "|| exit 77\n")
        setup += 'exec "$@"'
        env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "BIN": self.bin,
            "HOME": self.home,
            "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
            "XDG_DATA_HOME": os.path.join(self.home, ".local", "share"),
            "XDG_CACHE_HOME": os.path.join(self.home, ".cache"),
            "XDG_STATE_HOME": os.path.join(self.home, ".local", "state"),
            "XDG_RUNTIME_DIR": self.root,
            "DBUS_SYSTEM_BUS_ADDRESS": sync_support.NO_SYSTEM_BUS,
            "LANG": "C.UTF-8",
            "TZ": "UTC",
        }
        command = ["unshare", "-n"] + (["-m"] if read_only else []) + ["sh", "-c", setup, "sh"]
        command += sync_support.without_clock_rights([self.program, "--dry-run", "--sync"])
        result = subprocess.run(command, env=env, cwd=self.root, capture_output=True,
                                timeout=timeout)
        if result.returncode == sync_support.SKIP:
            raise unittest.SkipTest("no namespace, loopback or bind mount here")
        return result.returncode, result.stderr.decode("utf-8")


class OwnFiles(unittest.TestCase):
    def test_folder_others_may_write_is_not_trusted(self):
        with Copy() as c:
            # As another local user would plant them in a shared folder.
            c.put(os.path.join(c.bin, "Morvatel.ini"), SETTINGS.replace("Yes", "No"))
            os.chmod(c.bin, 0o777)
            c.put(os.path.join(c.config, "Morvatel.ini"), SETTINGS)
            code, err = c.run_isolated()
            self.assertEqual(code, 1, err)
            self.assertEqual(err.count(NOTE), 1, err)
            self.assertFalse(os.path.exists(c.log_path))
            self.assertIn("NTP:NG ", c.read(os.path.join(c.config, "Morvatel.log")))

    def test_pipe_as_log_holds_nothing_up(self):
        with Copy() as c:
            c.write_settings(NTP_Server="127.0.0.1", NTP_Logging="Yes", NTP_ShowDialog="No")
            os.mkfifo(c.log_path)
            code, err = c.run_isolated(timeout=20)
            self.assertEqual(code, 1, err)
            self.assertNotIn(NOTE, err)
            self.assertTrue(stat.S_ISFIFO(os.lstat(c.log_path).st_mode))

    def test_read_only_media_seeds_the_users_settings_once(self):
        with Copy() as c:
            carried = SETTINGS + "Carried=kept\n"
            c.put(os.path.join(c.bin, "Morvatel.ini"), carried)
            code, err = c.run_isolated(read_only=True)
            self.assertEqual(code, 1, err)
            users = os.path.join(c.config, "Morvatel.ini")
            self.assertEqual(c.read(users), carried)
            log = os.path.join(c.config, "Morvatel.log")
            self.assertEqual(c.read(log).count("NTP:NG "), 1)

            # From now on the user's own file wins.
            c.put(users, SETTINGS.replace("NTP_Logging=Yes", "NTP_Logging=No"))
            c.run_isolated(read_only=True)
            self.assertEqual(c.read(log).count("NTP:NG "), 1)
            self.assertFalse(os.path.exists(c.log_path))


if __name__ == "__main__":
    if os.geteuid() != 0:
        sync_support.skip("needs root for namespaces and mounts")
    for tool in ("unshare", "setpriv", "ip"):
        if shutil.which(tool) is None:
            sync_support.skip(tool + " is missing")
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main()
