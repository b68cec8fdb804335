#!/usr/bin/env python3
"""A scriptable SNTP server for the end-to-end tests, loopback only.

Each mode answers a request in one particular good or bad way. Import it and
use FakeServer, or run it by hand:

    python3 fake_sntp.py --address 127.0.0.2 --mode late --delay 0.8
"""

import argparse
import os
import socket
import struct
import threading
import time

NTP_DELTA = 2208988800
FORGED_SHIFT = 3600.0  # what a forged reply would move the clock by

MODES = (
    "good",          # a sound reply
    "short",         # 47 bytes
    "long",          # 68 bytes: 48 and an authenticator
    "late",          # a sound reply after `delay` seconds
    "silent",        # nothing at all
    "garbled",       # our origin echoed, the rest noise with a time before 1970
    "spoof-port",    # a forged reply from another port first, then a sound one
    "spoof-addr",    # a forged reply from another loopback address first
    "wrong-origin",  # a forged reply that answers no request of ours first
    "leap3",         # leap indicator 3: the server is not synchronised
    "stratum0",      # kiss-o'-death
    "mode3",         # a client's request, not a server's reply
    "version0",      # version number 0
    "stratum16",     # unsynchronised
    "year1970",      # a sound reply dated 1970-01-02, older than any build
    "era1",          # a sound reply dated 2040, in NTP era 1
    "rootdelay",     # root delay of 17 s
    "rate",          # kiss-o'-death RATE
    "deny",          # kiss-o'-death DENY
)

# 2040-01-01 00:00:00 UTC, after the 32-bit NTP seconds wrap in 2036 (it is
# by chance the same number as the 1900-to-1970 shift).
ERA1_UNIX = 2208988800


def is_loopback(address):
    return address.startswith("127.") or address in ("::1", "::ffff:127.0.0.1")


def ntp_stamp(t):
    seconds = int(t)
    fraction = int((t - seconds) * 2**32) & 0xFFFFFFFF
    return struct.pack("!II", (seconds + NTP_DELTA) & 0xFFFFFFFF, fraction)


def reply_bytes(request, received, offset=0.0, leap=0, stratum=2, origin=None, mode=4,
                version=4, root_delay=0, refid=b"LOCL"):
    """48 bytes answering request; the server's clock is time.time()+offset."""
    header = struct.pack("!BBbb", (leap << 6) | (version << 3) | mode, stratum, 6, -20)
    root = struct.pack("!II", root_delay, 0) + refid
    reference = ntp_stamp(received + offset - 10)
    echo = request[40:48] if origin is None else origin
    return (header + root + reference + echo + ntp_stamp(received + offset)
            + ntp_stamp(time.time() + offset))


class FakeServer:
    """Listens on address:123 and answers each request as `mode` says."""

    def __init__(self, address="127.0.0.2", mode="good", delay=0.0, offset=0.0,
                 port=123):
        if not is_loopback(address):
            raise ValueError("the fake server serves loopback only")
        if mode not in MODES:
            raise ValueError("unknown mode " + mode)
        self.address = address
        self.mode = mode
        self.delay = delay
        self.offset = offset
        self.requests = []
        self._arrivals = []  # (monotonic time, length) of each request
        self._lock = threading.Lock()
        family = socket.AF_INET6 if ":" in address else socket.AF_INET
        self._sock = socket.socket(family, socket.SOCK_DGRAM)
        self._sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self._sock.bind((address, port))
        self._sock.settimeout(0.2)
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._serve, daemon=True)
        self._thread.start()

    def close(self):
        self._stop.set()
        self._thread.join()
        self._sock.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def _serve(self):
        while not self._stop.is_set():
            try:
                request, peer = self._sock.recvfrom(1024)
            except socket.timeout:
                continue
            arrived = time.monotonic()
            received = time.time()
            if not is_loopback(peer[0]):
                continue
            with self._lock:
                self.requests.append(request)
                self._arrivals.append((arrived, len(request)))
            self._answer(request, peer, received)

    def snapshot(self):
        """(monotonic arrival time, length) of every request so far."""
        with self._lock:
            return list(self._arrivals)

    def _send_from(self, address, port, data, peer):
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as other:
            other.bind((address, port))
            other.sendto(data, peer)

    def _answer(self, request, peer, received):
        mode = self.mode
        good = lambda: reply_bytes(request, received, self.offset)
        forged = lambda origin=None: reply_bytes(
            request, received, self.offset + FORGED_SHIFT, origin=origin)
        if mode == "silent":
            return
        if mode == "late":
            time.sleep(self.delay)
            self._sock.sendto(good(), peer)
        elif mode == "good":
            self._sock.sendto(good(), peer)
        elif mode == "short":
            self._sock.sendto(good()[:47], peer)
        elif mode == "long":
            self._sock.sendto(good() + bytes(20), peer)
        elif mode == "garbled":
            noise = bytearray(os.urandom(48))
            noise[0] = 0x24
            noise[1] = 1 + noise[1] % 15
            noise[24:32] = request[40:48]
            noise[40:44] = struct.pack("!I", NTP_DELTA - 1)
            self._sock.sendto(bytes(noise), peer)
        elif mode in ("spoof-port", "spoof-addr", "wrong-origin"):
            if mode == "spoof-port":
                self._send_from(self.address, 1123, forged(), peer)
            elif mode == "spoof-addr":
                self._send_from(_neighbour(self.address), 123, forged(), peer)
            else:
                self._sock.sendto(forged(origin=os.urandom(8)), peer)
            time.sleep(0.05)
            self._sock.sendto(good(), peer)
        elif mode == "leap3":
            self._sock.sendto(reply_bytes(request, received, self.offset, leap=3), peer)
        elif mode == "stratum0":
            self._sock.sendto(reply_bytes(request, received, self.offset, stratum=0), peer)
        else:
            kinds = {
                "mode3": dict(mode=3),
                "version0": dict(version=0),
                "stratum16": dict(stratum=16),
                "rootdelay": dict(root_delay=17 << 16),
                "rate": dict(stratum=0, refid=b"RATE"),
                "deny": dict(stratum=0, refid=b"DENY"),
                "year1970": dict(offset=86400.0 - received),
                "era1": dict(offset=ERA1_UNIX - received),
            }
            kind = kinds[mode]
            kind.setdefault("offset", self.offset)
            self._sock.sendto(reply_bytes(request, received, **kind), peer)


def _neighbour(address):
    parts = address.split(".")
    parts[-1] = str(int(parts[-1]) % 250 + 1)
    return ".".join(parts)


def query(address, port=123, timeout=1.0):
    """One plain client request; the reply's bytes or None."""
    if not is_loopback(address):
        raise ValueError("loopback only")
    request = bytearray(48)
    request[0] = 0x23
    request[40:48] = os.urandom(8)
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as sock:
        sock.settimeout(timeout)
        sock.sendto(bytes(request), (address, port))
        try:
            data, _ = sock.recvfrom(1024)
        except socket.timeout:
            return None
    return data if data[24:32] == request[40:48] else None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--address", default="127.0.0.2")
    parser.add_argument("--port", type=int, default=123)
    parser.add_argument("--mode", choices=MODES, default="good")
    parser.add_argument("--delay", type=float, default=0.8)
    parser.add_argument("--offset", type=float, default=0.0)
    args = parser.parse_args()
    server = FakeServer(args.address, args.mode, args.delay, args.offset, args.port)
    print("serving %s on %s:%d" % (args.mode, args.address, args.port), flush=True)
    try:
        while True:
            time.sleep(1)
    except KeyboardInterrupt:
        pass
    server.close()


if __name__ == "__main__":
    main()
