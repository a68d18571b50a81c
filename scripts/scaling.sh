#!/usr/bin/env bash
# Runs the scaling benchmark (octree, flat list, Bullet's dynamic AABB tree)
# and writes bench/results/scaling.csv and bench/results/scaling.png.
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

python3 - "$json" "$results/scaling.csv" <<'PY'
import csv, json, sys

spaces = ["flat", "bullet", "octree_full_walk", "octree"]
times, collided = {}, {}
for run in json.load(open(sys.argv[1]))["benchmarks"]:
    if run.get("aggregate_name") != "median":
        continue
    _, space, movers = run["run_name"].split("/")[:3]
    assert run["time_unit"] == "us"
    times[(space, int(movers))] = run["cpu_time"]
    collided[int(movers)] = run["collided_%"]

with open(sys.argv[2], "w", newline="") as out:
    table = csv.writer(out)
    table.writerow(["movers"] + [s + "_us" for s in spaces] +
                   ["octree_vs_flat", "octree_vs_bullet",
                    "full_walk_vs_flat", "full_walk_vs_bullet", "collided_percent"])
    for movers in sorted(collided):
        t = {s: times[(s, movers)] for s in spaces}
        table.writerow([movers] + ["%.2f" % t[s] for s in spaces] +
                       ["%.3f" % (t["octree"] / t["flat"]),
                        "%.3f" % (t["octree"] / t["bullet"]),
                        "%.3f" % (t["octree_full_walk"] / t["flat"]),
                        "%.3f" % (t["octree_full_walk"] / t["bullet"]),
                        "%.2f" % collided[movers]])
PY

gnuplot <<GP
set terminal pngcairo size 800,560 font "sans,10"
set output "$results/scaling.png"
set datafile separator ","
set key top left
set logscale xy
set grid
set xlabel "movers"
set ylabel "microseconds per step (CPU, median of 3)"
set title "One step of every mover over the city"
plot "$results/scaling.csv" skip 1 using 1:4 with linespoints title "OctTree, remove visiting every node", \
     "" skip 1 using 1:2 with linespoints title "flat list, all pairs", \
     "" skip 1 using 1:5 with linespoints title "OctTree (pruned remove, moveAndCheck)", \
     "" skip 1 using 1:3 with linespoints title "Bullet btDbvtBroadphase"
GP
echo "wrote $results/scaling.csv and $results/scaling.png"
cat "$results/scaling.csv"
