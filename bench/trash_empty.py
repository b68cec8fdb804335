#!/usr/bin/env python3
"""How long the start-up chore takes to empty a large trash, next to rm -rf
of the same tree, and how long the clock takes to show itself with and
without the chores.

    bench/trash_empty.py [path/to/morvatel] [files]

Defaults: build/morvatel, 20000 files (in folders of 100). Runs the clock
under a private Xvfb with its own XDG_DATA_HOME, and only where no mounted
file system has a trash folder of its own (the clock would empty it too).
"""

import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import clock_harness as h  # noqa: E402
import startup_chores as chores  # noqa: E402


def seed(files_folder, count):
    for i in range(count):
        folder = os.path.join(files_folder, "folder%d" % (i // 100))
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "f%d" % i), "w", encoding="utf-8") as f:
            f.write("x")


def run(program, count, clear):
    settings = "[Morvatel 1.10]\nClearRecycleBin=%s\nClearRecycleBin_NoConfirm=Yes\n" % (
        "Yes" if clear else "No")
    with h.Session(program, settings) as s:
        files = os.path.join(s.env["XDG_DATA_HOME"], "Trash", "files")
        os.makedirs(os.path.join(s.env["XDG_DATA_HOME"], "Trash", "info"))
        seed(files, count)
        subprocess.run(["sync"], check=False)
        start = time.monotonic()
        clock = s.start()
        s.wait_window(timeout=60)
        shown = time.monotonic() - start
        emptied = None
        if clear:
            h.wait_for(lambda: not os.listdir(files), 120, 0.01)
            emptied = time.monotonic() - start
        s.stop(clock)
        return shown, emptied


def main():
    program = os.path.realpath(sys.argv[1] if len(sys.argv) > 1 else "build/morvatel")
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 20000
    if chores.foreign_trashes():
        print("not measured: mounted file systems have trash folders of their own")
        return 77
    reference = os.path.join(os.environ.get("TMPDIR", "/tmp"), "morvatel-bench-rm")
    shutil.rmtree(reference, ignore_errors=True)
    seed(reference, count)
    subprocess.run(["sync"], check=False)
    start = time.monotonic()
    subprocess.run(["rm", "-rf", reference], check=True)
    rm = time.monotonic() - start
    shown_off, _ = run(program, count, False)
    shown_on, emptied = run(program, count, True)
    print("files in the trash:          %d" % count)
    print("rm -rf of the same tree:     %.3f s" % rm)
    print("clock shown, chores off:     %.3f s" % shown_off)
    print("clock shown, trash emptied:  %.3f s (shown after %.3f s)" % (emptied, shown_on))
    return 0


if __name__ == "__main__":
    sys.exit(main())
