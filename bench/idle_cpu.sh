#!/usr/bin/env bash
# Idle CPU of the running clock next to `xclock -digital -update 1`, both on
# one private Xvfb in the same run: CPU seconds (user + system, from
# /proc/<pid>/stat) used over a measuring window after a short settling time.
#
#   bench/idle_cpu.sh [path/to/morvatel] [seconds]
#
# Defaults: build/morvatel, 60 seconds. Needs Xvfb and xclock (x11-apps).
# BLINK=1 measures the clock with a blinking colon.
set -euo pipefail

program=$(realpath "${1:-build/morvatel}")
seconds=${2:-60}
settle=5

work=$(mktemp -d)
pids=()
cleanup() {
    # Clients first, the X server last.
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        pid=${pids[i]}
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

# A display of our own; Xvfb writes the number it chose.
exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.05
done
export DISPLAY=":$(head -n1 "$work/display")"

# The clock runs from a folder of its own (its settings file lands there), with
# its own home, and can never set the machine's clock.
mkdir -p "$work/bin" "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
cp "$program" "$work/bin/morvatel"
if [ "${BLINK:-0}" = 1 ]; then
    printf '[Morvatel 1.10]\nBlink=Yes\n' > "$work/bin/Morvatel.ini"
fi
clock_env=(env HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
           XDG_RUNTIME_DIR="$work/runtime")
drop=()
if [ "$(id -u)" -eq 0 ]; then
    drop=(setpriv --bounding-set=-sys_time --inh-caps=-sys_time)
fi
"${clock_env[@]}" "${drop[@]}" "$work/bin/morvatel" --dry-run &
clock=$!
pids+=("$clock")
xclock -digital -update 1 &
xclock=$!
pids+=("$xclock")

cpu_ticks() { # utime + stime, fields 14 and 15 of /proc/<pid>/stat
    local stat
    stat=$(cat "/proc/$1/stat")
    stat=${stat##*) }
    read -r -a f <<< "$stat"
    echo $(( f[11] + f[12] ))
}

cpu_ns() { # time on the CPU of every thread, from the scheduler (finer than ticks)
    local total=0 t run _
    for t in /proc/"$1"/task/*/schedstat; do
        read -r run _ < "$t" || continue
        total=$(( total + run ))
    done
    echo "$total"
}

sleep "$settle"
hz=$(getconf CLK_TCK)
clock0=$(cpu_ticks "$clock"); clock0ns=$(cpu_ns "$clock")
xclock0=$(cpu_ticks "$xclock"); xclock0ns=$(cpu_ns "$xclock")
sleep "$seconds"
clock1=$(cpu_ticks "$clock"); clock1ns=$(cpu_ns "$clock")
xclock1=$(cpu_ticks "$xclock"); xclock1ns=$(cpu_ns "$xclock")

report() {
    awk -v name="$1" -v t="$2" -v ns="$3" -v hz="$hz" -v s="$seconds" \
        'BEGIN { printf "%-28s %6.2f CPU s (/proc stat), %8.4f CPU s (schedstat) in %d s\n", name, t / hz, ns / 1e9, s }'
}
report "morvatel (blink ${BLINK:-0})" $(( clock1 - clock0 )) $(( clock1ns - clock0ns ))
report "xclock -digital -update 1" $(( xclock1 - xclock0 )) $(( xclock1ns - xclock0ns ))
