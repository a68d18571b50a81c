#!/usr/bin/env bash
# Long random use of the real program on a virtual display (Xvfb): starts
# `brennoc --seed 7 --craft N`, switches physics on and then, every 0.2 to 2 s
# at random, taps one of i o p n e r (index switch, overlay, pause, single
# step, physics on, physics off). Once a minute it prints the program's
# resident memory (VmRSS) and its growth since the end of the first minute;
# at the end it ends the program with Escape and prints the frame statistics
# line.
#
#   scripts/soak.sh [--binary PATH] [--minutes M] [--craft N] [--random-seed S]
#
# Defaults: the binary in build/ (built first), 60 minutes, 1000 craft,
# random seed 1.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
binary=""
minutes=60
craft=1000
random_seed=1
while [ $# -gt 0 ]; do
    case "$1" in
        --binary) binary="$(realpath "$2")"; shift 2 ;;
        --minutes) minutes="$2"; shift 2 ;;
        --craft) craft="$2"; shift 2 ;;
        --random-seed) random_seed="$2"; shift 2 ;;
        *) echo "usage: $0 [--binary PATH] [--minutes M] [--craft N] [--random-seed S]" >&2
           exit 2 ;;
    esac
done
if [ -z "$binary" ]; then
    "$root/scripts/build-program.sh"
    binary="$root/build/app/brennoc"
fi

. "$root/scripts/virtual-display.sh"



rss_kib() {
    awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"
}

err="$work/brennoc.stderr"
start_flying "$binary" "$err" --seed 7 --craft "$craft"

RANDOM=$random_seed
keys=(i o p n e r)
start=$SECONDS
baseline=""
echo "minute rss-kib growth-since-minute-1-kib"
for minute in $(seq 1 "$minutes"); do
    while [ $((SECONDS - start)) -lt $((minute * 60)) ]; do
        kill -0 "$program" 2>/dev/null || { echo "the program ended" >&2; cat "$err" >&2; exit 1; }
        tap "$id" "${keys[RANDOM % ${#keys[@]}]}"
        # 0.2 s of the tap itself, then up to 1.8 s more.
        sleep "$(awk -v r=$RANDOM 'BEGIN { printf "%.2f", r % 181 / 100 }')"
    done
    rss="$(rss_kib "$program")"
    [ -z "$baseline" ] && baseline=$rss
    echo "$minute $rss $((rss - baseline))"
done
tap "$id" Escape
code=0
wait "$program" || code=$?
program=""
grep 'frame stats' "$err" || true
echo "exit code $code"
exit "$code"
