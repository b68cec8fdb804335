#!/usr/bin/env python3
"""The key exchange on its own, by a probe built on the program's client:
against chronyd (cookies and keys), and against a scripted server for each
way it can fail."""

import os
import re
import socket
import struct
import subprocess
import sys
import tempfile
import time
import unittest

sys.dont_write_bytecode = True  # keep the source tree clean

import nts_rig
import sync_support

PROBE = None
CERTS = None


def record(kind, body=b"", critical=True):
    return struct.pack(">HH", kind | (0x8000 if critical else 0), len(body)) + body


GOOD = (record(1, b"\0\0") + record(4, b"\0\x0f") + record(5, b"C" * 64, False)
        + record(0))


def probe(host="localhost", trust="rig"):
    env = dict(os.environ, SSL_CERT_FILE=CERTS[trust][0], HOME=tempfile.mkdtemp())
    env.pop("SSL_CERT_DIR", None)
    done = subprocess.run([PROBE, host, str(nts_rig.KE_PORT)], env=env, capture_output=True,
                          text=True, timeout=30)
    return done.stdout


class AgainstChronyd(unittest.TestCase):
    def test_cookies_and_keys(self):
        with nts_rig.NtsChronyd(*CERTS["rig"]):
            for host in ("localhost", "127.0.0.1"):
                with self.subTest(host):
                    out = probe(host)
                    self.assertRegex(out, r"^outcome=OK code=0 cookies=8 c2s=32 s2c=32 "
                                          r"keys_differ=1 server= port=%d\n" % nts_rig.NTP_PORT)
                    self.assertEqual(len(re.findall(r"^cookie=\d+$", out, re.M)), 8, out)


class Failures(unittest.TestCase):
    CASES = [
        # name, certificate served, trust store, host, answer, outcome
        ("untrusted", "rig", "other", "localhost", GOOD, "NTS-KE:CertificateUntrusted"),
        ("wrong_name", "other", "other", "localhost", GOOD, "NTS-KE:CertificateWrongName"),
        ("by_address", "rig", "rig", "127.0.0.1", GOOD, None),
        ("expired", "expired", "expired", "localhost", GOOD, "NTS-KE:CertificateExpired"),
        ("error_record", "rig", "rig", "localhost", record(2, b"\0\x01") + record(0),
         "NTS-KE:ServerError code=1"),
        ("warning_record", "rig", "rig", "localhost", record(3, b"\0\x07") + GOOD,
         "NTS-KE:ServerWarning code=7"),
        ("cut_short", "rig", "rig", "localhost", GOOD[:-4], "NTS-KE:BadRecords"),
    ]

    def test_each(self):
        for name, served, trust, host, answer, expected in self.CASES:
            with self.subTest(name), nts_rig.FakeKeServer(*CERTS[served], answer) as server:
                out = probe(host, trust)
                if expected is None:
                    self.assertTrue(out.startswith("outcome=OK "), out)
                    self.assertEqual(server.requests[0],
                                     bytes.fromhex("80010002000080040002000f80000000"))
                else:
                    self.assertTrue(out.startswith("outcome=" + expected + " "), out)

    def test_nothing_listening(self):
        self.assertTrue(probe().startswith("outcome=NTS-KE:Refused "))

    def test_silent_server(self):
        # The kernel completes the connection; nobody ever answers the hello.
        with socket.create_server(("127.0.0.1", nts_rig.KE_PORT)):
            started = time.monotonic()
            out = probe()
            self.assertTrue(out.startswith("outcome=NTS-KE:TimedOut "), out)
            self.assertLess(time.monotonic() - started, 8)


if __name__ == "__main__":
    PROBE = sys.argv.pop(1)
    sync_support.require_privileges()
    with tempfile.TemporaryDirectory() as folder:
        san = "DNS:localhost,IP:127.0.0.1"
        CERTS = {
            "rig": nts_rig.make_certificate(folder, "localhost", san),
            "other": nts_rig.make_certificate(folder, "other", "DNS:other.example"),
            "expired": nts_rig.make_certificate(folder, "expired", san, "2020-01-01"),
        }
        result = unittest.main(verbosity=2, exit=False).result
    sys.exit(0 if result.wasSuccessful() else 1)
