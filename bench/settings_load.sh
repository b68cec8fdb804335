#!/usr/bin/env bash
# Start-up and exit of the clock with a large settings file: the seconds from
# the program's start until its window shows, the CPU seconds it used by then
# (steadier than the first on a busy machine), and the seconds from SIGTERM
# until it has saved and ended, for settings files of several sizes (a key
# per line, each name distinct, besides the program's own keys). Each size
# runs RUNS times (default 3) on its own private Xvfb; medians are printed.
#
#   bench/settings_load.sh [path/to/morvatel] [key counts...]
#
# Defaults: build/morvatel, 0 50000 100000 200000 keys. The clock runs with
# --dry-run, as root without CAP_SYS_TIME, in a network namespace of its own
# with only the loopback interface, and its server is 127.0.0.1.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "${1:-$here/../build/morvatel}")
shift || true
counts=("${@:-0 50000 100000 200000}")
exec flock /tmp/morvatel-e2e.lock unshare -n sh -c 'ip link set lo up && exec python3 - "$@"' \
    sh "$program" "${RUNS:-3}" "$here/../tests/e2e" ${counts[*]} <<'PY'
import os, statistics, sys, time
sys.dont_write_bytecode = True
sys.path.insert(0, sys.argv[3])
import clock_harness as h

program, runs = sys.argv[1], int(sys.argv[2])
def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

print("%8s %10s %10s %10s %10s" % ("keys", "bytes", "show (s)", "cpu (s)", "exit (s)"))
for count in (int(c) for c in sys.argv[4:]):
    settings = "[Morvatel 1.10]\nNTP_Server=127.0.0.1\n" + "".join(
        "Filler%06d=1\n" % i for i in range(count))
    show, cpu, end = [], [], []
    for _ in range(runs):
        with h.Session(program, settings) as s:
            started = time.monotonic()
            clock = s.start()
            s.wait_window(timeout=300)
            show.append(time.monotonic() - started)
            cpu.append(cpu_seconds(clock.pid))
            stopped = time.monotonic()
            s.stop(clock, timeout=300)
            end.append(time.monotonic() - stopped)
            if s.read_settings().get("NTP_Server") != "127.0.0.1":
                raise SystemExit("the saved file lost the server")
    print("%8d %10d %10.2f %10.2f %10.2f" % (count, len(settings.encode()), statistics.median(show),
                                             statistics.median(cpu), statistics.median(end)))
PY
