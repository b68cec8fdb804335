#!/usr/bin/env python3
"""--sync --dry-run and --query against a fake server that answers in every
good and bad way the client must survive."""

import re
import sys
import time
import unittest

sys.dont_write_bytecode = True  # keep the source tree clean

import fake_sntp
import sync_support

PROGRAM = None
SERVER = "127.0.0.2"
CANT_SYNC = "\n\n時刻の同期はできませんでした。"


class FakeServerSync(unittest.TestCase):
    def sync(self, mode, delay=0.0, settings=None, extra=()):
        settings = {"NTP_Logging": "Yes", **(settings or {})}
        with sync_support.Sandbox(PROGRAM) as box, \
                fake_sntp.FakeServer(SERVER, mode, delay=delay) as server:
            box.write_settings(**settings)
            result = box.run("--sync", SERVER, "--dry-run", *extra)
            return result, box.log_lines(), list(server.requests)

    def test_failures(self):
        rows = [
            # name, mode, delay, settings, message, logged number and code
            ("short", "short", 0, {}, "エラー: 受信したパケットの長さが不正です。" + CANT_SYNC,
             "0 Winsock:PacketIsn't48Bytes"),
            ("authenticator", "long", 0, {}, "エラー: 受信したパケットの長さが不正です。" + CANT_SYNC,
             "0 Winsock:PacketIsn't48Bytes"),
            ("late", "late", 0.8, {},
             "NTPサーバー '127.0.0.2' の応答時間が許容値を超えました。\n\n時刻の同期を中止しました。",
             "0 morvatel:OverPermissibleDelay"),
            ("silent", "silent", 0, {"NTP_UsePermissibleDelay": "No"},
             "エラー: NTPサーバー '127.0.0.2' の応答がありません。" + CANT_SYNC,
             "0 Winsock:HostDon'tResponse"),
            ("garbled", "garbled", 0, {}, "エラー No.2: 送信時刻から日時を作れません。" + CANT_SYNC,
             "2 Winsock:ErrorAtDataArrival"),
            ("leap indicator 3", "leap3", 0, {},
             "エラー: NTPサーバー '127.0.0.2' の時刻は同期されていません。" + CANT_SYNC,
             "0 morvatel:ServerNotSynchronized"),
            ("stratum 0", "stratum0", 0, {},
             "エラー: NTPサーバー '127.0.0.2' の時刻は同期されていません。" + CANT_SYNC,
             "0 morvatel:ServerNotSynchronized"),
            ("kiss RATE", "rate", 0, {},
             "エラー: NTPサーバー '127.0.0.2' の時刻は同期されていません。" + CANT_SYNC,
             "0 morvatel:ServerNotSynchronized"),
            ("kiss DENY", "deny", 0, {},
             "エラー: NTPサーバー '127.0.0.2' に利用を拒否されました。" + CANT_SYNC,
             "0 morvatel:AccessDenied"),
            ("client mode", "mode3", 0, {},
             "エラー: NTPサーバー '127.0.0.2' からの応答はサーバーの応答ではありません (モード 3)。"
             + CANT_SYNC, "0 morvatel:ReplyNotFromServer"),
            ("version 0", "version0", 0, {},
             "エラー: NTPサーバー '127.0.0.2' の応答のバージョン (0) に対応していません。" + CANT_SYNC,
             "0 morvatel:BadVersion"),
            ("stratum 16", "stratum16", 0, {},
             "エラー: NTPサーバー '127.0.0.2' は同期していない階層 (Stratum 16) を返しました。"
             + CANT_SYNC, "0 morvatel:StratumUnsynchronized"),
            ("root delay 17 s", "rootdelay", 0, {},
             "エラー: NTPサーバー '127.0.0.2' の時刻は誤差が大きすぎます。" + CANT_SYNC,
             "0 morvatel:RootDistanceTooLarge"),
            ("dated 1970", "year1970", 0, {},
             "エラー: NTPサーバー '127.0.0.2' の時刻 (1970/01/02 00:00:00) は古すぎて正しくありません。"
             + CANT_SYNC, "0 morvatel:ServerTimeTooOld"),
        ]
        for name, mode, delay, settings, message, logged in rows:
            with self.subTest(name):
                result, log, _ = self.sync(mode, delay, settings)
                self.assertEqual(result.returncode, 1, result.err)
                self.assertEqual(result.out, "")
                self.assertEqual(result.err, message + "\n")
                self.assertEqual(len(log), 1, log)
                self.assertRegex(log[0], r"^NTP:NG \d{4}/\d\d/\d\d \d\d:\d\d:\d\d 127\.0\.0\.2 - - ")
                self.assertTrue(log[0].endswith(" - - " + logged), log[0])
                if mode == "silent":
                    self.assertGreater(result.elapsed, 4.9)
                    self.assertLess(result.elapsed, 8.0)

    def test_only_the_genuine_answer_counts(self):
        # Each forged reply would move the clock an hour; the difference shown
        # must come from the genuine one that follows it.
        for mode in ("good", "spoof-port", "spoof-addr", "wrong-origin"):
            with self.subTest(mode):
                result, log, requests = self.sync(mode)
                self.assertEqual(result.returncode, 0, result.err)
                self.assertEqual(result.err, "")
                self.assertTrue(result.out.startswith(
                    "システムの時刻を '127.0.0.2' と同期しました。\n\n変更前の時刻: "), result.out)
                self.assertIn("\n差: 00:00:00\n", result.out)
                self.assertRegex(result.out, r"\nStratum: 2　Poll Interval: 6　Precision: -20\n")
                self.assertEqual(len(log), 1, log)
                self.assertRegex(log[0], r"^NTP:OK .* 127\.0\.0\.2 \d+\.\dms 00:00:00 - -$")
                self.assertEqual(len(requests), 1)
                self.assertEqual(len(requests[0]), 48)
                self.assertEqual(requests[0][0], 0x23)
                self.assertNotEqual(requests[0][40:48], bytes(8), "a nonce as transmit time")

    def test_dialog_setting_does_not_silence_the_command_line(self):
        result, log, _ = self.sync("good", settings={"NTP_ShowDialog": "No", "NTP_Logging": "No"})
        self.assertEqual(result.returncode, 0, result.err)
        self.assertIn("と同期しました。", result.out)
        self.assertEqual(log, [])

    def test_query(self):
        with sync_support.Sandbox(PROGRAM) as box:
            box.write_settings(NTP_Logging="Yes")
            with fake_sntp.FakeServer(SERVER, "good", offset=2.5):
                result = box.run("--query", SERVER)
            self.assertEqual(result.returncode, 0, result.err)
            lines = result.out.splitlines()
            self.assertEqual(lines[0:2], ["server: 127.0.0.2", "stratum: 2"])
            offset = re.fullmatch(r"offset: ([+-]\d+\.\d{6}) s", lines[2])
            delay = re.fullmatch(r"delay: (\d+\.\d{6}) s", lines[3])
            self.assertTrue(offset and delay, result.out)
            self.assertAlmostEqual(float(offset.group(1)), 2.5, delta=0.05)
            self.assertLess(float(delay.group(1)), 0.05)

            # A reply from after the NTP seconds wrapped in 2036 is read in
            # the nearer era, not as 1904.
            with fake_sntp.FakeServer(SERVER, "era1"):
                started = time.time()
                era1 = box.run("--query", SERVER)
            self.assertEqual(era1.returncode, 0, era1.err)
            era1_offset = re.search(r"offset: ([+-]\d+\.\d{6}) s", era1.out)
            self.assertAlmostEqual(float(era1_offset.group(1)),
                                   fake_sntp.ERA1_UNIX - started, delta=2.0)

            with fake_sntp.FakeServer(SERVER, "silent"):
                failed = box.run("--query", SERVER)
            self.assertEqual(failed.returncode, 1)
            self.assertEqual(failed.out, "")
            self.assertIn("の応答時間が許容値を超えました。", failed.err)
            self.assertEqual(box.log_lines(), [], "a query logs nothing")


if __name__ == "__main__":
    PROGRAM = sys.argv.pop(1)
    sync_support.require_privileges()
    unittest.main(verbosity=2)
