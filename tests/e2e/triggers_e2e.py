#!/usr/bin/env python3
"""The automatic synchronisations of the built program, end to end.

With NTPatRun=Yes and NTPatResume_Delay=1000 the program asks the time server
once, about a second after start-up, and logs it. A PrepareForSleep(false)
from "logind" on a bus of our own, which the program takes for its system
bus, brings one more request a second later; the suspend notice before it
brings none.

Everything stays on this machine: the fake server answers on 127.0.0.5, the
X server listens on no TCP port, the bus is a private one. The program runs
with --dry-run and without CAP_SYS_TIME, so the clock is never set.

Usage: triggers_e2e.py <path of the built morvatel>
"""

import os
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import time

from fake_sntp import FakeServer

SERVER = "127.0.0.5"
DELAY_MS = 1000
SKIP = 77  # a machine without the tools


def fail(text):
    print("FAIL: " + text, file=sys.stderr)
    sys.exit(1)


# ---------------------------------------------------------------------------
# Just enough of the D-Bus wire protocol to own a name and emit one signal.


class Marshal:
    def __init__(self):
        self.b = bytearray()

    def pad(self, n):
        while len(self.b) % n:
            self.b.append(0)

    def byte(self, v):
        self.b.append(v)

    def uint32(self, v):
        self.pad(4)
        self.b += struct.pack("<I", v)

    def string(self, v):
        e = v.encode()
        self.uint32(len(e))
        self.b += e + b"\0"

    def signature(self, v):
        e = v.encode()
        self.byte(len(e))
        self.b += e + b"\0"


METHOD_CALL, METHOD_RETURN, ERROR, SIGNAL = 1, 2, 3, 4


def dbus_message(kind, serial, fields, body_signature="", body=b""):
    m = Marshal()
    m.b += b"l" + bytes([kind, 0, 1])
    m.uint32(len(body))
    m.uint32(serial)
    if body_signature:
        fields = fields + [(8, "g", body_signature)]
    m.uint32(0)
    length_at = len(m.b) - 4
    m.pad(8)
    start = len(m.b)
    for code, kind_of_value, value in fields:
        m.pad(8)
        m.byte(code)
        m.signature(kind_of_value)
        if kind_of_value == "g":
            m.signature(value)
        else:
            m.string(value)
    struct.pack_into("<I", m.b, length_at, len(m.b) - start)
    m.pad(8)
    return bytes(m.b) + body


class BusPeer:
    def __init__(self, address):
        path = None
        for part in address.split(":", 1)[1].split(","):
            key, _, value = part.partition("=")
            if key == "path":
                path = value
            elif key == "abstract":
                path = "\0" + value
        if path is None:
            raise RuntimeError("cannot reach bus address " + address)
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.settimeout(10)
        self.sock.connect(path)
        uid = str(os.getuid()).encode().hex()
        self.sock.sendall(b"\0AUTH EXTERNAL " + uid.encode() + b"\r\n")
        line = self._line()
        if not line.startswith(b"OK"):
            raise RuntimeError("bus refused us: %r" % line)
        self.sock.sendall(b"BEGIN\r\n")
        self.serial = 0
        self.buffer = b""
        self.call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "Hello")

    def _line(self):
        data = b""
        while not data.endswith(b"\r\n"):
            chunk = self.sock.recv(1)
            if not chunk:
                raise RuntimeError("bus closed the connection")
            data += chunk
        return data

    def _read(self, n):
        while len(self.buffer) < n:
            chunk = self.sock.recv(4096)
            if not chunk:
                raise RuntimeError("bus closed the connection")
            self.buffer += chunk
        data, self.buffer = self.buffer[:n], self.buffer[n:]
        return data

    def _next_message(self):
        fixed = self._read(16)
        kind = fixed[1]
        body_length, _, fields_length = struct.unpack("<III", fixed[4:16])
        header = fields_length + (-(16 + fields_length) % 8)
        self._read(header)
        self._read(body_length)
        return kind

    def call(self, destination, path, interface, member, body_signature="", body=b""):
        """Sends a method call and waits for its answer, which also means that
        the bus has routed everything this peer sent before it."""
        self.serial += 1
        fields = [(1, "o", path), (2, "s", interface), (3, "s", member), (6, "s", destination)]
        self.sock.sendall(dbus_message(METHOD_CALL, self.serial, fields, body_signature, body))
        while True:
            kind = self._next_message()
            if kind == ERROR:
                raise RuntimeError("%s.%s failed" % (interface, member))
            if kind == METHOD_RETURN:
                return

    def own(self, name):
        m = Marshal()
        m.string(name)
        m.uint32(4)  # DBUS_NAME_FLAG_DO_NOT_QUEUE
        self.call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                  "RequestName", "su", bytes(m.b))

    def prepare_for_sleep(self, start):
        self.serial += 1
        fields = [(1, "o", "/org/freedesktop/login1"),
                  (2, "s", "org.freedesktop.login1.Manager"), (3, "s", "PrepareForSleep")]
        body = struct.pack("<I", 1 if start else 0)
        self.sock.sendall(dbus_message(SIGNAL, self.serial, fields, "b", body))
        self.call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetId")

    def close(self):
        self.sock.close()


BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <listen>unix:path={path}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


# ---------------------------------------------------------------------------


class Processes:
    """Children of this test, ended by their own pid and nothing else."""

    def __init__(self):
        self.children = []

    def start(self, args, **kwargs):
        child = subprocess.Popen(args, **kwargs)
        self.children.append(child)
        return child

    def end_all(self):
        for child in reversed(self.children):
            if child.poll() is None:
                child.terminate()
                try:
                    child.wait(10)
                except subprocess.TimeoutExpired:
                    child.kill()
                    child.wait(10)


def start_bus(processes, folder):
    config = os.path.join(folder, "bus.conf")
    with open(config, "w") as f:
        f.write(BUS_CONFIG.format(path=os.path.join(folder, "system_bus_socket")))
    daemon = processes.start(["dbus-daemon", "--config-file=" + config, "--nofork",
                              "--print-address"], stdout=subprocess.PIPE)
    address = daemon.stdout.readline().decode().strip()
    if not address:
        fail("dbus-daemon gave no address")
    return address


def start_x(processes):
    read_end, write_end = os.pipe()
    # -noreset: the program's display check is a client of its own, and a
    # server that resets when it leaves can refuse the program a moment later.
    processes.start(["Xvfb", "-displayfd", str(write_end), "-nolisten", "tcp", "-noreset",
                     "-screen", "0", "1280x1024x24"],
                    pass_fds=(write_end,), stdout=subprocess.DEVNULL,
                    stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_end, 16)
        if not chunk:
            fail("Xvfb did not start")
        number += chunk
    os.close(read_end)
    return ":" + number.decode().strip()


def wait_for_window(display, deadline):
    env = dict(os.environ, DISPLAY=display)
    while time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--name", "^Morvatel$"], env=env,
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        if found.returncode == 0 and found.stdout.strip():
            return time.monotonic()
        time.sleep(0.05)
    return None


def wait_for_requests(server, count, deadline):
    while time.monotonic() < deadline:
        requests = server.snapshot()
        if len(requests) >= count:
            return requests
        time.sleep(0.02)
    return server.snapshot()


def log_lines(folders):
    for folder in folders:
        path = os.path.join(folder, "Morvatel.log")
        if os.path.exists(path):
            with open(path, "rb") as f:
                return [line for line in f.read().decode("utf-8", "replace").split("\r\n") if line]
    return []


def wait_for_log(folders, count, deadline):
    lines = []
    while time.monotonic() < deadline:
        lines = log_lines(folders)
        if len(lines) >= count:
            return lines
        time.sleep(0.05)
    return lines


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    program = os.path.abspath(sys.argv[1])
    for tool in ("Xvfb", "xdotool", "dbus-daemon", "setpriv"):
        if shutil.which(tool) is None:
            print("SKIP: %s is not installed" % tool)
            return SKIP

    work = tempfile.mkdtemp(prefix="morvatel-triggers-")
    processes = Processes()
    server = None
    logind = None
    try:
        try:
            server = FakeServer(SERVER)
        except OSError as error:
            fail("cannot serve on %s:123 (%s)" % (SERVER, error))

        bin_folder = os.path.join(work, "bin")
        home = os.path.join(work, "home")
        config_home = os.path.join(work, "config")
        for folder in (bin_folder, home, config_home):
            os.makedirs(folder)
        copy = os.path.join(bin_folder, "morvatel")
        shutil.copy2(program, copy)
        with open(os.path.join(bin_folder, "Morvatel.ini"), "wb") as f:
            f.write("\r\n".join([
                "[Morvatel 1.10]",
                "NTPatRun=Yes",
                "NTPatResume=Yes",
                "NTPatRun_Delay=60000",
                "NTPatResume_Delay=%d" % DELAY_MS,
                "NTP_Server=" + SERVER,
                "NTP_Logging=Yes",
                "NTP_ShowDialog=No",
                "NTPbyTimer=No",
                "FixWindowPosition=No",
                "",
            ]).encode())

        bus_address = start_bus(processes, work)
        display = start_x(processes)
        env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": home,
            "XDG_CONFIG_HOME": config_home,
            "XDG_RUNTIME_DIR": work,
            "DISPLAY": display,
            "QT_QPA_PLATFORM": "xcb",
            "DBUS_SYSTEM_BUS_ADDRESS": bus_address,
            # Nothing of the desktop session running this test.
            "DBUS_SESSION_BUS_ADDRESS": bus_address,
            "LANG": "C.UTF-8",
        }
        stderr_path = os.path.join(work, "stderr.txt")
        with open(stderr_path, "wb") as stderr_file:
            launched = time.monotonic()
            program_process = processes.start(
                ["setpriv", "--bounding-set=-sys_time", "--inh-caps=-sys_time", copy,
                 "--dry-run"],
                env=env, cwd=home, stdout=stderr_file, stderr=stderr_file)

        def program_output():
            with open(stderr_path, "rb") as f:
                return f.read().decode("utf-8", "replace")

        shown = wait_for_window(display, launched + 30)
        if shown is None:
            fail("the clock window never appeared\n" + program_output())

        # The start-up run: one request, a delay after start-up.
        requests = wait_for_requests(server, 1, shown + 15)
        if not requests:
            fail("no request after start-up\n" + program_output())
        first = requests[0][0]
        if requests[0][1] != 48:
            fail("the request has %d bytes" % requests[0][1])
        if first - launched < DELAY_MS / 1000.0:
            fail("the start-up run came %.3f s after launch, before the delay" % (first - launched))
        if not 0.8 <= first - shown <= 4.0:
            fail("the start-up run came %.3f s after the window appeared" % (first - shown))
        lines = wait_for_log([bin_folder, os.path.join(config_home, "morvatel")], 1, first + 10)
        if len(lines) != 1 or not lines[0].startswith("NTP:OK ") or (" %s " % SERVER) not in lines[0]:
            fail("log after start-up: %r\n%s" % (lines, program_output()))

        # Quiet until something wakes the machine.
        time.sleep(1.5)
        if len(server.snapshot()) != 1:
            fail("more than one start-up request: %r" % server.snapshot())

        # A suspend notice and then the resume, as logind sends them.
        logind = BusPeer(bus_address)
        logind.own("org.freedesktop.login1")
        logind.prepare_for_sleep(True)
        time.sleep(0.3)
        resumed = time.monotonic()
        logind.prepare_for_sleep(False)
        requests = wait_for_requests(server, 2, resumed + 10)
        if len(requests) < 2:
            fail("no request after the resume\n" + program_output())
        if not 0.95 <= requests[1][0] - resumed <= 4.0:
            fail("the resume run came %.3f s after the notice" % (requests[1][0] - resumed))
        lines = wait_for_log([bin_folder, os.path.join(config_home, "morvatel")], 2,
                             requests[1][0] + 10)
        if len(lines) != 2 or not lines[1].startswith("NTP:OK "):
            fail("log after the resume: %r" % lines)
        time.sleep(1.5)
        if len(server.snapshot()) != 2:
            fail("the suspend notice or the resume brought extra runs: %r" % server.snapshot())

        if program_process.poll() is not None:
            fail("the program ended by itself\n" + program_output())
        print("PASS: start-up run after %.3f s, resume run after %.3f s"
              % (first - shown, requests[1][0] - resumed))
        return 0
    finally:
        if logind is not None:
            logind.close()
        processes.end_all()
        if server is not None:
            server.close()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
