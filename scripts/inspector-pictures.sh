#!/usr/bin/env bash
# Makes the README's pictures of the move inspector from a real run on a
# virtual display: seed 7 with 40 craft, physics on, paused, the last craft
# (39) selected (Shift+Tab twice: the camera, then craft 39) and chased (F),
# the overlay on (O); then one step (N) under the octree, and I twice, which
# tells the same move again through the dbvt and the flat list:
# docs/inspector-octree.png, inspector-dbvt.png and inspector-flat.png, with
# the move panel. Last the help panel (H): docs/help-panel.png.
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
tap "$id" shift+Tab
tap "$id" shift+Tab
tap "$id" f
tap "$id" o
tap "$id" n
move_lines 1
settled_shot "$root/docs/inspector-octree.png"
previous="$root/docs/inspector-octree.png"
for index in dbvt flat; do
    tap "$id" i
    # The switch comes at the next pass; the move is told again after it.
    for _ in $(seq 100); do
        settled_shot "$root/docs/inspector-$index.png" >/dev/null
        differing="$(compare -metric AE "$root/docs/inspector-$index.png" "$previous" null: 2>&1 || true)"
        [ "$differing" != 0 ] && break
    done
    echo "wrote $root/docs/inspector-$index.png"
    previous="$root/docs/inspector-$index.png"
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
