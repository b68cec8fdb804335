#!/usr/bin/env bash
# Memory at rest, start-up time and idle wake-ups of the clock (default
# settings) beside an empty Qt Widgets program that shows one 118 x 48 image
# and `xclock -digital`, all on one private Xvfb in the same run:
#
#   - start-up: milliseconds from launch until the window is mapped, the
#     median of RUNS launches of each (interleaved, so a busy moment of the
#     machine hits all three alike);
#   - wake-ups: times any thread was put on a CPU over a measuring window
#     after SETTLE seconds (as bench/idle_cpu.sh counts them);
#   - memory at the end: resident and private dirty kB from
#     /proc/PID/smaps_rollup. Proportional sizes depend on whichever other Qt
#     processes share the library pages, so they are not shown.
#
#   bench/memory_at_rest.sh [path/to/morvatel] [seconds]
#
# Defaults: build/morvatel, 60 seconds, RUNS=5, SETTLE=40 (Qt flushes its
# pixmap cache 30 s after the window icon was made). Needs root (the clock
# runs without a network in `unshare -n` and without the right to set the
# clock), Xvfb, xdotool, xclock and the Qt development files (the empty
# program is built here).
set -euo pipefail

program=$(realpath "${1:-build/morvatel}")
seconds=${2:-60}
runs=${RUNS:-5}
settle=${SETTLE:-40}

# shellcheck source=bench/xvfb.sh
. "$(dirname "$0")/xvfb.sh"

cat > "$work/empty.cpp" <<'EOF'
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QImage image(118, 48, QImage::Format_RGB32);
    image.fill(Qt::black);
    QLabel label;
    label.setWindowTitle(QStringLiteral("empty-qt"));
    label.setWindowFlags(Qt::FramelessWindowHint);
    label.setPixmap(QPixmap::fromImage(image));
    label.show();
    return app.exec();
}
EOF
# shellcheck disable=SC2046
g++ -std=c++20 -O2 -fPIC -o "$work/empty-qt" "$work/empty.cpp" $(pkg-config --cflags --libs Qt6Widgets)
sync "$work/empty-qt"

start_xvfb -noreset

# The clock runs from a folder of its own with its own home, asks only
# loopback for the time, and can never set the machine's clock.
mkdir -p "$work/clock/bin" "$work/clock/home" "$work/clock/runtime"
chmod 700 "$work/clock/runtime"
cp "$program" "$work/clock/bin/morvatel"
# Freshly written pages count as dirty until they reach the disk.
sync "$work/clock/bin/morvatel"
settings='[Morvatel 1.10]
NTP_Server=127.0.0.1
'
export HOME="$work/clock/home" XDG_CONFIG_HOME="$work/clock/home/.config" \
    XDG_DATA_HOME="$work/clock/home/.local/share" XDG_RUNTIME_DIR="$work/clock/runtime"

names=(morvatel empty-qt xclock)
titles=(Morvatel empty-qt xclock)
launch() { # index; sets launched to the pid
    case $1 in
    0)
        printf '%s' "$settings" > "$work/clock/bin/Morvatel.ini"
        unshare -n sh -c 'ip link set lo up; exec "$@"' sh \
            setpriv --bounding-set=-sys_time --inh-caps=-sys_time \
            "$work/clock/bin/morvatel" --dry-run >/dev/null 2>"$work/clock/stderr" &
        ;;
    1) "$work/empty-qt" >/dev/null 2>&1 & ;;
    2) xclock -digital >/dev/null 2>&1 & ;;
    esac
    launched=$!
}
visible() {
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1
}
now_ms() {
    echo $(( $(date +%s%N) / 1000000 ))
}

declare -A startup
for ((r = 0; r < runs; r++)); do
    for i in "${!names[@]}"; do
        t0=$(now_ms)
        launch "$i"
        pid=$launched
        pids+=("$pid")
        until visible "${titles[i]}"; do
            if ! kill -0 "$pid" 2>/dev/null; then
                echo "${names[i]} ended before its window showed" >&2
                cat "$work/clock/stderr" >&2
                exit 1
            fi
            sleep 0.01
        done
        startup[$i]+="$(( $(now_ms) - t0 )) "
        kill "$pid"
        wait "$pid" 2>/dev/null || true
        unset 'pids[-1]'
    done
done
median() {
    tr ' ' '\n' <<< "$1" | grep . | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

measured=()
for i in "${!names[@]}"; do
    launch "$i"
    pids+=("$launched")
    measured+=("$launched")
done

wakeups() { # times scheduled, summed over every thread
    local count=0 r w c t
    for t in /proc/"$1"/task/*; do
        read -r r w c < "$t/schedstat" || continue
        count=$(( count + c ))
    done
    echo "$count"
}
rollup() { # field of smaps_rollup, kB
    awk -v f="$2:" '$1 == f { print $2 }' "/proc/$1/smaps_rollup"
}

sleep "$settle"
declare -A count0
for pid in "${measured[@]}"; do
    count0[$pid]=$(wakeups "$pid")
done
sleep "$seconds"

printf '%-10s %12s %16s %10s %14s\n' "" "RSS MiB" "Private_Dirty MiB" "start ms" "wake-ups/${seconds}s"
for i in "${!measured[@]}"; do
    pid=${measured[i]}
    awk -v name="${names[i]}" -v rss="$(rollup "$pid" Rss)" -v dirty="$(rollup "$pid" Private_Dirty)" \
        -v start="$(median "${startup[$i]}")" -v n=$(( $(wakeups "$pid") - count0[$pid] )) \
        'BEGIN { printf "%-10s %12.1f %16.1f %10d %14d\n", name, rss / 1024, dirty / 1024, start, n }'
done
if [ -n "${DETAIL:-}" ]; then
    # Where the clock's resident memory goes beyond the empty program's, by
    # mapping (a library, [heap], [anon]), largest first.
    echo "resident kB by mapping, morvatel minus empty-qt:"
    for i in 0 1; do
        awk -v side=$i '/^[0-9a-f]+-[0-9a-f]+ / { name = ($6 == "") ? "[anon]" : $6; sub(".*/", "", name) }
            $1 == "Rss:" { print side, name, $2 }' "/proc/${measured[i]}/smaps"
    done | awk '{ kb[$2] += ($1 == 0 ? $3 : -$3) } END { for (n in kb) if (kb[n] >= 64 || kb[n] <= -64) printf "  %-36s %7d\n", n, kb[n] }' |
        sort -k2 -n -r
fi
echo "start-up runs (ms):"
for i in "${!names[@]}"; do
    echo "  ${names[i]}: ${startup[$i]}"
done
