#!/usr/bin/env python3
"""--sync without --dry-run, with python3-dbusmock's timedated as the system's
time service. While its NTP property is on, SetTime is refused the way
timedated refuses it: the run reports the offset it measured, logs its own NG
line and exits 1. With NTP off the same run sets the clock through the mock.

Safety: nothing here may set this machine's clock. The program runs without
CAP_SYS_TIME (checked before it starts), so clock_settime fails, and its
system bus is a private one in a temporary folder: a root process reaching the
machine's own timedated would be allowed to set the real clock.

Usage: sync_timedated.py <path of the built morvatel>
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile

import dbus_mock
import sync_support
from fake_sntp import FakeServer

SERVER = "127.0.0.7"
SERVER_OFFSET = -2.5  # the fake server's clock is behind ours
CAP_SYS_TIME = 25
TIMEDATE = "org.freedesktop.timedate1"

# The installed template accepts SetTime whatever NTP says.
REFUSE_WHILE_NTP = (
    "if self.Get('org.freedesktop.timedate1', 'NTP'):\n"
    "    raise dbus.exceptions.DBusException('Automatic time synchronization is enabled',\n"
    "        name='org.freedesktop.timedate1.AutomaticTimeSyncEnabled')\n")


def fail(text):
    print("FAIL: " + text, file=sys.stderr)
    sys.exit(1)


def clock_rights_are_dropped():
    status = subprocess.run(sync_support.without_clock_rights(["cat", "/proc/self/status"]),
                            capture_output=True, text=True, check=True).stdout
    for line in status.splitlines():
        name, _, value = line.partition(":")
        if name in ("CapEff", "CapPrm", "CapBnd") and int(value, 16) >> CAP_SYS_TIME & 1:
            return False
    return True


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    program = os.path.abspath(sys.argv[1])
    sync_support.require_privileges()
    if not dbus_mock.importable():
        sync_support.skip("python3-dbusmock is not installed")
    if not clock_rights_are_dropped():
        fail("setpriv did not drop CAP_SYS_TIME; not running the program")

    work = tempfile.mkdtemp(prefix="morvatel-timedated-")
    processes = dbus_mock.Processes()
    try:
        bus = dbus_mock.PrivateSystemBus(work, processes)
        timedated = bus.spawn("timedated", NTP=True)
        timedated.AddMethod(TIMEDATE, "SetTime", "xbb", "", REFUSE_WHILE_NTP,
                            dbus_interface=dbus_mock.MOCK_IFACE)
        ahead = r"2\.[45]\d\d 秒 \(このコンピューターの時計が進んでいます\)"
        rows = [
            # name, NTP, exit code, output, log line after the server
            ("time service on", True, 1,
             "システムの時刻同期サービスが時計を合わせているため、時刻は変更しませんでした。\n\n"
             "NTPサーバー '127\\.0\\.0\\.7' との差: " + ahead + "\n",
             "- - 0 morvatel:SystemTimeServiceActive"),
            ("time service off", False, 0,
             "システムの時刻を '127\\.0\\.0\\.7' と同期しました。\n(.*\n)+",
             r"\d+\.\dms 00:00:0[23] - -"),
        ]
        with FakeServer(SERVER, offset=SERVER_OFFSET):
            for name, ntp, code, output, log_tail in rows:
                timedated.SetNTP(ntp, False, dbus_interface=TIMEDATE)
                timedated.ClearCalls(dbus_interface=dbus_mock.MOCK_IFACE)
                with sync_support.Sandbox(program) as box:
                    box.write_settings(NTP_Logging="Yes", NTP_Server=SERVER)
                    result = box.run("--sync", system_bus=bus.address)
                    shown = result.out + result.err
                    if result.returncode != code or not re.fullmatch(output, shown):
                        fail("%s: exit %d, output %r" % (name, result.returncode, shown))
                    log = box.log_lines()
                    expected = r"NTP:(NG|OK) [\d/]+ [\d:]+ 127\.0\.0\.7 " + log_tail
                    if len(log) != 1 or not re.fullmatch(expected, log[0]):
                        fail("%s: log %r" % (name, log))
                calls = [c for c in timedated.GetCalls(dbus_interface=dbus_mock.MOCK_IFACE)
                         if c[1] == "SetTime"]
                # Relative, and backwards by about what the server is behind.
                if (len(calls) != 1 or not calls[0][2][1]
                        or abs(calls[0][2][0] / 1e6 - SERVER_OFFSET) > 0.1):
                    fail("%s: SetTime calls %r" % (name, calls))
        print("PASS")
        return 0
    finally:
        processes.end_all()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
