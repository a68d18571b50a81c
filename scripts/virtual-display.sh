# Sourced by the scripts that run Brennoc on a virtual display of their own.
# Starts Xvfb on a free display number (kept across its clients, -noreset),
# points DISPLAY at it and makes a scratch folder $work; on exit it stops the
# program whose id is in $program, if any, and the display, and removes $work.
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/runtime-$(id -u)}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
work="$(mktemp -d)"
# -r: no auto-repeat, so that a tap held longer on a busy machine stays one press.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset -r 3>"$work/display" \
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

# Starts the binary $1 from data/ with the frame statistics on and the
# arguments after $2, its standard error into the file $2; waits for its
# window, focuses it and switches physics on (E). Sets $program and $id.
start_flying() {
    local binary="$1" err="$2"
    shift 2
    (cd "$root/data" && BRENNOC_FRAME_STATS=1 exec "$binary" "$@" >/dev/null 2>"$err") &
    program=$!
    id="$(program_window "$program")" || { echo "no window: $*" >&2; cat "$err" >&2; exit 1; }
    xdotool windowfocus --sync "$id"
    tap "$id" e
}

# The window a person sees of the program with process id $1, once it is
# larger than 1 x 1 (Qt also titles a small helper window Brennoc); waits up
# to ten minutes, and fails when the program ends first.
program_window() {
    local id
    for _ in $(seq 3000); do
        kill -0 "$1" 2>/dev/null || return 1
        for id in $(xdotool search --onlyvisible --maxdepth 1 --pid "$1" --name '^Brennoc$' \
                    2>/dev/null); do
            WIDTH=0
            eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)"
            if [ "$WIDTH" -gt 1 ]; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.2
    done
    return 1
}

# A press of key $2 to window $1 and its release to the server, which also
# holds if the key ended the program.
tap() {
    xdotool keydown --window "$1" "$2"
    sleep 0.2
    xdotool keyup "$2"
}
