"""Network Time Security on loopback: certificates made at test time, a
chronyd serving NTS with one of them, and a scriptable key-exchange server
for the answers chronyd never gives.

chronyd runs with -x and without CAP_SYS_TIME, on 127.0.0.1 only, with its
command socket in a private folder (never the system's /run/chrony)."""

import os
import socket
import ssl
import subprocess
import tempfile
import threading
import time

import sync_support

NTP_PORT = 11123
KE_PORT = 14460


def make_certificate(folder, name, san, faketime=None, days=30):
    """A self-signed EC P-256 certificate and its key; with faketime
    ("2020-01-01") it is made as if on that day, so it has long expired."""
    cert = os.path.join(folder, name + ".crt")
    key = os.path.join(folder, name + ".key")
    command = ["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
               "ec_paramgen_curve:P-256", "-nodes", "-keyout", key, "-out", cert,
               "-days", str(days), "-subj", "/CN=" + name, "-addext",
               "subjectAltName=" + san]
    if faketime:
        command = ["faketime", faketime] + command
    subprocess.run(command, check=True, capture_output=True)
    return cert, key


def wait_for_port(port, process=None, seconds=15):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if process is not None and process.poll() is not None:
            break
        try:
            socket.create_connection(("127.0.0.1", port), timeout=0.3).close()
            return
        except OSError:
            time.sleep(0.05)
    raise RuntimeError("nothing came up on port %d" % port)


class NtsChronyd(sync_support.Chronyd):
    """chronyd serving NTP on ntp_port and its key exchange on KE_PORT;
    ended as the plain one is."""

    def __init__(self, cert, key, ntp_port=NTP_PORT):
        if not os.path.exists(sync_support.CHRONYD):
            sync_support.skip("chronyd is not installed")
        self.dir = tempfile.mkdtemp(prefix="morvatel-nts-chronyd-")
        private = os.path.join(self.dir, "cmd")
        os.mkdir(private, 0o700)
        self.socket = os.path.join(private, "chronyd.sock")
        dump = os.path.join(self.dir, "ntsdump")
        os.mkdir(dump, 0o700)
        conf = os.path.join(self.dir, "chrony.conf")
        with open(conf, "w") as f:
            f.write("\n".join([
                "port %d" % ntp_port,
                "bindaddress 127.0.0.1",
                "allow 127.0.0.1",
                "local stratum 8",
                "ntsport %d" % KE_PORT,
                "ntsserverkey " + key,
                "ntsservercert " + cert,
                "ntsprocesses 0",
                "ntsdumpdir " + dump,
                "cmdport 0",
                "bindcmdaddress " + self.socket,
                "pidfile " + os.path.join(self.dir, "chronyd.pid"),
                "driftfile " + os.path.join(self.dir, "drift"),
            ]) + "\n")
        self.output = open(os.path.join(self.dir, "chronyd.log"), "w")
        self.process = subprocess.Popen(
            sync_support.without_clock_rights(
                [sync_support.CHRONYD, "-x", "-d", "-u", "root", "-f", conf]),
            stdout=self.output, stderr=subprocess.STDOUT)
        try:
            wait_for_port(KE_PORT, self.process)
        except RuntimeError:
            self.close()
            raise

    def serverstats(self):
        """chronyc's server statistics, as a dict of its lines."""
        out = subprocess.run(["chronyc", "-h", self.socket, "serverstats"],
                             capture_output=True, text=True, check=True).stdout
        return {k.strip(): v.strip() for k, v in
                (line.split(":", 1) for line in out.splitlines() if ":" in line)}


class FakeKeServer:
    """TLS 1.3 with ALPN ntske/1 on 127.0.0.1:KE_PORT, answering every
    connection with the given record bytes (after reading the request)."""

    def __init__(self, cert, key, answer=b""):
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.minimum_version = ssl.TLSVersion.TLSv1_3
        context.load_cert_chain(cert, key)
        context.set_alpn_protocols(["ntske/1"])
        self.answer = answer
        self.requests = []
        self.listener = socket.create_server(("127.0.0.1", KE_PORT), reuse_port=False)
        self.listener.settimeout(0.2)
        self.context = context
        self.stopping = False
        self.thread = threading.Thread(target=self._serve, daemon=True)
        self.thread.start()

    def _serve(self):
        while not self.stopping:
            try:
                conn, _ = self.listener.accept()
            except OSError:
                continue
            try:
                with self.context.wrap_socket(conn, server_side=True) as tls:
                    tls.settimeout(3)
                    self.requests.append(tls.recv(4096))
                    tls.sendall(self.answer)
            except (OSError, ssl.SSLError):
                pass  # the client refused the certificate

    def close(self):
        self.stopping = True
        self.thread.join()
        self.listener.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


PROXY_ADDRESS = "127.0.0.2"


def fields(datagram):
    """(offset, type, length) of each extension field after the header."""
    out, at = [], 48
    while at + 4 <= len(datagram):
        kind, length = int.from_bytes(datagram[at:at + 2], "big"), \
            int.from_bytes(datagram[at + 2:at + 4], "big")
        if length < 4:
            break
        out.append((at, kind, length))
        at += length
    return out


class Proxy:
    """A man in the middle on PROXY_ADDRESS: the key exchange's TCP passed
    through untouched, and the NTP datagrams each way handed to
    request(bytes) and reply(bytes), which return what goes on (None: drop).
    Every datagram's size is kept in `wire`. NTP is taken on udp_port (123
    for a plain run) and passed to chronyd's NTP_PORT."""

    def __init__(self, request=None, reply=None, udp_port=NTP_PORT):
        self.request = request or (lambda b: b)
        self.reply = reply or (lambda b: b)
        self.wire = []
        self.stopping = False
        self.tcp = socket.create_server((PROXY_ADDRESS, KE_PORT))
        self.tcp.settimeout(0.2)
        self.udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.udp.bind((PROXY_ADDRESS, udp_port))
        self.udp.settimeout(0.2)
        self.threads = [threading.Thread(target=self._tcp, daemon=True),
                        threading.Thread(target=self._udp, daemon=True)]
        for t in self.threads:
            t.start()

    def _pipe(self, a, b):
        try:
            while True:
                data = a.recv(65536)
                if not data:
                    break
                b.sendall(data)
        except OSError:
            pass
        try:
            b.shutdown(socket.SHUT_WR)
        except OSError:
            pass

    def _tcp(self):
        while not self.stopping:
            try:
                client, _ = self.tcp.accept()
            except OSError:
                continue
            threading.Thread(target=self._connection, args=(client,), daemon=True).start()

    def _connection(self, client):
        with client, socket.create_connection(("127.0.0.1", KE_PORT)) as server:
            back = threading.Thread(target=self._pipe, args=(server, client))
            back.start()
            self._pipe(client, server)
            back.join()

    def _udp(self):
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as upstream:
            upstream.settimeout(1)
            self._relay(upstream)

    def _relay(self, upstream):
        while not self.stopping:
            try:
                data, client = self.udp.recvfrom(65536)
            except OSError:
                continue
            self.wire.append(("request", len(data), [f[1] for f in fields(data)]))
            data = self.request(data)
            if data is None:
                continue
            upstream.sendto(data, ("127.0.0.1", NTP_PORT))
            try:
                answer, _ = upstream.recvfrom(65536)
            except OSError:
                continue
            self.wire.append(("reply", len(answer), [f[1] for f in fields(answer)]))
            answer = self.reply(answer)
            if answer is not None:
                self.udp.sendto(answer, client)

    def close(self):
        self.stopping = True
        for t in self.threads:
            t.join()
        self.tcp.close()
        self.udp.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
