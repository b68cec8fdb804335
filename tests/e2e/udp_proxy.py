#!/usr/bin/env python3
"""A UDP relay that delays, jitters and drops datagrams, loopback only.

The kernel here has no netem, so a bad network path is played in user space:
each datagram waits `delay` seconds plus a random jitter (uniform over
0..jitter, or exponential with mean jitter) and is dropped with probability
`loss`, independently in each direction, from a seeded generator. The relay
stops by itself after `lifetime` seconds.

    python3 udp_proxy.py --listen 127.0.0.3 --upstream 127.0.0.1:123 \\
        --delay 0.005 --jitter 0.02 --exponential --loss 0.1 --seed 1
"""

import argparse
import heapq
import random
import select
import socket
import threading
import time


def _loopback(address):
    return address.startswith("127.")


class DelayLossProxy:
    def __init__(self, listen, upstream, delay=0.0, jitter=0.0, exponential=False,
                 loss=0.0, seed=0, lifetime=1800.0, listen_port=123):
        if not (_loopback(listen) and _loopback(upstream[0])):
            raise ValueError("the proxy relays loopback only")
        self.upstream = upstream
        self.delay, self.jitter, self.exponential, self.loss = delay, jitter, exponential, loss
        self.random = random.Random(seed)
        self.forwarded = self.dropped = 0
        self._listener = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self._listener.bind((listen, listen_port))
        self._clients = {}  # client address -> its own upstream socket
        self._owners = {}   # upstream socket -> client address
        self._queue = []    # (due, sequence, socket, data, destination)
        self._sequence = 0
        self._deadline = time.monotonic() + lifetime
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._run, daemon=True)
        self._thread.start()

    def _latency(self):
        if self.jitter <= 0:
            return self.delay
        if self.exponential:
            return self.delay + self.random.expovariate(1.0 / self.jitter)
        return self.delay + self.random.uniform(0.0, self.jitter)

    def _schedule(self, sock, data, destination):
        if self.random.random() < self.loss:
            self.dropped += 1
            return
        self._sequence += 1
        heapq.heappush(self._queue, (time.monotonic() + self._latency(), self._sequence,
                                     sock, data, destination))

    def _run(self):
        while not self._stop.is_set() and time.monotonic() < self._deadline:
            now = time.monotonic()
            while self._queue and self._queue[0][0] <= now:
                _, _, sock, data, destination = heapq.heappop(self._queue)
                sock.sendto(data, destination)
                self.forwarded += 1
            wait = 0.2 if not self._queue else max(0.0, self._queue[0][0] - now)
            sockets = [self._listener] + list(self._owners)
            readable, _, _ = select.select(sockets, [], [], min(wait, 0.2))
            for sock in readable:
                data, source = sock.recvfrom(65536)
                if sock is self._listener:
                    if not _loopback(source[0]):
                        continue
                    out = self._clients.get(source)
                    if out is None:
                        out = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
                        out.bind(("127.0.0.1", 0))
                        self._clients[source] = out
                        self._owners[out] = source
                    self._schedule(out, data, self.upstream)
                else:
                    self._schedule(self._listener, data, self._owners[sock])
        for sock in self._owners:
            sock.close()
        self._listener.close()

    def close(self):
        self._stop.set()
        self._thread.join()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--listen", default="127.0.0.3")
    parser.add_argument("--upstream", default="127.0.0.1:123")
    parser.add_argument("--delay", type=float, default=0.0)
    parser.add_argument("--jitter", type=float, default=0.0)
    parser.add_argument("--exponential", action="store_true")
    parser.add_argument("--loss", type=float, default=0.0)
    parser.add_argument("--seed", type=int, default=0)
    parser.add_argument("--lifetime", type=float, default=600.0)
    args = parser.parse_args()
    host, port = args.upstream.rsplit(":", 1)
    proxy = DelayLossProxy(args.listen, (host, int(port)), args.delay, args.jitter,
                           args.exponential, args.loss, args.seed, args.lifetime)
    print("relaying %s:123 -> %s until %.0f s have passed" % (args.listen, args.upstream,
                                                             args.lifetime), flush=True)
    proxy._thread.join()


if __name__ == "__main__":
    main()
