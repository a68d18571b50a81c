#!/usr/bin/env bash
# Makes the README's picture of the octree overlay from a real run on a
# virtual display: physics on (E), the overlay on (O), a few seconds of flight.
# The keys in OVERLAY_KEYS (such as "c", the heat colouring) are pressed after O.
# Usage: [OVERLAY_KEYS=...] scripts/overlay-screenshot.sh [program] [output.png]
#        [program options...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
program="$(realpath "${1:-$root/build/app/brennoc}")"
output="$(realpath -m "${2:-$root/docs/octree-overlay.png}")"
shift $(($# < 2 ? $# : 2))
flight_seconds=3

export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/runtime-$(id -u)}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
export DISPLAY=":$(head -n1 "$work/display")"

(cd "$root/data" && exec "$program" "$@") >/dev/null 2>"$work/stderr" &
brennoc=$!
pids+=($brennoc)

# The largest window titled Brennoc is the one on screen (Qt titles helpers too).
window=""
for _ in $(seq 300); do
    kill -0 "$brennoc" 2>/dev/null || { cat "$work/stderr" >&2; echo "Brennoc ended early" >&2; exit 1; }
    best=0
    for id in $(xdotool search --onlyvisible --name '^Brennoc$' 2>/dev/null || true); do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        if [ $((WIDTH * HEIGHT)) -gt "$best" ]; then
            best=$((WIDTH * HEIGHT))
            window=$id
        fi
    done
    [ -n "$window" ] && break
    sleep 0.2
done
[ -n "$window" ] || { echo "no window titled Brennoc appeared" >&2; exit 1; }
for _ in $(seq 50); do
    xdotool windowfocus --sync "$window" 2>/dev/null && break
    sleep 0.2
done
sleep 1

# Held for a while: the program reads held keys once per frame.
press() {
    xdotool keydown "$1"
    sleep "${2:-0.3}"
    xdotool keyup "$1"
}
press e
press o
for key in ${OVERLAY_KEYS:-}; do
    press "$key"
done
sleep "$flight_seconds"

# Prefer a frame that shows a refused move (its own colour, cyan) in the
# view, away from the graphs at the right; with ten craft refusals are rare,
# so after a while any frame will do.
eval "$(xdotool getwindowgeometry --shell "$window")"
mkdir -p "$(dirname "$output")"
refused_pixels=0
deadline=$((SECONDS + 40))
while :; do
    import -window root "$work/screen.png"
    convert "$work/screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/view.png"
    refused_pixels=$(convert "$work/view.png" -crop "$((WIDTH * 7 / 10))x${HEIGHT}+0+0" +repage \
        -fuzz 4% -fill black +opaque "rgb(25,242,255)" -fill white -opaque "rgb(25,242,255)" \
        -format "%[fx:round(mean*w*h)]" info:)
    [ "$refused_pixels" -ge 20 ] || [ "$SECONDS" -ge "$deadline" ] && break
    sleep 0.2
done
# A palette keeps the picture small enough for the README.
convert "$work/view.png" -colors 192 "PNG8:$output"
press Escape
for _ in $(seq 100); do
    kill -0 "$brennoc" 2>/dev/null || break
    sleep 0.1
done
echo "wrote $output ($(stat -c %s "$output") bytes; $refused_pixels pixels of refused boxes)"
