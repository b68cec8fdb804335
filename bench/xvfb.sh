# Sourced by the measurement scripts: a $work folder, a $pids list whose
# processes end (in reverse order, so clients before the X server) with the
# script, and start_xvfb, which starts an Xvfb of their own and points DISPLAY
# at it. Xvfb picks a free display number and writes it, so two measurements
# (or a measurement and the tests) never share a server.
work=$(mktemp -d)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

start_xvfb() {
    exec 3> "$work/display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp "$@" >/dev/null 2>&1 &
    pids+=($!)
    exec 3>&-
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        sleep 0.05
    done
    export DISPLAY=":$(head -n1 "$work/display")"
}
