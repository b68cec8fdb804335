"""A system bus of the test's own, with python3-dbusmock's services on it.

The bus is a dbus-daemon listening on a socket in a temporary folder; the
program finds it through DBUS_SYSTEM_BUS_ADDRESS and never sees the machine's
own system bus, where the real timedated would set the real clock for root.
"""

import json
import os
import subprocess
import sys
import time

SYSTEM_PYTHON = "/usr/bin/python3"
MOCK_IFACE = "org.freedesktop.DBus.Mock"

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


def importable():
    """True when dbusmock and dbus-python load. Debian installs them for the
    system's Python only, so a script started by another interpreter on PATH
    starts again under that one."""
    try:
        import dbus  # noqa: F401
        import dbusmock  # noqa: F401
        return True
    except ImportError:
        pass
    if (os.path.realpath(sys.executable) != os.path.realpath(SYSTEM_PYTHON)
            and os.access(SYSTEM_PYTHON, os.X_OK)):
        os.execv(SYSTEM_PYTHON, [SYSTEM_PYTHON, os.path.abspath(sys.argv[0])] + sys.argv[1:])
    return False


class PrivateSystemBus:
    """The daemon and the mocks are children of processes (Processes)."""

    def __init__(self, folder, processes):
        import dbus
        self._start = processes.start
        self.socket_path = os.path.join(folder, "system_bus_socket")
        config = os.path.join(folder, "bus.conf")
        with open(config, "w") as f:
            f.write(BUS_CONFIG.format(path=self.socket_path))
        daemon = self._start(["dbus-daemon", "--config-file=" + config, "--nofork", "--print-address"],
                       stdout=subprocess.PIPE)
        self.address = daemon.stdout.readline().decode().strip()
        if not self.address.startswith("unix:path=" + self.socket_path):
            raise RuntimeError("dbus-daemon is not on our socket: %r" % self.address)
        self.connection = dbus.bus.BusConnection(self.address)

    def spawn(self, template, **parameters):
        """Starts a dbusmock template on this bus; returns its main object
        once the service owns its name."""
        import dbusmock.mockobject
        module = dbusmock.mockobject.load_module(template)
        env = dict(os.environ, DBUS_SYSTEM_BUS_ADDRESS=self.address)
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        self._start([sys.executable, "-m", "dbusmock", "--system", "-t", template,
                     "-p", json.dumps(parameters)], env=env, stdout=subprocess.DEVNULL)
        deadline = time.monotonic() + 15
        while not self.connection.name_has_owner(module.BUS_NAME):
            if time.monotonic() > deadline:
                raise RuntimeError("the %s mock did not come up" % template)
            time.sleep(0.05)
        return self.connection.get_object(module.BUS_NAME, module.MAIN_OBJ)
