#!/usr/bin/env python3
"""morvatel --query --nts and --sync --nts against chronyd serving NTS on
loopback, directly and through a man in the middle that changes the NTP
datagrams, which can move a plain run but not an authenticated one."""

import os
import re
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True  # keep the source tree clean

import nts_rig
import sync_support

PROGRAM = None
CERT = None
QUERY = re.compile(r"server: (\S+)\nstratum: 8\noffset: ([+-]\d+\.\d{6}) s\n"
                   r"delay: (\d+\.\d{6}) s\nauthenticated: NTS\n")


def query(server, *args, **settings):
    with sync_support.Sandbox(PROGRAM) as box:
        box.write_settings(**dict({"NTP_Server": "127.0.0.1", "NTS_Port": nts_rig.KE_PORT},
                                  **settings))
        return box.run(*(args or ("--query", "--nts")), server,
                       extra_env={"SSL_CERT_FILE": CERT})


def shift_transmit(reply):
    """What a man in the middle does to a plain reply: a second later."""
    moved = bytearray(reply)
    seconds = (int.from_bytes(moved[40:44], "big") + 1) & 0xffffffff
    moved[40:44] = seconds.to_bytes(4, "big")
    return bytes(moved)


def without_authenticator(reply):
    cut = [at for at, kind, _ in nts_rig.fields(reply) if kind == 0x0404]
    return reply[:cut[0]] if cut else reply


class Spoiled:
    """Spoils the cookie of the first request only, so the server answers
    NTSN once."""

    def __init__(self):
        self.done = False

    def __call__(self, request):
        if self.done:
            return request
        self.done = True
        spoiled = bytearray(request)
        at = [at for at, kind, _ in nts_rig.fields(request) if kind == 0x0204][0]
        spoiled[at + 8] ^= 0xff
        return bytes(spoiled)


class NtsQuery(unittest.TestCase):
    def test_authenticated_offset(self):
        result = query("localhost")
        self.assertEqual(result.returncode, 0, result.err)
        match = QUERY.fullmatch(result.out)
        self.assertTrue(match, result.out)
        self.assertLess(abs(float(match.group(2))), 0.005)
        stats = chronyd.serverstats()
        self.assertGreaterEqual(int(stats["Authenticated NTP packets"]), 1, stats)

    def test_man_in_the_middle(self):
        cases = [
            # name, request, reply, expected error or None, NTP requests
            ("passed_through", None, None, None, 1),
            ("transmit_moved", None, shift_transmit, "認証された応答がありません", 1),
            ("authenticator_stripped", None, without_authenticator,
             "認証された応答がありません", 1),
            # One new key exchange, one more request, and no more.
            ("ntsn_then_new_keys", Spoiled(), None, None, 2),
        ]
        for name, request, reply, error, requests in cases:
            with self.subTest(name), nts_rig.Proxy(request, reply) as proxy:
                result = query(nts_rig.PROXY_ADDRESS)
                if error is None:
                    self.assertEqual(result.returncode, 0, result.err)
                    self.assertTrue(QUERY.fullmatch(result.out), result.out)
                else:
                    self.assertEqual(result.returncode, 1, result.out)
                    self.assertIn(error, result.err)
                self.assertEqual([w[0] for w in proxy.wire].count("request"), requests)
                print("  %s: %.2f s, %s" % (name, result.elapsed, proxy.wire), file=sys.stderr)

    def test_the_same_man_moves_a_plain_run(self):
        with nts_rig.Proxy(reply=shift_transmit, udp_port=123):
            result = query(nts_rig.PROXY_ADDRESS, "--query")
        self.assertEqual(result.returncode, 0, result.err)
        offset = float(re.search(r"offset: ([+-]\d+\.\d+) s", result.out).group(1))
        self.assertAlmostEqual(offset, 1.0, delta=0.05)

    def test_sync_is_authenticated_and_logged_as_such(self):
        # --nts on the command line, or NTS=Yes in the file.
        for name, args, settings in [("option", ("--sync", "--nts", "--dry-run"), {}),
                                     ("setting", ("--sync", "--dry-run"), {"NTS": "Yes"})]:
            with self.subTest(name), sync_support.Sandbox(PROGRAM) as box:
                before = int(chronyd.serverstats()["Authenticated NTP packets"])
                box.write_settings(NTP_Server="localhost", NTS_Port=nts_rig.KE_PORT,
                                   NTP_Logging="Yes", **settings)
                result = box.run(*args, extra_env={"SSL_CERT_FILE": CERT})
                self.assertEqual(result.returncode, 0, result.err)
                self.assertIn("時刻は NTS で認証されました。", result.out)
                [line] = box.log_lines()
                self.assertRegex(line, r"^NTP:OK .* localhost .* - NTS$")
                after = int(chronyd.serverstats()["Authenticated NTP packets"])
                self.assertGreater(after, before)

    def test_key_exchange_port_closed(self):
        result = query("localhost", NTS_Port=nts_rig.KE_PORT + 1)
        self.assertEqual(result.returncode, 1)
        self.assertRegex(result.err, r"^エラー: NTS キー交換サーバー 'localhost' に接続を拒否され")


if __name__ == "__main__":
    PROGRAM = sys.argv.pop(1)
    sync_support.require_privileges()
    with tempfile.TemporaryDirectory() as folder:
        CERT, key = nts_rig.make_certificate(
            folder, "localhost", "DNS:localhost,IP:127.0.0.1,IP:" + nts_rig.PROXY_ADDRESS)
        with nts_rig.NtsChronyd(CERT, key) as chronyd:
            result = unittest.main(verbosity=2, exit=False).result
    sys.exit(0 if result.wasSuccessful() else 1)
