# Sourced by the scripts that need an X server of their own: starts Xvfb on a display that no
# other server holds, in the given scratch folder, and points DISPLAY and XDG_RUNTIME_DIR at it.
# Sets xvfb_pid, for the caller's clean-up to kill.

start_private_xvfb() {
    local workdir=$1
    # -displayfd lets Xvfb pick a free display and tell us its number.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$workdir/display" 2>"$workdir/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$workdir/display" ] && break
        sleep 0.1
    done
    if [ ! -s "$workdir/display" ]; then
        echo "Xvfb did not start:" >&2
        cat "$workdir/xvfb.log" >&2
        return 1
    fi
    export DISPLAY=":$(cat "$workdir/display")"
    export XDG_RUNTIME_DIR=$workdir/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
}
