#!/usr/bin/env bash
# The options dialog of the running clock on a private Xvfb: how long it takes
# to appear after the menu's key, the CPU the clock uses over a while with the
# dialog open and with it closed, and the memory after many openings.
#
#   bench/options_dialog.sh [path/to/morvatel] [cycles] [seconds]
#
# Defaults: build/morvatel, 20 open/close cycles, 30 seconds per CPU window.
# The clock runs with --dry-run and, as root, without CAP_SYS_TIME.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "${1:-$here/../build/morvatel}")
exec python3 - "$program" "${2:-20}" "${3:-30}" "$here/../tests/e2e" <<'PY'
import glob, statistics, sys, time
sys.dont_write_bytecode = True
sys.path.insert(0, sys.argv[4])
import clock_harness as h

program, cycles, seconds = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])

def cpu_ns(pid):
    total = 0
    for path in glob.glob("/proc/%d/task/*/schedstat" % pid):
        with open(path) as f:
            total += int(f.read().split()[0])
    return total

def rss_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])

with h.Session(program) as s:
    clock = s.start()
    x, y, _, _ = s.geometry(s.wait_window()[0])

    def dialogs():
        out = s.x("xdotool", "search", "--onlyvisible", "--name", "^オプション$", check=False)
        return out.split()

    def open_dialog():
        s.open_menu(x + 40, y + 20)
        start = time.monotonic()
        s.mouse("key", "o")
        if not h.wait_for(dialogs, 10, step=0.005):
            raise AssertionError("the dialog did not open")
        return time.monotonic() - start

    def close_dialog():
        s.mouse("key", "Escape")
        if not h.wait_for(lambda: not dialogs(), 10, step=0.005):
            raise AssertionError("the dialog did not close")

    time.sleep(2)
    rss_start = rss_kib(clock.pid)
    latencies = []
    for i in range(cycles):
        latencies.append(open_dialog())
        close_dialog()
        time.sleep(0.2)
        if i == 0:
            rss_first = rss_kib(clock.pid)
    rss_end = rss_kib(clock.pid)

    def cpu_over(window):
        time.sleep(2)
        before = cpu_ns(clock.pid)
        time.sleep(window)
        return (cpu_ns(clock.pid) - before) / 1e9

    closed = cpu_over(seconds)
    open_dialog()
    opened = cpu_over(seconds)
    close_dialog()
    s.stop(clock)

print("open latency over %d openings (key to mapped, polled): median %.0f ms, max %.0f ms"
      % (cycles, statistics.median(latencies) * 1000, max(latencies) * 1000))
print("RSS: %d KiB at start, %d KiB after the first opening, %d KiB after %d"
      % (rss_start, rss_first, rss_end, cycles))
print("CPU in %d s: %.4f s with the dialog closed, %.4f s with it open"
      % (seconds, closed, opened))
PY
