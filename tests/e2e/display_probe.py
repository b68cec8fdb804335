"""The clock against a display that refuses on cue: a stand-in X server on a
display number of its own that passes connections on to a private Xvfb, or
closes them as a server does while it resets. A display that heals is
waited for, a server that resets when its last client leaves never loses
the clock between its display check and Qt, and a display that refuses Qt
ends the program with status 1 and its message, never with an abort."""

import os
import socket
import sys
import threading
import unittest

import clock_harness as h

PROGRAM = None
SETTINGS = "[Morvatel 1.10]\nNTP_Server=127.0.0.1\n"


class StandIn:
    """Listens on the first free display from :93; `serves(index, state)`
    decides for each new connection whether it reaches the real server."""

    def __init__(self, real_display, serves):
        self.real = "/tmp/.X11-unix/X" + real_display.lstrip(":")
        self.serves = serves
        self.lock = threading.Lock()
        self.index = 0
        self.open = 0
        self.emptied = False  # a client came and all have left since
        for number in range(93, 100):
            lock_path = "/tmp/.X%d-lock" % number
            self.path = "/tmp/.X11-unix/X%d" % number
            if os.path.lexists(self.path):
                continue
            try:
                fd = os.open(lock_path, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o444)
            except FileExistsError:
                continue
            os.write(fd, b"%10d\n" % os.getpid())
            os.close(fd)
            self.lock_path = lock_path
            self.display = ":%d" % number
            break
        else:
            raise unittest.SkipTest("no free display number from :93 to :99")
        self.listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.listener.bind(self.path)
        self.listener.listen(16)
        threading.Thread(target=self._accept, daemon=True).start()

    def _accept(self):
        while True:
            try:
                client, _ = self.listener.accept()
            except OSError:
                return
            with self.lock:
                index, self.index = self.index, self.index + 1
                serve = self.serves(index, self.emptied)
                if serve:
                    self.open += 1
            if not serve:
                client.close()
                continue
            upstream = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
            upstream.connect(self.real)
            ends = [client, upstream]
            for source, sink in ((client, upstream), (upstream, client)):
                threading.Thread(target=self._pipe, args=(source, sink, ends), daemon=True).start()

    def _pipe(self, source, sink, ends):
        try:
            while True:
                data = source.recv(65536)
                if not data:
                    break
                sink.sendall(data)
        except OSError:
            pass
        with self.lock:
            if ends:
                ends.clear()
                self.open -= 1
                self.emptied = self.open == 0
                for end in (source, sink):
                    try:
                        end.shutdown(socket.SHUT_RDWR)
                    except OSError:
                        pass

    def close(self):
        self.listener.close()
        for path in (self.path, self.lock_path):
            if os.path.lexists(path):
                os.unlink(path)


ROWS = [
    # name, serves(index, emptied), whether the window shows
    ("refuses_twice_then_serves", lambda index, emptied: index >= 2, True),
    ("resets_once_its_last_client_leaves", lambda index, emptied: not emptied, True),
    ("serves_the_first_client_only", lambda index, emptied: index == 0, False),
    ("never_serves", lambda index, emptied: False, False),
]


class DisplayProbe(unittest.TestCase):
    def test_rows(self):
        for name, serves, shows in ROWS:
            with self.subTest(name), h.Session(PROGRAM, SETTINGS) as s:
                stand_in = StandIn(s.display, serves)
                try:
                    clock = s.start(env={"DISPLAY": stand_in.display})
                    if shows:
                        s.wait_window()
                        self.assertEqual(s.stop(clock), 0)
                    else:
                        _, err = clock.communicate(timeout=30)
                        self.assertEqual(clock.returncode, 1, err.decode(errors="replace"))
                        self.assertIn("morvatel: cannot connect to the display %s"
                                      % stand_in.display, err.decode(errors="replace"))
                finally:
                    stand_in.close()


if __name__ == "__main__":
    PROGRAM = sys.argv.pop(1)
    unittest.main()
