#!/usr/bin/env bash
# Quick starts in a row on an X server that resets whenever its last client
# leaves (Xvfb without -noreset), with no client of its own beside the clock:
# each start is ended by SIGTERM as soon as its window shows. Whether the
# window showed is read from the server's frame buffer file (-fbdir), since a
# client that looked would change what is measured. Prints how many showed,
# the exit statuses and the time from start to window.
# Root only: runs in a network namespace of its own (loopback only), and the
# clock cannot set the time (--dry-run, no CAP_SYS_TIME).
#
#   bench/quick_starts.sh [path/to/morvatel] [starts]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "${1:-$here/../build/morvatel}")
starts=${2:-60}
exec unshare -n sh -c 'ip link set lo up; exec python3 - "$@"' sh "$program" "$starts" <<'PY'
import collections, os, shutil, signal, struct, subprocess, sys, tempfile, time

program, starts = sys.argv[1], int(sys.argv[2])
tmp = tempfile.mkdtemp(prefix="morvatel-quick-starts-")
try:
    bin_dir, home, fb = (os.path.join(tmp, n) for n in ("bin", "home", "fb"))
    for d in (bin_dir, home, fb):
        os.makedirs(d)
    copy = os.path.join(bin_dir, "morvatel")
    shutil.copy2(program, copy)
    with open(os.path.join(bin_dir, "Morvatel.ini"), "w") as f:
        f.write("[Morvatel 1.10]\nNTP_Server=127.0.0.1\nFixWindowPosition=Yes\n"
                "XPosR=0.1\nYPosR=0.1\nTopMost=No\n")
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "320x240x24",
                             "-nolisten", "tcp", "-br", "-fbdir", fb],
                            pass_fds=[write_end], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end, "rb") as f:
        display = ":" + f.readline().strip().decode()
    env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": home, "DISPLAY": display,
           "XDG_CONFIG_HOME": os.path.join(home, ".config"),
           "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
           "XDG_CACHE_HOME": os.path.join(home, ".cache"),
           "XDG_RUNTIME_DIR": tmp, "TZ": "UTC", "LANG": "C.UTF-8",
           "DBUS_SESSION_BUS_ADDRESS": "disabled:",
           "DBUS_SYSTEM_BUS_ADDRESS": "unix:path=" + os.path.join(tmp, "no-bus")}

    def shown():
        """Whether anything but the black root covers the window's place."""
        try:
            with open(os.path.join(fb, "Xvfb_screen0"), "rb") as f:
                data = f.read()
        except OSError:
            return False
        fields = struct.unpack(">25I", data[:100])
        offset = fields[0] + fields[19] * 12
        line, bpp = fields[12], fields[11] // 8
        for y in range(30, 66, 4):
            row = data[offset + y * line + 40 * bpp:offset + y * line + 140 * bpp]
            if row.strip(b"\0"):
                return True
        return False

    def wait(predicate, timeout):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            if predicate():
                return True
            time.sleep(0.01)
        return predicate()

    statuses, times, missing = collections.Counter(), [], 0
    for i in range(starts):
        wait(lambda: not shown(), 2)
        t0 = time.monotonic()
        clock = subprocess.Popen(["setpriv", "--bounding-set=-sys_time", "--inh-caps=-sys_time",
                                  copy, "--dry-run"], env=env, cwd=tmp,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if wait(lambda: shown() or clock.poll() is not None, 15) and clock.poll() is None:
            times.append(time.monotonic() - t0)
        else:
            missing += 1
        if clock.poll() is None:
            clock.send_signal(signal.SIGTERM)
        try:
            clock.wait(10)
        except subprocess.TimeoutExpired:
            clock.kill()
            clock.wait()
        statuses[clock.returncode] += 1
    xvfb.terminate()
    xvfb.wait()
    times.sort()
    print("program %s" % program)
    print("starts %d, window shown %d, not shown %d" % (starts, len(times), missing))
    print("exit statuses %s" % dict(sorted(statuses.items())))
    if times:
        print("start to window: median %.0f ms, max %.0f ms"
              % (times[len(times) // 2] * 1000, times[-1] * 1000))
finally:
    shutil.rmtree(tmp, ignore_errors=True)
PY
