#!/usr/bin/env bash
# Three kinds of hostile but ordinary use of the real program on a virtual
# display (Xvfb), each printing what it saw:
#   stall  at 10,000 craft with physics on for 3 s, the process stopped 15 s
#          (kill -STOP) and continued for 30 s: the frame statistics' physics
#          steps and `outside` count (movers outside the collision region) and
#          the exit code;
#   edge   the camera flown forwards in free flight for 30 s (past the
#          region's face at z = 60), then physics on for 40 s: where the
#          camera ended (--camera-trace);
#   storm  at 10,000 craft, 300 presses of I sent at once, then Escape: the
#          seconds from Escape to the end of the process.
#
#   scripts/hostile-use.sh [--binary PATH] [stall] [edge] [storm]
#
# Defaults: the binary in build/ (built first), all three.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
binary=""
runs=()
while [ $# -gt 0 ]; do
    case "$1" in
        --binary) binary="$(realpath "$2")"; shift 2 ;;
        stall|edge|storm) runs+=("$1"); shift ;;
        *) echo "usage: $0 [--binary PATH] [stall] [edge] [storm]" >&2; exit 2 ;;
    esac
done
[ ${#runs[@]} -eq 0 ] && runs=(stall edge storm)
if [ -z "$binary" ]; then
    "$root/scripts/build-program.sh"
    binary="$root/build/app/brennoc"
fi

. "$root/scripts/virtual-display.sh"



# Starts the program with the given arguments; sets program, id and err.
start() {
    err="$work/$1.stderr"
    shift
    (cd "$root/data" && exec "$binary" --seed 7 "$@" >/dev/null 2>"$err") &
    program=$!
    id="$(program_window "$program")" || { echo "no window" >&2; cat "$err" >&2; exit 1; }
    xdotool windowfocus --sync "$id"
}

# Waits for the end; sets code to the exit code.
finish() {
    code=0
    wait "$program" || code=$?
    program=""
}

for run in "${runs[@]}"; do
    case "$run" in
        stall)
            start stall --craft 10000 --frame-stats
            tap "$id" e
            sleep 3
            kill -STOP "$program"
            sleep 15
            kill -CONT "$program"
            sleep 30
            tap "$id" Escape
            finish
            echo "stall: $(grep -o 'physics-steps [0-9]*' "$err"), $(grep -o 'outside [0-9]*' "$err" \
                || echo 'no outside field'), exit code $code"
            ;;
        edge)
            start edge --camera-trace
            xdotool keydown --window "$id" a
            sleep 30
            xdotool keyup a
            tap "$id" e
            sleep 40
            tap "$id" Escape
            finish
            echo "edge: $(grep -o 'camera at .*' "$err"), exit code $code"
            ;;
        storm)
            start storm --craft 10000
            tap "$id" e
            sleep 5
            # shellcheck disable=SC2046
            xdotool key --window "$id" --delay 1 $(printf 'i %.0s' $(seq 300))
            sent=$(date +%s.%N)
            xdotool key --window "$id" Escape
            finish
            ended=$(date +%s.%N)
            echo "storm: $(awk -v a="$sent" -v b="$ended" 'BEGIN { printf "%.1f", b - a }') s" \
                 "from Escape to the end, exit code $code"
            ;;
    esac
done
