#!/usr/bin/env bash
# Idle cost of the running clock next to xclock, all on one private Xvfb in the
# same run: the clock at its defaults (colon steady), the clock with Blink=Yes,
# `xclock -digital -update 1` and `xclock -digital` (which redraws once a
# minute). For each: CPU time (user + system from /proc/<pid>/stat, and the
# scheduler's finer run time), wake-ups (times any of its threads was put on a
# CPU, the third field of /proc/<pid>/task/*/schedstat), how many of those
# came back from being preempted rather than from sleeping (a busy machine
# adds those), and resident memory (VmRSS at the end), over a measuring
# window after a short settling time.
#
#   bench/idle_cpu.sh [path/to/morvatel] [seconds]
#
# Defaults: build/morvatel, 60 seconds. Needs Xvfb and xclock (x11-apps).
# THREADS=1 also lists the wake-ups of each thread. SETTLE (seconds, default
# 40) leaves start-up's one-off work out of the measurement: Qt flushes its
# pixmap cache 30 s after the window icon was made.
set -euo pipefail

program=$(realpath "${1:-build/morvatel}")
seconds=${2:-60}
settle=${SETTLE:-40}

# shellcheck source=bench/xvfb.sh
. "$(dirname "$0")/xvfb.sh"

start_xvfb

drop=()
if [ "$(id -u)" -eq 0 ]; then
    drop=(setpriv --bounding-set=-sys_time --inh-caps=-sys_time)
fi
# Each clock runs from a folder of its own (its settings file lands there),
# with its own home, and can never set the machine's clock.
start_clock() { # name, settings file text
    local dir="$work/$1"
    mkdir -p "$dir/bin" "$dir/home" "$dir/runtime"
    chmod 700 "$dir/runtime"
    cp "$program" "$dir/bin/morvatel"
    printf '%s' "$2" > "$dir/bin/Morvatel.ini"
    env HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config" XDG_RUNTIME_DIR="$dir/runtime" \
        "${drop[@]}" "$dir/bin/morvatel" --dry-run &
    pids+=($!)
}

names=("morvatel (defaults)" "morvatel (Blink=Yes)" "xclock -digital -update 1" "xclock -digital")
start_clock steady '[Morvatel 1.10]
'
start_clock blink '[Morvatel 1.10]
Blink=Yes
'
xclock -digital -update 1 &
pids+=($!)
xclock -digital &
pids+=($!)
measured=("${pids[@]:1}")

cpu_ticks() { # utime + stime, fields 14 and 15 of /proc/<pid>/stat
    local stat
    stat=$(cat "/proc/$1/stat")
    stat=${stat##*) }
    read -r -a f <<< "$stat"
    echo $(( f[11] + f[12] ))
}

sched() { # run time (ns), times scheduled and times preempted, summed over every thread
    local run=0 count=0 preempted=0 r w c t
    for t in /proc/"$1"/task/*; do
        read -r r w c < "$t/schedstat" || continue
        run=$(( run + r )); count=$(( count + c ))
        preempted=$(( preempted + $(awk '/^nonvoluntary_ctxt_switches/ { print $2 }' "$t/status") ))
    done
    echo "$run $count $preempted"
}

threads() { # "name:times scheduled" of each thread
    local t
    for t in /proc/"$1"/task/*; do
        printf '%s:%s ' "$(cat "$t/comm")" "$(awk '{ print $3 }' "$t/schedstat")"
    done
}

rss_kib() {
    awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"
}

sleep "$settle"
hz=$(getconf CLK_TCK)
declare -A ticks0 run0 count0 preempted0 before
for pid in "${measured[@]}"; do
    ticks0[$pid]=$(cpu_ticks "$pid")
    read -r run0[$pid] count0[$pid] preempted0[$pid] <<< "$(sched "$pid")"
    before[$pid]=$(threads "$pid")
done
sleep "$seconds"

printf '%-27s %9s %10s %9s %10s %8s\n' "in $seconds s" "CPU s" "sched. s" "wake-ups" "preempted" "RSS MiB"
for i in "${!measured[@]}"; do
    pid=${measured[i]}
    ticks=$(( $(cpu_ticks "$pid") - ticks0[$pid] ))
    read -r run count preempted <<< "$(sched "$pid")"
    awk -v name="${names[i]}" -v t="$ticks" -v hz="$hz" -v ns=$(( run - run0[$pid] )) \
        -v n=$(( count - count0[$pid] )) -v p=$(( preempted - preempted0[$pid] )) \
        -v rss="$(rss_kib "$pid")" \
        'BEGIN { printf "%-27s %9.2f %10.4f %9d %10d %8.1f\n", name, t / hz, ns / 1e9, n, p, rss / 1024 }'
    if [ "${THREADS:-0}" = 1 ]; then
        echo "    before: ${before[$pid]}"
        echo "    after:  $(threads "$pid")"
    fi
done
