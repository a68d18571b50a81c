#!/usr/bin/env bash
# Runs the scaling benchmark (octree, flat list, Bullet's dynamic AABB tree)
# and writes bench/results/scaling.csv, scaling_cold.csv (caches flushed
# between steps) and scaling.png.
# Takes a few minutes; the benchmark fails if the spaces disagree on a move.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"

build="${BRENNOC_BUILD:-$root/build}"
results="$root/bench/results"
mkdir -p "$results"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target bench_scaling

json="$(mktemp)"
trap 'rm -f "$json"' EXIT
# Three runs of every case in shuffled order; the median counts.
"$build/bench/bench_scaling" --benchmark_repetitions=3 \
    --benchmark_enable_random_interleaving=true \
    --benchmark_report_aggregates_only=true \
    --benchmark_out="$json" --benchmark_out_format=json

python3 - "$json" "$results/scaling.csv" "$results/scaling_cold.csv" <<'PY'
import csv, json, sys

spaces = ["flat", "bullet", "octree_full_walk", "octree"]
times, collided = {}, {}
for run in json.load(open(sys.argv[1]))["benchmarks"]:
    if run.get("aggregate_name") != "median":
        continue
    family, space, movers = run["run_name"].split("/")[:3]
    assert run["time_unit"] == "us"
    # Cold steps are timed by hand around the step alone (the cache flush
    # between steps is not counted); they report that as the real time.
    times[(family, space, int(movers))] = run["real_time" if family == "cold" else "cpu_time"]
    collided[(family, int(movers))] = run["collided_%"]

def sizes(family):
    return sorted(m for f, m in collided if f == family)

with open(sys.argv[2], "w", newline="") as out:
    table = csv.writer(out)
    table.writerow(["movers"] + [s + "_us" for s in spaces] +
                   ["octree_vs_flat", "octree_vs_bullet",
                    "full_walk_vs_flat", "full_walk_vs_bullet", "collided_percent"])
    for movers in sizes("step"):
        t = {s: times[("step", s, movers)] for s in spaces}
        table.writerow([movers] + ["%.2f" % t[s] for s in spaces] +
                       ["%.3f" % (t["octree"] / t["flat"]),
                        "%.3f" % (t["octree"] / t["bullet"]),
                        "%.3f" % (t["octree_full_walk"] / t["flat"]),
                        "%.3f" % (t["octree_full_walk"] / t["bullet"]),
                        "%.2f" % collided[("step", movers)]])

with open(sys.argv[3], "w", newline="") as out:
    table = csv.writer(out)
    table.writerow(["movers", "bullet_us", "octree_us", "octree_vs_bullet", "collided_percent"])
    for movers in sizes("cold"):
        bullet, octree = times[("cold", "bullet", movers)], times[("cold", "octree", movers)]
        table.writerow([movers, "%.2f" % bullet, "%.2f" % octree, "%.3f" % (octree / bullet),
                        "%.2f" % collided[("cold", movers)]])
PY

gnuplot <<GP
set terminal pngcairo size 800,560 font "sans,10"
set output "$results/scaling.png"
set datafile separator ","
set key top left
set logscale xy
set grid
set xlabel "movers"
set ylabel "microseconds per step (median of 3)"
set title "One step of every mover over the city"
plot "$results/scaling.csv" skip 1 using 1:4 with linespoints title "OctTree, remove visiting every node", \
     "" skip 1 using 1:2 with linespoints title "flat list, all pairs", \
     "" skip 1 using 1:5 with linespoints lc 3 title "OctTree (pruned remove, then insertAndCheck)", \
     "" skip 1 using 1:3 with linespoints lc 4 title "Bullet btDbvtBroadphase", \
     "$results/scaling_cold.csv" skip 1 using 1:3 with linespoints lc 3 dt 2 title "OctTree, caches flushed between steps", \
     "" skip 1 using 1:2 with linespoints lc 4 dt 2 title "Bullet, caches flushed between steps"
GP
echo "wrote $results/scaling.csv, $results/scaling_cold.csv and $results/scaling.png"
cat "$results/scaling.csv" "$results/scaling_cold.csv"
