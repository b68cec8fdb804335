#!/usr/bin/env python3
"""The automatic synchronisations of the built program, end to end.

With NTPatRun=Yes and NTPatResume_Delay=1000 the program asks the time server
once, about a second after start-up, and logs it. A PrepareForSleep(false)
from python3-dbusmock's logind on a bus of our own, which the program takes
for its system bus, brings one more request a second later; the suspend
notice before it brings none.

Everything stays on this machine: the fake server answers on 127.0.0.5, the
X server listens on no TCP port, the bus is a private one. The program runs
with --dry-run and without CAP_SYS_TIME, so the clock is never set.

Usage: triggers_e2e.py <path of the built morvatel>
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

import dbus_mock
from fake_sntp import FakeServer

SERVER = "127.0.0.5"
DELAY_MS = 1000
SKIP = 77  # a machine without the tools


def fail(text):
    print("FAIL: " + text, file=sys.stderr)
    sys.exit(1)


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
    if not dbus_mock.importable():
        print("SKIP: python3-dbusmock is not installed")
        return SKIP
    import dbus

    work = tempfile.mkdtemp(prefix="morvatel-triggers-")
    processes = dbus_mock.Processes()
    server = None
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

        bus = dbus_mock.PrivateSystemBus(work, processes)
        bus_address = bus.address
        logind = bus.spawn("logind")
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
        def prepare_for_sleep(start):
            logind.EmitSignal("org.freedesktop.login1.Manager", "PrepareForSleep", "b",
                              [dbus.Boolean(start)], dbus_interface=dbus_mock.MOCK_IFACE)

        prepare_for_sleep(True)
        time.sleep(0.3)
        resumed = time.monotonic()
        prepare_for_sleep(False)
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
        processes.end_all()
        if server is not None:
            server.close()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
