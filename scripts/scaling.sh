#!/usr/bin/env bash
# Runs the scaling benchmark (octree, flat list, Bullet's dynamic AABB tree)
# and writes, in bench/results:
#   scaling.csv         movers spread over the city, warm caches;
#   scaling_cold.csv    the same with the caches flushed between steps;
#   scaling_crowd.csv   movers released as the craft are, in one block, warm
#                       and cold;
#   scaling_tables.md   all three as tables for the README;
#   scaling.png         the spread runs as a plot.
# Takes several minutes; the benchmark fails if spaces that must decide moves
# alike do not, or if the octree lets a crowded mover into another box.
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

python3 - "$json" "$results" <<'PY'
import csv, json, os, sys

results = sys.argv[2]
times, collided = {}, {}
for run in json.load(open(sys.argv[1]))["benchmarks"]:
    if run.get("aggregate_name") != "median":
        continue
    family, space, movers = run["run_name"].split("/")[:3]
    assert run["time_unit"] == "us"
    # Cold steps are timed by hand around the step alone (the cache flush
    # between steps is not counted); they report that as the real time.
    cold = family.endswith("cold")
    times[(family, space, int(movers))] = run["real_time" if cold else "cpu_time"]
    collided[(family, space, int(movers))] = run["collided_%"]

def sizes(family):
    return sorted({m for f, _, m in times if f == family})

def ratio(a, b):
    return "%.3f" % (a / b)

def micro(us):
    return "%.3g µs" % us if us < 1000 else "%.3g ms" % (us / 1000)

tables = []

# Spread over the city, warm.
spread = ["flat", "bullet", "octree_full_walk", "octree_four_calls", "octree"]
rows = []
with open(os.path.join(results, "scaling.csv"), "w", newline="") as out:
    table = csv.writer(out)
    table.writerow(["movers"] + [s + "_us" for s in spread] +
                   ["octree_vs_flat", "octree_vs_bullet", "octree_vs_four_calls",
                    "full_walk_vs_flat", "collided_percent"])
    for m in sizes("step"):
        t = {s: times[("step", s, m)] for s in spread}
        table.writerow([m] + ["%.2f" % t[s] for s in spread] +
                       [ratio(t["octree"], t["flat"]), ratio(t["octree"], t["bullet"]),
                        ratio(t["octree"], t["octree_four_calls"]),
                        ratio(t["octree_full_walk"], t["flat"]),
                        "%.2f" % collided[("step", "octree", m)]])
        rows.append("| %d | %s | %s | %s | %s | %s | %.2f | %.2f | %.2f |" % (
            m, micro(t["flat"]), micro(t["bullet"]), micro(t["octree_full_walk"]),
            micro(t["octree_four_calls"]), micro(t["octree"]), t["octree"] / t["flat"],
            t["octree"] / t["bullet"], t["octree"] / t["octree_four_calls"]))
tables.append("Spread, warm (CPU time per step, median of 3):\n\n"
              "| Movers | flat | Bullet | OctTree, every node | OctTree, four calls | OctTree |"
              " OctTree / flat | OctTree / Bullet | OctTree / four calls |\n"
              "|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n" + "\n".join(rows))

# Spread, cold.
rows = []
with open(os.path.join(results, "scaling_cold.csv"), "w", newline="") as out:
    table = csv.writer(out)
    table.writerow(["movers", "bullet_us", "octree_four_calls_us", "octree_us",
                    "octree_vs_bullet", "octree_vs_four_calls", "collided_percent"])
    for m in sizes("cold"):
        b, f, o = (times[("cold", s, m)] for s in ("bullet", "octree_four_calls", "octree"))
        table.writerow([m, "%.2f" % b, "%.2f" % f, "%.2f" % o, ratio(o, b), ratio(o, f),
                        "%.2f" % collided[("cold", "octree", m)]])
        rows.append("| %d | %s | %s | %s | %.2f | %.2f |" % (
            m, micro(b), micro(f), micro(o), o / b, o / f))
tables.append("Spread, caches flushed between steps (wall time of the step, median of 3):\n\n"
              "| Movers | Bullet | OctTree, four calls | OctTree | OctTree / Bullet |"
              " OctTree / four calls |\n"
              "|---:|---:|---:|---:|---:|---:|\n" + "\n".join(rows))

# Crowded, warm and cold. The octree and the pairwise spaces fly different
# paths from the first move the octree refuses for a pair of others.
crowd = ["flat", "bullet", "octree_four_calls", "octree"]
rows = []
with open(os.path.join(results, "scaling_crowd.csv"), "w", newline="") as out:
    table = csv.writer(out)
    table.writerow(["caches", "movers"] + [s + "_us" for s in crowd] +
                   ["octree_vs_flat", "octree_vs_bullet", "octree_vs_four_calls",
                    "pairwise_collided_percent", "octree_collided_percent"])
    for family, caches in (("crowd", "warm"), ("crowd_cold", "cold")):
        for m in sizes(family):
            t = {s: times[(family, s, m)] for s in crowd}
            pairwise = collided[(family, "flat", m)]
            octree = collided[(family, "octree", m)]
            table.writerow([caches, m] + ["%.2f" % t[s] for s in crowd] +
                           [ratio(t["octree"], t["flat"]), ratio(t["octree"], t["bullet"]),
                            ratio(t["octree"], t["octree_four_calls"]),
                            "%.2f" % pairwise, "%.2f" % octree])
            rows.append("| %s | %d | %s | %s | %s | %s | %.2f | %.2f | %.2f | %.1f %% | %.1f %% |" % (
                caches, m, micro(t["flat"]), micro(t["bullet"]), micro(t["octree_four_calls"]),
                micro(t["octree"]), t["octree"] / t["flat"], t["octree"] / t["bullet"],
                t["octree"] / t["octree_four_calls"], pairwise, octree))
tables.append("Crowded (warm: CPU time, cold: wall time of the step; median of 3):\n\n"
              "| Caches | Movers | flat | Bullet | OctTree, four calls | OctTree |"
              " OctTree / flat | OctTree / Bullet | OctTree / four calls |"
              " refused, flat and Bullet | refused, OctTree |\n"
              "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n" + "\n".join(rows))

with open(os.path.join(results, "scaling_tables.md"), "w") as out:
    out.write("\n\n".join(tables) + "\n")
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
     "" skip 1 using 1:6 with linespoints lc 3 title "OctTree (pruned remove, tryMove)", \
     "" skip 1 using 1:3 with linespoints lc 4 title "Bullet btDbvtBroadphase", \
     "$results/scaling_cold.csv" skip 1 using 1:4 with linespoints lc 3 dt 2 title "OctTree, caches flushed between steps", \
     "" skip 1 using 1:2 with linespoints lc 4 dt 2 title "Bullet, caches flushed between steps"
GP
echo "wrote scaling.csv, scaling_cold.csv, scaling_crowd.csv, scaling_tables.md and scaling.png in $results"
cat "$results/scaling_tables.md"
