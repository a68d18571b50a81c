#!/usr/bin/env bash
# Measures two builds of the program against each other in one sitting:
# scripts/many-craft.sh's row for each craft count, the first binary then the
# second, round after round, so that both see the same load of a shared
# machine. Compare their rows within a round.
#
#   scripts/compare-builds.sh BEFORE AFTER [--rounds R] [--seconds S] [COUNT...]
#
# Defaults: 3 rounds, 20 seconds a run, counts 10 and 10000.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
[ $# -ge 2 ] || { echo "usage: $0 BEFORE AFTER [--rounds R] [--seconds S] [COUNT...]" >&2; exit 2; }
before="$1"
after="$2"
shift 2
rounds=3
seconds=20
counts=()
while [ $# -gt 0 ]; do
    case "$1" in
        --rounds) rounds="$2"; shift 2 ;;
        --seconds) seconds="$2"; shift 2 ;;
        *) counts+=("$1"); shift ;;
    esac
done
[ ${#counts[@]} -eq 0 ] && counts=(10 10000)
for round in $(seq "$rounds"); do
    for count in "${counts[@]}"; do
        for binary in "$before" "$after"; do
            row="$("$root/scripts/many-craft.sh" --binary "$binary" --seconds "$seconds" "$count" | tail -n1)"
            echo "round $round $binary $row"
        done
    done
done
