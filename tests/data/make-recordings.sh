#!/usr/bin/env bash
# Makes the recordings under tests/data/ from their scripts (*.script), with
# the program's own world and step (tests/tools/script_recording.cpp). Run it
# again whenever a change to the step is meant to change what they record.
#   tests/data/make-recordings.sh [build folder]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
cmake --build "$build" --target script_recording >/dev/null
cd "$root/data"
for script in "$root"/tests/data/*.script; do
    "$build/tests/replay/script_recording" "$script" "${script%.script}.rec"
done
