"""Shared pieces of the synchronisation end-to-end tests.

The program always runs with CAP_SYS_TIME dropped and with no way to reach
timedated, so no test can move this machine's clock, whatever it asks for.
Servers are on loopback addresses only.
"""

import glob
import os
import shutil
import subprocess
import sys
import tempfile
import time

import fake_sntp

SKIP = 77
CHRONYD = "/usr/sbin/chronyd"
NO_SYSTEM_BUS = "unix:path=/nonexistent/morvatel-test/system_bus_socket"


def skip(reason):
    print("SKIP: " + reason)
    sys.exit(SKIP)


def require_privileges():
    # Port 123 needs root, and only root can drop the capability for sure.
    if os.geteuid() != 0:
        skip("needs root for port 123 and for dropping CAP_SYS_TIME")
    if shutil.which("setpriv") is None:
        skip("setpriv (util-linux) is missing")


def on_cpu_ns(pid):
    """Nanoseconds all threads of process pid have run, from schedstat."""
    total = 0
    for path in glob.glob("/proc/%d/task/*/schedstat" % pid):
        try:
            with open(path) as f:
                total += int(f.read().split()[0])
        except OSError:
            pass
    return total


def without_clock_rights(command):
    return ["setpriv", "--bounding-set=-sys_time", "--inh-caps=-sys_time"] + command


class Sandbox:
    """A copy of the program in its own folder, so its Morvatel.ini and
    Morvatel.log land there, with a home of its own."""

    def __init__(self, program):
        self.root = tempfile.mkdtemp(prefix="morvatel-sync-")
        self.bin = os.path.join(self.root, "bin")
        self.home = os.path.join(self.root, "home")
        os.makedirs(self.bin)
        os.makedirs(self.home)
        self.program = os.path.join(self.bin, "morvatel")
        shutil.copy2(program, self.program)
        # The folder as a user would carry it: NTS comes from a module
        # beside the program.
        module = os.path.join(os.path.dirname(program), "morvatel-nts.so")
        if os.path.exists(module):
            shutil.copy2(module, self.bin)

    def close(self):
        shutil.rmtree(self.root, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def write_settings(self, **keys):
        lines = ["[Morvatel 1.10]"] + ["%s=%s" % item for item in keys.items()]
        with open(os.path.join(self.bin, "Morvatel.ini"), "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")

    @property
    def log_path(self):
        return os.path.join(self.bin, "Morvatel.log")

    def log_lines(self):
        if not os.path.exists(self.log_path):
            return []
        with open(self.log_path, "rb") as f:
            data = f.read().decode("utf-8")
        assert data == "" or data.endswith("\r\n"), repr(data)
        return data.split("\r\n")[:-1]

    def run(self, *args, timeout=30, system_bus=NO_SYSTEM_BUS, extra_env=None):
        env = dict(extra_env or {})
        env.update({
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": self.home,
            "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
            "XDG_RUNTIME_DIR": self.root,
            "DBUS_SYSTEM_BUS_ADDRESS": system_bus,
            "LANG": "C.UTF-8",
            "TZ": "UTC",
        })
        started = time.monotonic()
        result = subprocess.run(without_clock_rights([self.program] + list(args)),
                                env=env, cwd=self.root, capture_output=True,
                                timeout=timeout)
        result.elapsed = time.monotonic() - started
        result.out = result.stdout.decode("utf-8")
        result.err = result.stderr.decode("utf-8")
        return result


class Chronyd:
    """A real chronyd serving this machine's clock on one loopback address,
    never steering it (-x, and no CAP_SYS_TIME either)."""

    def __init__(self, address="127.0.0.1"):
        if not os.path.exists(CHRONYD):
            skip("chronyd is not installed")
        self.address = address
        self.dir = tempfile.mkdtemp(prefix="morvatel-chronyd-")
        conf = os.path.join(self.dir, "chrony.conf")
        with open(conf, "w") as f:
            f.write("\n".join([
                "bindaddress " + address,
                "port 123",
                "cmdport 0",
                "bindcmdaddress /",
                "local stratum 10",
                "allow " + address,
                "pidfile " + os.path.join(self.dir, "chronyd.pid"),
                "driftfile " + os.path.join(self.dir, "drift"),
            ]) + "\n")
        self.output = open(os.path.join(self.dir, "chronyd.log"), "w")
        self.process = subprocess.Popen(
            without_clock_rights([CHRONYD, "-x", "-d", "-u", "root", "-f", conf]),
            stdout=self.output, stderr=subprocess.STDOUT)
        deadline = time.monotonic() + 15
        while fake_sntp.query(address, timeout=0.3) is None:
            if self.process.poll() is not None or time.monotonic() > deadline:
                self.close()
                raise RuntimeError("chronyd did not come up")

    def close(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.output.close()
        shutil.rmtree(self.dir, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
