#!/usr/bin/env bash
# CPU time `morvatel --sync --dry-run` spends while it waits the full 5 s for
# a server that never answers (the fake server's silent mode on 127.0.0.2,
# permissible delay off). The on-CPU time of all the process's threads is
# read from /proc/<pid>/task/*/schedstat (nanoseconds) half a second after the
# start, when the request is out, and again just before the 5 s run out.
#
#   bench/sync_wait_cpu.sh [path/to/morvatel] [repeats]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=${1:-$here/../build/morvatel}
repeats=${2:-5}
exec python3 - "$program" "$repeats" "$here/../tests/e2e" <<'PY'
import os, resource, subprocess, sys, time
program, repeats = sys.argv[1], int(sys.argv[2])
sys.dont_write_bytecode = True
sys.path.insert(0, sys.argv[3])
import fake_sntp, sync_support
sync_support.require_privileges()

print("%8s %14s %12s %12s" % ("run", "waiting (ms)", "wait CPU", "whole run"))
with fake_sntp.FakeServer("127.0.0.2", "silent"), sync_support.Sandbox(program) as box:
    box.write_settings(NTP_UsePermissibleDelay="No")
    env = dict(os.environ, HOME=box.home, XDG_CONFIG_HOME=box.home + "/.config",
               DBUS_SYSTEM_BUS_ADDRESS=sync_support.NO_SYSTEM_BUS)
    for i in range(repeats):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        p = subprocess.Popen(sync_support.without_clock_rights(
            [box.program, "--sync", "127.0.0.2", "--dry-run"]), env=env,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(0.5)
        t0, c0 = time.monotonic(), sync_support.on_cpu_ns(p.pid)
        time.sleep(4.3)
        t1, c1 = time.monotonic(), sync_support.on_cpu_ns(p.pid)
        p.wait()
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        whole = (after.ru_utime + after.ru_stime) - (before.ru_utime + before.ru_stime)
        print("%8d %14.0f %9.3f ms %9.1f ms" % (i + 1, (t1 - t0) * 1e3, (c1 - c0) / 1e6,
                                                whole * 1e3))
PY
