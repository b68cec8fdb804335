#!/usr/bin/env bash
# Success share and accuracy of `morvatel --query` over a bad path: chronyd on
# 127.0.0.1 (serving this machine's clock, so the true offset is 0) behind the
# delay-and-loss relay on 127.0.0.3 (5 ms delay, 20 ms exponential jitter, 10 %
# loss, each way), with NTP_Samples 1 and 4 and the permissible delay off.
#
#   bench/sync_lossy_path.sh [path/to/morvatel] [runs] [seed]
#
# Needs root (port 123). Nothing here can set the clock: chronyd runs with -x
# and, like the program, without CAP_SYS_TIME. Everything runs in a network
# namespace of its own with only loopback up. Holds the e2e lock.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=${1:-$here/../build/morvatel}
runs=${2:-100}
seed=${3:-1}
exec flock /tmp/morvatel-e2e.lock unshare -n sh -c 'ip link set lo up && exec "$@"' sh \
    python3 - "$program" "$runs" "$seed" "$here/../tests/e2e" <<'PY'
import re, statistics, sys
sys.dont_write_bytecode = True
sys.path.insert(0, sys.argv[4])
import sync_support, udp_proxy

program, runs, seed = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
sync_support.require_privileges()

def quantile(values, q):
    ordered = sorted(values)
    return ordered[max(0, -(-q * len(ordered) // 100) - 1)]

rows = []
with sync_support.Chronyd("127.0.0.1"), \
        udp_proxy.DelayLossProxy("127.0.0.3", ("127.0.0.1", 123), delay=0.005, jitter=0.020,
                                 exponential=True, loss=0.10, seed=seed,
                                 lifetime=runs * 20.0):
    for samples in (1, 4):
        errors = []
        with sync_support.Sandbox(program) as box:
            box.write_settings(NTP_Server="127.0.0.3", NTP_Samples=samples,
                               NTP_UsePermissibleDelay="No")
            for _ in range(runs):
                r = box.run("--query", "127.0.0.3")
                m = re.search(r"offset: ([+-][\d.]+) s", r.out)
                if r.returncode == 0 and m:
                    errors.append(abs(float(m.group(1))))
        rows.append((samples, len(errors), errors))

print("%d runs each over 127.0.0.3 (5 ms + exp. 20 ms jitter, 10 %% loss each way), seed %d"
      % (runs, seed))
print("%-12s %9s %14s %14s" % ("NTP_Samples", "success", "median |err|", "p90 |err|"))
for samples, ok, errors in rows:
    if errors:
        print("%-12d %8.0f%% %11.2f ms %11.2f ms" % (samples, 100.0 * ok / runs,
              statistics.median(errors) * 1e3, quantile(errors, 90) * 1e3))
    else:
        print("%-12d %8.0f%% %14s %14s" % (samples, 0.0, "-", "-"))
PY
