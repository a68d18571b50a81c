#!/usr/bin/env bash
# Starts the program many times in each data case, with both cores kept busy,
# and catches a window that stops drawing: its frame-rate graph, which scrolls
# with every frame, holds still for --still seconds and again after the
# process has been examined. Each freeze leaves a folder with the stacks of
# all threads (gdb), /proc state of every thread, the rasteriser threads
# against those Mesa meant to start, the X server's view of the window and a
# screenshot. Prints a table of starts and outcomes per case.
#
# Usage: freeze-hunt.sh [options]
#   -n N          starts per case (default 100)
#   -c CASES      comma-separated, of full,nomodel,empty,deleted,fifo (default all)
#   -j N          programs running at once, each on its own Xvfb (default 2)
#   -l on|off     two busy loops beside them (default on)
#   -e NAME=VALUE environment for the program; may be repeated
#   -x ARGS       extra Xvfb arguments, e.g. "-extension MIT-SHM"
#   -o FOLDER     where the log, the table and the freezes go
#                 (default /tmp/freeze-hunt-<time>)
#   -b BUILD      build folder holding app/brennoc (default build/)
#   -s SECONDS    seconds without a new frame that suspect a freeze (default 20)
#   -p            make rare thread races common: preload tests/tools/perturb.c
#                 into the program (threads are sometimes delayed after unlocking
#                 a mutex and around condition signals; tune it with
#                 -e PERTURB_PERMILLE=N -e PERTURB_US=N) and turn off the
#                 allocator's caches, so that a write into freed memory breaks
#                 the allocator's lists and stops the process
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
starts=100
cases=full,nomodel,empty,deleted,fifo
workers=2
load=on
build="$root/build"
out="/tmp/freeze-hunt-$(date +%Y%m%d-%H%M%S)"
still=20
extra=()
xvfb_args=""
perturb=no
while getopts "n:c:j:l:e:x:o:b:s:ph" option; do
    case "$option" in
        n) starts="$OPTARG" ;;
        c) cases="$OPTARG" ;;
        j) workers="$OPTARG" ;;
        l) load="$OPTARG" ;;
        e) extra+=(--env "$OPTARG") ;;
        x) xvfb_args="$OPTARG" ;;
        o) out="$OPTARG" ;;
        b) build="$OPTARG" ;;
        s) still="$OPTARG" ;;
        p) perturb=yes ;;
        *) sed -n '2,/^set -e/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 2 ;;
    esac
done
for tool in Xvfb xdotool import gdb xwininfo; do
    command -v "$tool" >/dev/null || { echo "freeze-hunt: $tool is missing (scripts/setup.sh)"; exit 2; }
done
build="$(cd "$build" 2>/dev/null && pwd)" || { echo "freeze-hunt: no build folder; build first"; exit 2; }
[ -x "$build/app/brennoc" ] || { echo "freeze-hunt: no $build/app/brennoc; build first"; exit 2; }
[ -x "$build/tests/e2e/wm_close" ] || { echo "freeze-hunt: no $build/tests/e2e/wm_close"; exit 2; }
if [ "$perturb" = yes ]; then
    [ -f "$build/tests/e2e/perturb.so" ] || { echo "freeze-hunt: no $build/tests/e2e/perturb.so"; exit 2; }
    extra+=(--env "LD_PRELOAD=$build/tests/e2e/perturb.so"
            --env "GLIBC_TUNABLES=glibc.malloc.tcache_count=0:glibc.malloc.mxfast=0")
fi

export BRENNOC_BINARY="$build/app/brennoc"
export BRENNOC_DATA_DIR="$root/data"
export BRENNOC_WM_CLOSE="$build/tests/e2e/wm_close"
unset DISPLAY
# A program that ends on a signal leaves a core dump in its folder; the
# helper keeps it beside the run's standard error.
ulimit -c unlimited 2>/dev/null || true

# shellcheck source=busy-load.sh
source "$root/scripts/busy-load.sh"
if [ "$load" = on ]; then
    start_busy_load
fi
echo "== results in $out"
python3 "$root/tests/tools/freeze_hunt.py" --starts "$starts" --cases "$cases" \
    --workers "$workers" --still "$still" --xvfb-args "$xvfb_args" --out "$out" \
    ${extra[@]+"${extra[@]}"}
