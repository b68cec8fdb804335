#!/usr/bin/env bash
# Wall time of a whole --query run against chronyd on 127.0.0.1, plain and
# authenticated (--nts: the key exchange over TLS, then one authenticated
# request), and of the key exchange alone (the test probe), median and
# slowest of the repeats. Then runs inside one process, as the window program
# makes them (tests/app/nts_run_probe, two runs per process): the first
# authenticated run with its key exchange, the next one on the cookies it
# left, and a plain run for comparison. chronyd serves NTP on port 123 here so the plain
# query reaches it too; run it under the e2e lock, inside `unshare -n` with
# lo up:
#
#   flock /tmp/morvatel-e2e.lock unshare -n sh -c 'ip link set lo up; \
#       bench/nts_query_time.sh [build folder] [repeats]'
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "${1:-$here/../build}")
repeats=${2:-20}
exec python3 - "$build" "$repeats" "$here/../tests/e2e" <<'PY'
import os, statistics, subprocess, sys, tempfile, time
build, repeats = sys.argv[1], int(sys.argv[2])
sys.dont_write_bytecode = True
sys.path.insert(0, sys.argv[3])
import nts_rig, sync_support
sync_support.require_privileges()

with tempfile.TemporaryDirectory() as folder:
    cert, key = nts_rig.make_certificate(folder, "localhost", "DNS:localhost,IP:127.0.0.1")
    env = {"SSL_CERT_FILE": cert}
    with nts_rig.NtsChronyd(cert, key, ntp_port=123), \
            sync_support.Sandbox(os.path.join(build, "morvatel")) as box:
        box.write_settings(NTP_Server="127.0.0.1", NTS_Port=nts_rig.KE_PORT)
        probe = [os.path.join(build, "tests/app/nts_ke_probe"), "localhost", str(nts_rig.KE_PORT)]
        runs = {
            "--query (plain)": lambda: box.run("--query", "127.0.0.1", extra_env=env),
            "--query --nts": lambda: box.run("--query", "--nts", "localhost", extra_env=env),
            "key exchange alone": lambda: subprocess.run(
                probe, env=dict(env, HOME=box.home), capture_output=True),
        }
        print("%-20s %10s %10s" % ("run", "median", "max"))
        for name, run in runs.items():
            times = []
            for _ in range(repeats):
                started = time.monotonic()
                result = run()
                times.append(time.monotonic() - started)
                assert result.returncode == 0, result
            print("%-20s %8.1f ms %8.1f ms" % (name, statistics.median(times) * 1e3,
                                                max(times) * 1e3))

        runner = os.path.join(build, "tests/app/nts_run_probe")

        def in_process(*args):
            out = subprocess.run([runner, *args, "2"] if len(args) == 2 else
                                 [runner, args[0], args[1], "2", args[2]],
                                 env=dict(env, HOME=box.home), capture_output=True, check=True)
            return [float(line.split("ms=")[1]) for line in out.stdout.decode().splitlines()]

        first, second, plain_first, plain_second = [], [], [], []
        for _ in range(repeats):
            a, b = in_process("localhost", str(nts_rig.KE_PORT))
            first.append(a)
            second.append(b)
            a, b = in_process("127.0.0.1", "0", "plain")
            plain_first.append(a)
            plain_second.append(b)
        for name, times in [("NTS run, key exch.", first), ("NTS run, cookies", second),
                            ("plain run, first", plain_first),
                            ("plain run, next", plain_second)]:
            print("%-20s %8.1f ms %8.1f ms" % (name, statistics.median(times),
                                                max(times)))
PY
