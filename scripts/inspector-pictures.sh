#!/usr/bin/env bash
# Makes the README's pictures of the move inspector from a real run on a
# virtual display: seed 7 with 40 craft, physics on, paused, craft 0 selected
# (Tab) and chased (F), the overlay on (O); then one step (N) under each
# index in turn (I between): docs/inspector-octree.png, inspector-dbvt.png
# and inspector-flat.png, the same craft's moves a step apart with the move
# panel. Last the help panel (H): docs/help-panel.png.
# Usage: scripts/inspector-pictures.sh [program]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
binary="$(realpath "${1:-$root/build/app/brennoc}")"

. "$root/scripts/virtual-display.sh"

(cd "$root/data" && exec "$binary" --seed 7 --craft 40 >/dev/null 2>"$work/stderr") &
program=$!
id="$(program_window "$program")" || { cat "$work/stderr" >&2; exit 1; }
xdotool windowfocus --sync "$id"
eval "$(xdotool getwindowgeometry --shell "$id")"

# The window's picture, once two shots in a row are alike in the view left
# of the graphs (whose bars move with every frame).
settled_shot() {
    local previous="" now
    for _ in $(seq 100); do
        import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/shot.png"
        now="$(convert "$work/shot.png" -crop "$((WIDTH * 7 / 10))x${HEIGHT}+0+0" +repage \
            -format '%#' info:)"
        [ "$now" = "$previous" ] && break
        previous="$now"
        sleep 0.3
    done
    # A palette keeps the picture small enough for the README.
    convert "$work/shot.png" -colors 192 "PNG8:$1"
    echo "wrote $1 ($(stat -c %s "$1") bytes)"
}

# Waits until standard error holds $1 move lines.
move_lines() {
    for _ in $(seq 600); do
        [ "$(grep -c '^move ' "$work/stderr" || true)" -ge "$1" ] && return 0
        kill -0 "$program" 2>/dev/null || { cat "$work/stderr" >&2; exit 1; }
        sleep 0.1
    done
    echo "no move line $1" >&2
    exit 1
}

tap "$id" e
# A second of flight takes the craft out of their start, then the pause.
sleep 1
tap "$id" p
tap "$id" Tab
tap "$id" f
tap "$id" o
count=0
for index in octree dbvt flat; do
    [ "$count" -gt 0 ] && tap "$id" i
    tap "$id" n
    count=$((count + 1))
    move_lines "$count"
    settled_shot "$root/docs/inspector-$index.png"
done
grep '^move ' "$work/stderr"
tap "$id" o
tap "$id" h
settled_shot "$root/docs/help-panel.png"
tap "$id" Escape
for _ in $(seq 100); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
done
program=""
