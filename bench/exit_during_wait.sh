#!/usr/bin/env bash
# How quickly the clock ends when asked to while a synchronisation from its
# menu waits for a server that never answers (the fake server's silent mode on
# 127.0.0.6, permissible delay off, so the wait would last 5 s), and the CPU
# time it uses from the request to its end. The clock runs under a private
# Xvfb; a second after the request has reached the server the exit is asked
# for, by SIGTERM or by the menu's "終了(&X)" (its 100 ms exit timer included).
# The CPU time is the process's total from wait4 less its on-CPU time read
# from /proc/<pid>/task/*/schedstat at the request.
#
#   bench/exit_during_wait.sh [path/to/morvatel] [repeats]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=${1:-$here/../build/morvatel}
repeats=${2:-5}
exec python3 - "$(realpath "$program")" "$repeats" "$here/../tests/e2e" <<'PY'
import os, signal, sys, time
program, repeats = sys.argv[1], int(sys.argv[2])
sys.dont_write_bytecode = True
sys.path.insert(0, sys.argv[3])
import clock_harness as h, fake_sntp, sync_support
from sync_exit import SERVER, begin_menu_sync, settings
sync_support.require_privileges()

print("%8s %8s %16s %18s" % ("how", "run", "request->exit", "CPU in between"))
for how in ("sigterm", "menu"):
    for i in range(repeats):
        with fake_sntp.FakeServer(SERVER, "silent") as server, \
                h.Session(program, settings()) as s:
            clock, (x, y) = begin_menu_sync(s, server)
            time.sleep(1.0)
            if how == "menu":
                s.open_menu(x + 40, y + 20)
            cpu0, t0 = sync_support.on_cpu_ns(clock.pid), time.monotonic()
            if how == "menu":
                s.mouse("key", "x")
            else:
                clock.send_signal(signal.SIGTERM)
            _, status, usage = os.wait4(clock.pid, 0)
            t1 = time.monotonic()
            clock.returncode = os.waitstatus_to_exitcode(status)
            cpu = (usage.ru_utime + usage.ru_stime) * 1e9 - cpu0
            print("%8s %8d %13.0f ms %15.1f ms" % (how, i + 1, (t1 - t0) * 1e3, cpu / 1e6))
PY
