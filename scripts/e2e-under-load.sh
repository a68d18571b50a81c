#!/usr/bin/env bash
# Runs the end-to-end tests three rounds in a row while two busy loops keep
# both cores of a small machine occupied; fails if any round fails.
# Usage: e2e-under-load.sh [build folder [cmake arguments...]]
# The build folder (default build/) is built first if it holds no build yet.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
[ $# -gt 0 ] && shift
rounds=3

if [ ! -f "$build/CTestTestfile.cmake" ] || [ ! -x "$build/app/brennoc" ]; then
    echo "== building $build"
    "$root/scripts/build.sh" "$build" "$@"
fi

export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/runtime-$(id -u)}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
# Each end-to-end test starts its own Xvfb; nothing may use a real display.
unset DISPLAY

# shellcheck source=busy-load.sh
source "$root/scripts/busy-load.sh"
start_busy_load

passed=0
start=$SECONDS
for round in $(seq "$rounds"); do
    round_start=$SECONDS
    if ctest --test-dir "$build" -L e2e --output-on-failure -j2; then
        passed=$((passed + 1))
        result=passed
    else
        result=FAILED
    fi
    echo "== round $round of $rounds $result in $((SECONDS - round_start)) s"
done
echo "== $passed of $rounds rounds passed under load in $((SECONDS - start)) s"
[ "$passed" -eq "$rounds" ]
