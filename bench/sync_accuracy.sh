#!/usr/bin/env bash
# Accuracy of `morvatel --query` against a chronyd on 127.0.0.1 that serves
# this machine's own clock (so the true offset is 0), next to Debian's sntp
# asking the same server in the same run, alternately.
#
#   bench/sync_accuracy.sh [path/to/morvatel] [runs]
#
# Needs root (port 123). Nothing here can set the clock: chronyd runs with -x
# and, like both clients, without CAP_SYS_TIME.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=${1:-$here/../build/morvatel}
runs=${2:-100}
exec python3 - "$program" "$runs" "$here/../tests/e2e" <<'PY'
import re, statistics, subprocess, sys
sys.dont_write_bytecode = True
sys.path.insert(0, sys.argv[3])
import sync_support

program, runs = sys.argv[1], int(sys.argv[2])
sync_support.require_privileges()

def p99(values):
    ordered = sorted(values)
    return ordered[max(0, -(-99 * len(ordered) // 100) - 1)]

ours, theirs = [], []
with sync_support.Chronyd("127.0.0.1"), sync_support.Sandbox(program) as box:
    for _ in range(runs):
        r = box.run("--query", "127.0.0.1")
        ours.append(abs(float(re.search(r"offset: ([+-][\d.]+) s", r.out).group(1))))
        s = subprocess.run(sync_support.without_clock_rights(["sntp", "127.0.0.1"]),
                           capture_output=True, text=True, timeout=30)
        m = re.search(r"\(\S+\) ([+-][\d.]+) \+/- ", s.stdout)
        theirs.append(abs(float(m.group(1))))

print("|offset| over %d runs, microseconds" % runs)
print("%-16s %10s %10s %10s" % ("client", "median", "p99", "max"))
for name, values in (("morvatel --query", ours), ("sntp", theirs)):
    print("%-16s %10.1f %10.1f %10.1f" % (name, statistics.median(values) * 1e6,
                                          p99(values) * 1e6, max(values) * 1e6))
PY
