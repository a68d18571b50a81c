#!/usr/bin/env bash
# Builds the program alone into build/, printing one line; the build's output
# goes to build/program-build.log and is shown only when the build fails. On a
# terminal a second line shows the build's progress while it runs.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
log="$build/program-build.log"
mkdir -p "$build"
. "$root/scripts/progress.sh"
echo "building brennoc (log in $log)" >&2
: >"$log"
if ! { cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
       cmake --build "$build" --target brennoc -j"$(nproc)"; } 2>&1 | build_progress brennoc "$log"; then
    cat "$log" >&2
    echo "the build failed; its output is above and in $log" >&2
    exit 1
fi
