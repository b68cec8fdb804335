# Sourced by the measurement scripts: starts an Xvfb of their own and points
# DISPLAY at it. Xvfb picks a free display number and writes it, so two
# measurements (or a measurement and the tests) never share a server.
# Uses the caller's $work folder and adds the server to its $pids.
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
