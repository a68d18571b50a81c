# Sourced by the scripts that run Brennoc on a virtual display of their own.
# Starts Xvfb on a free display number (kept across its clients, -noreset),
# points DISPLAY at it and makes a scratch folder $work; on exit it stops the
# program whose id is in $program, if any, and the display, and removes $work.
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/runtime-$(id -u)}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
work="$(mktemp -d)"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" \
    >/dev/null 2>&1 &
xvfb=$!
program=""
stop_virtual_display() {
    [ -n "$program" ] && kill "$program" 2>/dev/null
    kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap stop_virtual_display EXIT
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
export DISPLAY=":$(head -n1 "$work/display")"
