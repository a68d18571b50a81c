#!/usr/bin/env bash
# Sets up, builds the program alone and runs it from its data folder; the
# arguments go to the program (scripts/run.sh --seed 7 --craft 500).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"

"$root/scripts/build-program.sh"
build="$root/build"

export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/runtime-$(id -u)}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

cd "$root/data"
if [ -n "${DISPLAY:-}" ]; then
    exec "$build/app/brennoc" "$@"
fi

# No display: run on a virtual one and say how to look at it.
numberfile="$(mktemp)"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numberfile" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -f "$numberfile"' EXIT
for _ in $(seq 100); do
    [ -s "$numberfile" ] && break
    sleep 0.1
done
export DISPLAY=":$(head -n1 "$numberfile")"
# The hint starts on a line of its own: the program's help text ends without a
# line feed, and the terminal may hold text without one.
cat >&2 <<MSG

No DISPLAY is set, so Brennoc runs on the virtual display $DISPLAY (Xvfb).
  Screenshot:  DISPLAY=$DISPLAY import -window root brennoc.png
  Keys:        DISPLAY=$DISPLAY xdotool search --sync --onlyvisible --name '^Brennoc\$' key e
  Stop:        Ctrl+C here
To see the window itself, run from a desktop session (or ssh -X).
MSG
"$build/app/brennoc" "$@"
