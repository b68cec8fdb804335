"""Runs the built clock under a private Xvfb and looks at what it shows.

Each Session owns its X server, its home and runtime folders and a copy of the
program in a folder of its own (so the settings file lands beside it), and ends
only the processes it started.
"""

import glob
import os
import shutil
import signal
import subprocess
import tempfile
import time

SCREEN = (1280, 1024)
FAKETIME_LIBRARY = (glob.glob("/usr/lib/*/faketime/libfaketime.so.1") +
                    glob.glob("/usr/lib/faketime/libfaketime.so.1") + [""])[0]
# Cells of the strip and where the face shows them (x, width); rows 6..41.
DIGIT_X = [8, 31, 64, 87]
COLON_X = 56
FACE_Y = 6
CELL_H = 36
BLANK_SRC = 230
COLON_LIT_SRC = 253
COLON_UNLIT_SRC = 259


def wait_for(predicate, timeout=10.0, step=0.05):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return predicate()


def read_ppm(data):
    """(width, height, rows of (r, g, b)) from a binary PPM."""
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    pos += 1
    assert fields[0] == b"P6" and fields[3] == b"255", fields
    width, height = int(fields[1]), int(fields[2])
    pixels = data[pos:pos + width * height * 3]
    rows = []
    for y in range(height):
        row = pixels[y * width * 3:(y + 1) * width * 3]
        rows.append([tuple(row[x * 3:x * 3 + 3]) for x in range(width)])
    return width, height, rows


class Session:
    def __init__(self, program, settings=None):
        self.tmp = tempfile.mkdtemp(prefix="morvatel-e2e-")
        self.bin = os.path.join(self.tmp, "bin")
        os.makedirs(self.bin)
        self.program = os.path.join(self.bin, "morvatel")
        shutil.copy2(program, self.program)
        self.settings_path = os.path.join(self.bin, "Morvatel.ini")
        if settings is not None:
            with open(self.settings_path, "w", encoding="utf-8") as f:
                f.write(settings)
        home = os.path.join(self.tmp, "home")
        runtime = os.path.join(self.tmp, "runtime")
        os.makedirs(home)
        os.makedirs(runtime, mode=0o700)
        self.processes = []
        self.xvfb = None
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0",
             "%dx%dx24" % SCREEN, "-nolisten", "tcp", "-noreset"],
            pass_fds=[write_fd], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        with os.fdopen(read_fd, "rb") as f:
            number = f.readline().strip()
        if not number:
            self.close()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number.decode()
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": home,
            "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            # The trash and the recent documents the chores clear are the
            # session's own.
            "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
            "XDG_RUNTIME_DIR": runtime,
            "DISPLAY": self.display,
            "TZ": "UTC",
            "LANG": "C.UTF-8",
            # No system bus: nothing outside this test hears from the program.
            "DBUS_SESSION_BUS_ADDRESS": "disabled:",
            "DBUS_SYSTEM_BUS_ADDRESS": "unix:path=" + os.path.join(runtime, "no-bus"),
        }

    # -- processes ---------------------------------------------------------

    def start(self, pinned_time=None, args=(), env=None):
        command = [self.program, "--dry-run", *args]
        if os.geteuid() == 0:
            # Belt and braces beside --dry-run: this process cannot set the clock.
            command = ["setpriv", "--bounding-set=-sys_time", "--inh-caps=-sys_time", *command]
        env = {**self.env, **(env or {})}
        if pinned_time is not None:
            # Preloaded directly rather than through the faketime wrapper, so
            # the signals the tests send reach the program itself.
            env["LD_PRELOAD"] = FAKETIME_LIBRARY
            env["FAKETIME"] = "@" + pinned_time
            # Timers run on the real monotonic clock; only the wall time is pinned.
            env["FAKETIME_DONT_FAKE_MONOTONIC"] = "1"
        process = subprocess.Popen(command, env=env, stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE, cwd=self.tmp)
        self.processes.append(process)
        return process

    def x(self, *command, check=True):
        result = subprocess.run(list(command), env=self.env, capture_output=True, check=False)
        if check and result.returncode != 0:
            raise RuntimeError("%s failed: %s" % (command, result.stderr.decode()))
        return result.stdout

    def load_resources(self, text):
        """Replaces the X server's resources (Xft.dpi: 144, say); they stay
        until the server ends, which -noreset lets outlive every client."""
        path = os.path.join(self.tmp, "Xresources")
        with open(path, "w") as f:
            f.write(text)
        self.x("xrdb", "-nocpp", "-load", path)

    def windows(self):
        return self.windows_named("Morvatel")

    def windows_named(self, title):
        out = self.x("xdotool", "search", "--onlyvisible", "--name", "^%s$" % title,
                     check=False)
        return [int(w) for w in out.split()]

    def wait_window(self, count=1, timeout=15.0):
        found = wait_for(lambda: len(self.windows()) >= count and self.windows(), timeout)
        if not found or len(found) < count:
            raise AssertionError("no clock window appeared")
        return found

    def geometry(self, window):
        """Absolute (x, y, width, height) of a window."""
        out = self.x("xwininfo", "-id", str(window)).decode()
        values = {}
        for line in out.splitlines():
            line = line.strip()
            for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"):
                if line.startswith(key + ":"):
                    values[key] = int(line.split(":")[1])
        return (values["Absolute upper-left X"], values["Absolute upper-left Y"],
                values["Width"], values["Height"])

    def open_menu(self, x, y):
        """Right-clicks at (x, y) and waits until the popup is mapped."""
        def visible():
            out = self.x("xdotool", "search", "--onlyvisible", "--class", "morvatel",
                         check=False)
            return len(out.split())
        before = visible()
        self.mouse("mousemove", str(x), str(y), "click", "3")
        if not wait_for(lambda: visible() > before, 5):
            raise AssertionError("the popup menu did not open")
        time.sleep(0.2)  # the popup takes the keyboard right after mapping

    def window_state(self, window):
        return self.x("xprop", "-id", str(window), "_NET_WM_STATE").decode()

    def screenshot(self, x=0, y=0, width=SCREEN[0], height=SCREEN[1], png=None):
        if png:
            self.x("import", "-window", "root", "-crop", "%dx%d+%d+%d" % (width, height, x, y),
                   png)
        data = self.x("import", "-window", "root", "-crop",
                      "%dx%d+%d+%d" % (width, height, x, y), "-depth", "8", "ppm:-")
        return read_ppm(data)

    def mouse(self, *actions):
        self.x("xdotool", *actions)

    def stop(self, process, sig=signal.SIGTERM, timeout=10.0):
        if process.poll() is None:
            process.send_signal(sig)
        try:
            process.wait(timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
            raise AssertionError("the clock did not end after %s" % sig)
        return process.returncode

    def read_settings(self):
        values = {}
        if not os.path.exists(self.settings_path):
            return values
        with open(self.settings_path, encoding="utf-8") as f:
            for line in f:
                line = line.strip()
                if "=" in line and not line.startswith("["):
                    key, value = line.split("=", 1)
                    values[key.strip()] = value.strip()
        return values

    def close(self):
        for process in self.processes:
            if process.poll() is None:
                process.kill()
                process.wait()
        if self.xvfb is not None and self.xvfb.poll() is None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()
        shutil.rmtree(self.tmp, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


class Glyphs:
    """The strip the program carries, cut into its cells."""

    def __init__(self, dump_tool):
        data = subprocess.run([dump_tool], capture_output=True, check=True).stdout
        self.width, self.height, self.rows = read_ppm(data)

    def cell(self, src_x, width):
        return [row[src_x:src_x + width] for row in self.rows]

    def digit(self, d):
        return self.cell(BLANK_SRC if d is None else 23 * d, 23)


def face_cells(rows):
    """The four digit cells and the colon of a 118 x 48 face screenshot."""
    def cut(x, width):
        return [row[x:x + width] for row in rows[FACE_Y:FACE_Y + CELL_H]]
    return [cut(x, 23) for x in DIGIT_X], cut(COLON_X, 6)


def read_face(glyphs, rows):
    """What the face shows: four of digit-or-None, and the colon's state."""
    digits, colon = face_cells(rows)
    shown = []
    for cell in digits:
        match = [d for d in [None, *range(10)] if glyphs.digit(d) == cell]
        shown.append(match[0] if match else "?")
    lit = colon == glyphs.cell(COLON_LIT_SRC, 6)
    unlit = colon == glyphs.cell(COLON_UNLIT_SRC, 6)
    return shown, ("lit" if lit else "unlit" if unlit else "?")
