#!/usr/bin/env bash
# Runs the scaling benchmark (octree, flat list, Bullet's dynamic AABB tree)
# and writes, in bench/results:
#   scaling.csv         movers spread over the city, warm caches;
#   scaling_cold.csv    the same with the caches flushed between steps;
#   scaling_crowd.csv   movers released as ten craft are, in one block, warm
#                       and cold;
#   scaling_swarm.csv   movers released and flown as the program's craft,
#                       warm and cold;
#   scaling_floor.csv   the latency of one dependent load and the floor of a
#                       move derived from it (bench/scaling_floor.h);
#   scaling_baseline.csv, with BRENNOC_BASELINE_BENCH=path to another build's
#                       bench_scaling: its spread runs, in the same sitting;
#   scaling_tables.md   the tables for the performance page (docs/);
#   scaling.png         the spread and swarm runs and the floor as a plot.
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
baseline_json="$(mktemp)"
trap 'rm -f "$json" "$baseline_json"' EXIT
echo '{"benchmarks": []}' > "$baseline_json"
if [ -n "${BRENNOC_BASELINE_BENCH:-}" ]; then
    # The other build's spread runs first, then this build's, one sitting.
    "$BRENNOC_BASELINE_BENCH" --benchmark_filter='^(step|cold)/(bullet|octree)/' \
        --benchmark_repetitions=3 --benchmark_enable_random_interleaving=true \
        --benchmark_report_aggregates_only=true \
        --benchmark_out="$baseline_json" --benchmark_out_format=json
fi
# Three runs of every case in shuffled order; the median counts.
"$build/bench/bench_scaling" --benchmark_repetitions=3 \
    --benchmark_enable_random_interleaving=true \
    --benchmark_report_aggregates_only=true \
    --benchmark_out="$json" --benchmark_out_format=json

python3 - "$json" "$results" "$baseline_json" <<'PY'
import csv, json, os, sys

results = sys.argv[2]
times, collided, latency = {}, {}, {}
for run in json.load(open(sys.argv[1]))["benchmarks"]:
    if run.get("aggregate_name") != "median":
        continue
    family, space, movers = run["run_name"].split("/")[:3]
    if family == "floor":
        latency[space] = run["ns_per_load"]
        continue
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

# The floor of one move (bench/scaling_floor.h): three dependent loads, from
# the second-level cache in warm runs and from the flushed buffer in cold ones.
floor_lines = 3
floor_ns = {False: floor_lines * latency["l2"], True: floor_lines * latency["flushed"]}

def per_move_ns(family, space, m):
    return 1000.0 * times[(family, space, m)] / m

def over_floor(family, m):
    return per_move_ns(family, "octree", m) / floor_ns[family.endswith("cold")]

tables = []
with open(os.path.join(results, "scaling_floor.csv"), "w", newline="") as out:
    table = csv.writer(out)
    table.writerow(["l2_ns", "flushed_ns", "memory_ns", "lines", "warm_floor_ns",
                    "cold_floor_ns"])
    table.writerow(["%.2f" % latency["l2"], "%.2f" % latency["flushed"],
                    "%.2f" % latency["memory"], floor_lines, "%.2f" % floor_ns[False],
                    "%.2f" % floor_ns[True]])
tables.append("The floor (one dependent load, median of 3; a move must make %d):\n\n"
              "| Second-level cache (1 MiB) | Flushed buffer (32 MiB) | Memory (1 GiB) |"
              " Floor of a warm move | of a cold move |\n"
              "|---:|---:|---:|---:|---:|\n| %.1f ns | %.1f ns | %.1f ns | %.1f ns | %.1f ns |" % (
                  floor_lines, latency["l2"], latency["flushed"], latency["memory"],
                  floor_ns[False], floor_ns[True]))

# Spread over the city, warm.
spread = ["flat", "bullet", "octree_full_walk", "octree_four_calls", "octree"]
rows = []
with open(os.path.join(results, "scaling.csv"), "w", newline="") as out:
    table = csv.writer(out)
    table.writerow(["movers"] + [s + "_us" for s in spread] +
                   ["octree_vs_flat", "octree_vs_bullet", "octree_vs_four_calls",
                    "full_walk_vs_flat", "collided_percent", "octree_ns_per_move",
                    "octree_vs_floor"])
    for m in sizes("step"):
        t = {s: times[("step", s, m)] for s in spread}
        table.writerow([m] + ["%.2f" % t[s] for s in spread] +
                       [ratio(t["octree"], t["flat"]), ratio(t["octree"], t["bullet"]),
                        ratio(t["octree"], t["octree_four_calls"]),
                        ratio(t["octree_full_walk"], t["flat"]),
                        "%.2f" % collided[("step", "octree", m)],
                        "%.1f" % per_move_ns("step", "octree", m), "%.2f" % over_floor("step", m)])
        rows.append("| %d | %s | %s | %s | %s | %s | %.2f | %.2f | %.2f | %.0f ns | %.1f |" % (
            m, micro(t["flat"]), micro(t["bullet"]), micro(t["octree_full_walk"]),
            micro(t["octree_four_calls"]), micro(t["octree"]), t["octree"] / t["flat"],
            t["octree"] / t["bullet"], t["octree"] / t["octree_four_calls"],
            per_move_ns("step", "octree", m), over_floor("step", m)))
tables.append("Spread, warm (CPU time per step, median of 3):\n\n"
              "| Movers | flat | Bullet | OctTree, every node | OctTree, four calls | OctTree |"
              " OctTree / flat | OctTree / Bullet | OctTree / four calls | OctTree a move |"
              " OctTree / floor |\n"
              "|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n" + "\n".join(rows))

# Spread, cold.
rows = []
with open(os.path.join(results, "scaling_cold.csv"), "w", newline="") as out:
    table = csv.writer(out)
    table.writerow(["movers", "bullet_us", "octree_four_calls_us", "octree_us",
                    "octree_vs_bullet", "octree_vs_four_calls", "collided_percent",
                    "octree_ns_per_move", "octree_vs_floor"])
    for m in sizes("cold"):
        b, f, o = (times[("cold", s, m)] for s in ("bullet", "octree_four_calls", "octree"))
        table.writerow([m, "%.2f" % b, "%.2f" % f, "%.2f" % o, ratio(o, b), ratio(o, f),
                        "%.2f" % collided[("cold", "octree", m)],
                        "%.1f" % per_move_ns("cold", "octree", m), "%.2f" % over_floor("cold", m)])
        rows.append("| %d | %s | %s | %s | %.2f | %.2f | %.0f ns | %.1f |" % (
            m, micro(b), micro(f), micro(o), o / b, o / f, per_move_ns("cold", "octree", m),
            over_floor("cold", m)))
tables.append("Spread, caches flushed between steps (wall time of the step, median of 3):\n\n"
              "| Movers | Bullet | OctTree, four calls | OctTree | OctTree / Bullet |"
              " OctTree / four calls | OctTree a move | OctTree / floor |\n"
              "|---:|---:|---:|---:|---:|---:|---:|---:|\n" + "\n".join(rows))

# Crowded, warm and cold. The octree and the pairwise spaces fly different
# paths from the first move the octree refuses for a pair of others.
crowd = ["flat", "bullet", "octree_four_calls", "octree"]
rows = []
with open(os.path.join(results, "scaling_crowd.csv"), "w", newline="") as out:
    table = csv.writer(out)
    table.writerow(["caches", "movers"] + [s + "_us" for s in crowd] +
                   ["octree_vs_flat", "octree_vs_bullet", "octree_vs_four_calls",
                    "pairwise_collided_percent", "octree_collided_percent", "octree_vs_floor"])
    for family, caches in (("crowd", "warm"), ("crowd_cold", "cold")):
        for m in sizes(family):
            t = {s: times[(family, s, m)] for s in crowd}
            pairwise = collided[(family, "flat", m)]
            octree = collided[(family, "octree", m)]
            table.writerow([caches, m] + ["%.2f" % t[s] for s in crowd] +
                           [ratio(t["octree"], t["flat"]), ratio(t["octree"], t["bullet"]),
                            ratio(t["octree"], t["octree_four_calls"]),
                            "%.2f" % pairwise, "%.2f" % octree, "%.2f" % over_floor(family, m)])
            rows.append("| %s | %d | %s | %s | %s | %s | %.2f | %.2f | %.2f | %.1f %% | %.1f %% | %.0f |" % (
                caches, m, micro(t["flat"]), micro(t["bullet"]), micro(t["octree_four_calls"]),
                micro(t["octree"]), t["octree"] / t["flat"], t["octree"] / t["bullet"],
                t["octree"] / t["octree_four_calls"], pairwise, octree, over_floor(family, m)))
tables.append("Crowded (warm: CPU time, cold: wall time of the step; median of 3):\n\n"
              "| Caches | Movers | flat | Bullet | OctTree, four calls | OctTree |"
              " OctTree / flat | OctTree / Bullet | OctTree / four calls |"
              " refused, flat and Bullet | refused, OctTree | OctTree / floor |\n"
              "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n" + "\n".join(rows))

# The swarm: released and flown as the program's craft; flat up to 10,000.
swarm = ["flat", "bullet", "octree_four_calls", "octree"]
rows = []
with open(os.path.join(results, "scaling_swarm.csv"), "w", newline="") as out:
    table = csv.writer(out)
    table.writerow(["caches", "movers"] + [s + "_us" for s in swarm] +
                   ["octree_ns_per_move", "octree_vs_flat", "octree_vs_bullet",
                    "octree_vs_four_calls", "octree_vs_floor", "collided_percent"])
    for family, caches in (("swarm", "warm"), ("swarm_cold", "cold")):
        for m in sizes(family):
            t = {s: times.get((family, s, m)) for s in swarm}
            vs_flat = t["octree"] / t["flat"] if t["flat"] else None
            table.writerow([caches, m] + ["%.2f" % t[s] if t[s] else "" for s in swarm] +
                           ["%.1f" % per_move_ns(family, "octree", m),
                            "%.3f" % vs_flat if vs_flat else "", ratio(t["octree"], t["bullet"]),
                            ratio(t["octree"], t["octree_four_calls"]),
                            "%.2f" % over_floor(family, m),
                            "%.3f" % collided[(family, "octree", m)]])
            rows.append("| %s | %d | %s | %s | %s | %s | %.0f ns | %s | %.2f | %.2f | %.1f | %.2f %% |" % (
                caches, m, micro(t["flat"]) if t["flat"] else "–", micro(t["bullet"]),
                micro(t["octree_four_calls"]), micro(t["octree"]),
                per_move_ns(family, "octree", m), "%.3f" % vs_flat if vs_flat else "–",
                t["octree"] / t["bullet"], t["octree"] / t["octree_four_calls"],
                over_floor(family, m), collided[(family, "octree", m)]))
tables.append("Swarm, released and flown as the program's craft (warm: CPU time, cold: wall time"
              " of the step; median of 3):\n\n"
              "| Caches | Movers | flat | Bullet | OctTree, four calls | OctTree | OctTree a move |"
              " OctTree / flat | OctTree / Bullet | OctTree / four calls | OctTree / floor |"
              " refused |\n"
              "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n" + "\n".join(rows))

# Another build's spread runs from the same sitting, where asked for.
base = {}
for run in json.load(open(sys.argv[3]))["benchmarks"]:
    if run.get("aggregate_name") == "median":
        family, space, movers = run["run_name"].split("/")[:3]
        base[(family, space, int(movers))] = run["real_time" if family == "cold" else "cpu_time"]
if base:
    rows = []
    with open(os.path.join(results, "scaling_baseline.csv"), "w", newline="") as out:
        table = csv.writer(out)
        table.writerow(["family", "movers", "baseline_bullet_us", "baseline_octree_us",
                        "bullet_us", "octree_us", "baseline_octree_vs_bullet",
                        "octree_vs_bullet", "octree_vs_baseline_octree"])
        for family in ("step", "cold"):
            for m in sizes(family):
                bb, bo = base[(family, "bullet", m)], base[(family, "octree", m)]
                b, o = times[(family, "bullet", m)], times[(family, "octree", m)]
                table.writerow([family, m, "%.2f" % bb, "%.2f" % bo, "%.2f" % b, "%.2f" % o,
                                ratio(bo, bb), ratio(o, b), ratio(o, bo)])
                rows.append("| %s | %d | %s | %s | %.2f | %s | %s | %.2f | %.2f |" % (
                    "warm" if family == "step" else "cold", m, micro(bb), micro(bo), bo / bb,
                    micro(b), micro(o), o / b, o / bo))
    tables.append("Spread, this build against the baseline build (%s), one sitting:\n\n"
                  "| Caches | Movers | Bullet, baseline | OctTree, baseline | OctTree / Bullet,"
                  " baseline | Bullet | OctTree | OctTree / Bullet | OctTree / baseline OctTree |\n"
                  "|---|---:|---:|---:|---:|---:|---:|---:|---:|\n" % os.environ.get(
                      "BRENNOC_BASELINE_NAME", "BRENNOC_BASELINE_BENCH") + "\n".join(rows))

with open(os.path.join(results, "scaling_tables.md"), "w") as out:
    out.write("\n\n".join(tables) + "\n")
PY

# The floor of a warm move, as a cost per step: movers times the floor.
floor_ns="$(tail -n1 "$results/scaling_floor.csv" | cut -d, -f5)"
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
floorline(x) = x * $floor_ns / 1000.0
set xrange [8:150000]
plot "$results/scaling.csv" skip 1 using 1:4 with linespoints title "OctTree, remove visiting every node", \
     "" skip 1 using 1:2 with linespoints title "flat list, all pairs", \
     "" skip 1 using 1:6 with linespoints lc 3 title "OctTree (pruned remove, tryMove)", \
     "" skip 1 using 1:3 with linespoints lc 4 title "Bullet btDbvtBroadphase", \
     "$results/scaling_cold.csv" skip 1 using 1:4 with linespoints lc 3 dt 2 title "OctTree, caches flushed between steps", \
     "" skip 1 using 1:2 with linespoints lc 4 dt 2 title "Bullet, caches flushed between steps", \
     "$results/scaling_swarm.csv" skip 1 using 2:(strcol(1) eq "warm" ? \$6 : NaN) with linespoints lc 7 pt 7 title "OctTree, swarm (program's release and motion)", \
     "" skip 1 using 2:(strcol(1) eq "warm" ? \$4 : NaN) with linespoints lc 6 pt 7 title "Bullet, swarm", \
     floorline(x) with lines lc rgb "black" dt 3 lw 2 title sprintf("floor: 3 loads from L2 a move (%.0f ns)", $floor_ns)
GP
echo "wrote the scaling tables (csv and scaling_tables.md) and scaling.png in $results"
cat "$results/scaling_tables.md"
