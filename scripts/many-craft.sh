#!/usr/bin/env bash
# Measures the running program with many craft on a virtual display (Xvfb):
# for each craft count, starts `brennoc --seed 7 --craft N` in its normal
# 800 x 600 window at the start view, switches physics on with E, lets it run
# and ends it with Escape, then prints one table row from the frame statistics
# line (BRENNOC_FRAME_STATS=1): frames per second with physics on, the mean
# physics step, the part of it inside octree calls and, where the line gives
# it (a figure named accepted...), the share of tried moves the octree
# accepted, and the resident memory (VmRSS) just before Escape with its
# peak (VmHWM).
#
#   scripts/many-craft.sh [--binary PATH] [--seconds S] [--rss-every S] [COUNT...]
#
# --rss-every S prints the resident memory every S seconds of the run on
# standard error, to show whether it stays flat.
#
# Defaults: the binary in build/ (built first), 30 seconds with physics on,
# counts 10 100 1000 10000. Each run's standard error is kept in
# build/many-craft/ (or beside the given binary).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
binary=""
seconds=30
rss_every=0
counts=()
while [ $# -gt 0 ]; do
    case "$1" in
        --binary) binary="$(realpath "$2")"; shift 2 ;;
        --seconds) seconds="$2"; shift 2 ;;
        --rss-every) rss_every="$2"; shift 2 ;;
        *) counts+=("$1"); shift ;;
    esac
done
[ ${#counts[@]} -eq 0 ] && counts=(10 100 1000 10000)
if [ -z "$binary" ]; then
    "$root/scripts/build-program.sh"
    binary="$root/build/app/brennoc"
    logs="$root/build/many-craft"
else
    logs="$(dirname "$binary")/many-craft"
fi
mkdir -p "$logs"

. "$root/scripts/virtual-display.sh"



# The value after a name on the statistics line, or "-".
figure() {
    local value
    value="$({ grep -o "$1 [0-9.]*" "$2" || true; } | tail -n1 | cut -d' ' -f2)"
    echo "${value:--}"
}

echo "| Craft | Frames per second, physics on | Physics per step | Of it in the octree | Moves accepted | Resident memory (peak) |"
echo "|---:|---:|---:|---:|---:|---:|"
for craft in "${counts[@]}"; do
    err="$logs/craft-$craft.stderr"
    start_flying "$binary" "$err" --seed 7 --craft "$craft"
    if [ "$rss_every" -gt 0 ]; then
        for ((t = rss_every; t <= seconds; t += rss_every)); do
            sleep "$rss_every"
            echo "$craft craft, $t s: $(grep VmRSS "/proc/$program/status")" >&2
        done
        sleep $((seconds % rss_every))
    else
        sleep "$seconds"
    fi
    rss="$(awk '/^VmRSS/ {r = $2} /^VmHWM/ {h = $2}
                END {printf "%.0f MiB (%.0f MiB)", r / 1024, h / 1024}' "/proc/$program/status")"
    tap "$id" Escape
    for _ in $(seq 600); do
        kill -0 "$program" 2>/dev/null || break
        sleep 0.2
    done
    wait "$program" || { echo "brennoc with $craft craft failed" >&2; cat "$err" >&2; exit 1; }
    program=""
    # The accepted share, as a fraction or in per cent, where the line has it.
    accepted="$({ grep -o 'accepted[a-z-]* [0-9.]*%\?' "$err" || true; } | tail -n1 | cut -d' ' -f2)"
    accepted="$(awk -v a="${accepted:--}" 'BEGIN {
        if (a == "-") print "-"; else if (a ~ /%$/ || a + 0 > 1) printf "%.1f %%\n", a + 0;
        else printf "%.1f %%\n", a * 100 }')"
    awk -v craft="$craft" -v fps="$(figure physics-fps "$err")" \
        -v physics="$(figure physics-us "$err")" -v octree="$(figure octree-us "$err")" \
        -v accepted="$accepted" -v rss="$rss" '
        function time(us) {
            return us >= 1000 ? sprintf("%.1f ms", us / 1000) : sprintf("%.0f µs", us)
        }
        BEGIN {
            printf "| %d | %." (fps < 1 ? 2 : 1) "f | %s | %s | %s | %s |\n", craft, fps,
                   time(physics), time(octree), accepted, rss
        }'
done
