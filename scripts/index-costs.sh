#!/usr/bin/env bash
# Measures the running program's mean cost per physics step with each
# collision index at 10, 100 and 1000 craft: the part inside the index's calls
# and the whole step, as the frame statistics give them (--frame-stats), from
# runs of --seed 7 on a virtual display, each index active from the start and
# physics on for a while. Beside them the scaling benchmark's time per step at
# as many movers, read from bench/results/scaling.csv (scripts/scaling.sh).
# Writes bench/results/index_costs.csv and prints the table in docs/performance.md.
# Usage: scripts/index-costs.sh [seconds with physics on, default 20]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh" >/dev/null
"$root/scripts/build-program.sh"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/runtime-$(id -u)}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

BRENNOC_BINARY="$root/build/app/brennoc" BRENNOC_DATA_DIR="$root/data" \
BRENNOC_ARTIFACTS="$(mktemp -d)" PYTHONPATH="$root/tests/e2e" \
python3 - "${1:-20}" "$root/bench/results" <<'PY'
import csv, os, re, sys, time

from brennoc_e2e import Brennoc, Xvfb, fail

seconds, results = float(sys.argv[1]), sys.argv[2]
crafts, indexes = (10, 100, 1000), ("octree", "dbvt", "flat")
FIGURES = re.compile(r" (\w+)-steps (\d+) \1-index-us (\S+) \1-step-us (\S+)")

def measure(xvfb, craft, index):
    app = Brennoc(xvfb, args=["--seed", "7", "--craft", str(craft), "--index", index,
                              "--frame-stats"])
    try:
        app.wait_window(timeout=300)
        app.tap("e")
        time.sleep(seconds)
        app.tap("Escape")
        code, _, err = app.wait(timeout=300)
    finally:
        app.kill()
    figures = {name: (int(steps), float(inside), float(whole))
               for name, steps, inside, whole in FIGURES.findall(err)}
    if code != 0 or index not in figures or figures[index][0] == 0:
        fail("no figures from %d craft with %s (exit %s): %r" % (craft, index, code, err[-300:]))
    return figures[index]

bench = {}
with open(os.path.join(results, "scaling.csv")) as table:
    for row in csv.DictReader(table):
        bench[int(row["movers"])] = {"octree": float(row["octree_us"]),
                                     "dbvt": float(row["bullet_us"]),
                                     "flat": float(row["flat_us"])}

rows = []
with Xvfb() as xvfb:
    for craft in crafts:
        for index in indexes:
            steps, inside, whole = measure(xvfb, craft, index)
            rows.append((craft, index, steps, inside, whole, bench.get(craft, {}).get(index)))
            print("%d craft, %s: %d steps, %.1f us in the index, %.1f us a step"
                  % (craft, index, steps, inside, whole), file=sys.stderr, flush=True)

with open(os.path.join(results, "index_costs.csv"), "w", newline="") as out:
    table = csv.writer(out)
    table.writerow(["craft", "index", "steps", "index_us", "step_us", "benchmark_us"])
    for craft, index, steps, inside, whole, benchmark in rows:
        table.writerow([craft, index, steps, "%.1f" % inside, "%.1f" % whole,
                        "" if benchmark is None else "%.2f" % benchmark])

print("| Craft | Index | Steps | In the index | Whole step | Benchmark, warm |")
print("|---:|---|---:|---:|---:|---:|")
for craft, index, steps, inside, whole, benchmark in rows:
    print("| %d | %s | %d | %.1f µs | %.1f µs | %s |"
          % (craft, index, steps, inside, whole,
             "–" if benchmark is None else "%.2f µs" % benchmark))
PY
