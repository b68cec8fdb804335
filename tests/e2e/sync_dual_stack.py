#!/usr/bin/env python3
"""A name with an IPv6 and an IPv4 address where only one of them answers.

Runs in private mount and network namespaces with only loopback up, where a
bind-mounted /etc/hosts maps the test name to ::1 and 127.0.0.4. With no
non-loopback address in either family, getaddrinfo's AI_ADDRCONFIG keeps ::1.
Exits 77 where the namespaces cannot be made or ::1 cannot be bound.
"""

import os
import socket
import subprocess
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True  # keep the source tree clean

import fake_sntp
import sync_support

PROGRAM = None
NAME = "dual-stack.morvatel.test"
V4 = "127.0.0.4"
V6 = "::1"
INSIDE = "MORVATEL_DUAL_STACK_INSIDE"


class DualStack(unittest.TestCase):
    def test_the_answering_family_wins_within_a_second(self):
        for silent, answering in ((V6, V4), (V4, V6)):
            with self.subTest(silent=silent), sync_support.Sandbox(PROGRAM) as box, \
                    fake_sntp.FakeServer(silent, "silent"), \
                    fake_sntp.FakeServer(answering, "good"):
                box.write_settings(NTP_Server="127.0.0.1", NTP_Logging="Yes")
                result = box.run("--sync", NAME, "--dry-run")
                self.assertEqual(result.returncode, 0, result.err)
                self.assertIn("と同期しました。", result.out)
                self.assertLess(result.elapsed, 1.0)
                self.assertRegex(box.log_lines()[0], r"^NTP:OK .* " + NAME + r" \d+\.\dms ")


def enter_namespaces():
    """Re-runs this script inside fresh mount and network namespaces."""
    command = ["unshare", "-m", "-n", "--propagation", "private",
               sys.executable] + sys.argv
    try:
        return subprocess.run(command, env={**os.environ, INSIDE: "1"}).returncode
    except OSError as error:
        sync_support.skip("unshare: %s" % error)


def prepare_inside():
    if subprocess.run(["ip", "link", "set", "lo", "up"]).returncode != 0:
        sync_support.skip("cannot bring lo up in the namespace")
    try:
        with socket.socket(socket.AF_INET6, socket.SOCK_DGRAM) as probe:
            probe.bind((V6, 0))
    except OSError as error:
        sync_support.skip("::1 cannot be bound: %s" % error)
    hosts = tempfile.NamedTemporaryFile("w", prefix="morvatel-hosts-", delete=False)
    hosts.write("127.0.0.1 localhost\n%s %s\n%s %s\n" % (V6, NAME, V4, NAME))
    hosts.close()
    if subprocess.run(["mount", "--bind", hosts.name, "/etc/hosts"]).returncode != 0:
        sync_support.skip("cannot bind-mount /etc/hosts in the namespace")
    families = {info[0] for info in socket.getaddrinfo(NAME, 123, type=socket.SOCK_DGRAM,
                                                         flags=socket.AI_ADDRCONFIG)}
    if families != {socket.AF_INET, socket.AF_INET6}:
        sync_support.skip("the resolver does not give both families here")


if __name__ == "__main__":
    sync_support.require_privileges()
    if os.environ.get(INSIDE) != "1":
        code = enter_namespaces()
        sys.exit(code if code in (0, 1, sync_support.SKIP) else 1)
    PROGRAM = sys.argv.pop(1)
    prepare_inside()
    unittest.main(verbosity=2)
