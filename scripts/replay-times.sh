#!/usr/bin/env bash
# Times the whole physics step by replaying without a window: for 10, 1000
# and 10000 craft over seed 7's city, a recording made from a script (physics
# on, then steps of 0.02 s) by tests/tools/script_recording, replayed with
# --no-window through each index, three times; prints the median of the
# step-us each replay reports as a table for docs/replay.md and writes
# bench/results/replay_times.csv.
# Usage: scripts/replay-times.sh [build folder]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
cmake --build "$build" --target brennoc script_recording >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
csv="$root/bench/results/replay_times.csv"
echo "craft,index,steps,step_us_median,step_us_runs" >"$csv"
echo "| Craft | Steps | octree | dbvt | flat |"
echo "|---:|---:|---:|---:|---:|"
cd "$root/data"
for craft in 10 1000 10000; do
    steps=200
    [ "$craft" -ge 10000 ] && steps=50
    printf 'seed 7\ncraft %d\nindex octree\ntap e\ntick 0.02 %d\n' "$craft" "$steps" \
        >"$work/run.script"
    "$build/tests/replay/script_recording" "$work/run.script" "$work/run.rec" >/dev/null
    row="| $craft | $steps |"
    for index in octree dbvt flat; do
        runs=()
        for _ in 1 2 3; do
            line="$(env -u DISPLAY "$build/app/brennoc" --replay "$work/run.rec" --no-window \
                --index "$index" 2>&1)"
            case "$line" in
                *matches*) ;;
                *) echo "replay through $index at $craft craft: $line" >&2; exit 1 ;;
            esac
            runs+=("${line##* step-us }")
        done
        median="$(printf '%s\n' "${runs[@]}" | sort -g | sed -n 2p)"
        echo "$craft,$index,$steps,$median,${runs[*]}" >>"$csv"
        row="$row $median µs |"
    done
    echo "$row"
done
