// How the cost of one physics step grows with the number of movers, through
// the octree (pruned remove and the walk over every node), a flat list and
// Bullet's dynamic AABB tree. One iteration is one step of every mover; all
// spaces fly the same steps from the same start, so their times compare
// directly. The outcome of every move is recorded and checked (see
// scaling_agreement.h): the program fails where spaces that must agree do not.
//
// Families:
// - step: movers spread over the city, apart from everything at the start;
// - cold: the same, with the caches flushed between two steps (untimed), as in
//   the running program, where drawing a frame evicts the tree between two
//   physics steps;
// - crowd and crowd_cold: movers released as the flying-object builder
//   releases ten craft, all in one 25 x 3 x 25 block, most inside one another;
// - swarm and swarm_cold: movers released as the program releases that many
//   craft, apart, and flown by the program's own motion code.
//
// Before the runs it measures the latency of a dependent load from the
// second-level cache and from beyond the last-level cache (the floor, see
// scaling_floor.h), reported by the runs floor/l2, floor/flushed and floor/memory.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "bench/scaling_agreement.h"
#include "bench/scaling_floor.h"
#include "bench/scaling_spaces.h"
#include "spatialindex/DbvtIndex.h"
#include "spatialindex/FlatIndex.h"
#include "tests/support/CityWorkload.h"

namespace {

const unsigned citySeed = 7;
const unsigned moverSeed = 11;

struct Size {
    int movers;
    // Steps per run: the same for every space at this size.
    int steps;
};

struct Family {
    const char* name;
    Release release;
    bool cold;
    std::vector<Size> sizes;
    // Which spaces run: the walk over every node and the flat list would
    // only take time where they say nothing new; the flat list up to flatUpTo
    // movers.
    int flatUpTo;
    bool withFullWalk;
};

const int anyCount = 1 << 30;

const Family families[] = {
    {"step",
     RELEASE_SPREAD,
     false,
     {{10, 10000}, {30, 4000}, {100, 1500}, {300, 400}, {1000, 80}},
     anyCount,
     true},
    // Fewer steps: each flush costs milliseconds.
    {"cold", RELEASE_SPREAD, true, {{10, 1500}, {100, 400}, {1000, 40}}, 0, false},
    {"crowd", RELEASE_CROWDED, false, {{1000, 40}, {10000, 4}}, anyCount, false},
    {"crowd_cold", RELEASE_CROWDED, true, {{1000, 40}, {10000, 4}}, anyCount, false},
    {"swarm", RELEASE_SWARM, false, {{1000, 100}, {10000, 20}, {100000, 5}}, 10000, false},
    {"swarm_cold", RELEASE_SWARM, true, {{1000, 100}, {10000, 20}, {100000, 5}}, 10000, false},
};

// As large as the last-level cache here (32 MiB): every cold step starts from
// memory. The program's steps lie between this and warm, as a frame's drawing
// evicts much but not all of what the step reads.
const std::size_t flushBytes = std::size_t(32) << 20;

// Writes and reads back a buffer of flushBytes, one word a cache line.
void flushCaches() {
    static std::vector<long> buffer(flushBytes / sizeof(long));
    const std::size_t stride = 64 / sizeof(long);
    for (std::size_t i = 0; i < buffer.size(); i += stride) {
        buffer[i] += static_cast<long>(i);
    }
    long sum = 0;
    for (std::size_t i = 0; i < buffer.size(); i += stride) {
        sum += buffer[i];
    }
    benchmark::DoNotOptimize(sum);
}

const std::vector<SbBox3f*>& city() {
    return cityBoxes(citySeed);
}

const char* startOf(Release release) {
    return release == RELEASE_SPREAD ? "spread" : release == RELEASE_SWARM ? "swarm" : "crowded";
}

Agreement agreement;
bool disagreed = false;
std::set<std::pair<int, int>> watched;
bool crowdUnsound = false;

void addTreeCounters(benchmark::State& state, const OctreeSpace& space) {
    state.counters["tree_nodes"] = space.tree.nodeCount();
}
void addTreeCounters(benchmark::State&, const CollisionIndex&) {}

// A space the benchmark runs: its name, whether it tests a tried box against
// every other box (the flat list and Bullet) or by the octree's leaves, and
// what its constructor takes.
struct SpaceKind {
    const char* name;
    bool pairwise;
};

// Flies a crowded family's octree once, by the four calls, watched against a
// plain list; its outcomes are the reference the timed octree runs must
// match. Once for each number of movers and steps.
bool watchCrowd(const Family& family, int count, int steps) {
    WatchedOctreeSpace space;
    Movers movers(count, moverSeed, city(), family.release);
    movers.fileAll(space, city());
    Outcomes outcomes;
    for (int step = 0; step < steps; ++step) {
        movers.step(space, outcomes);
    }
    std::fprintf(stderr,
                 "%d crowded movers, %d steps: the octree refused %d of %d moves; %d of them "
                 "overlapped another box, %d only reached a leaf holding an overlapping pair; "
                 "accepted while overlapping another box: %d\n",
                 count, steps, space.refused, space.moves, space.refusedOverlapping,
                 space.refused - space.refusedOverlapping, space.acceptedOverlapping);
    const Agreement::Key key{startOf(family.release), "octree", count,
                             static_cast<std::size_t>(steps)};
    return agreement.check(key, "octree, watched", outcomes) && space.acceptedOverlapping == 0;
}

template <class Space, class... Args>
void runSteps(benchmark::State& state, const Family& family, SpaceKind kind, Args... args) {
    const int count = static_cast<int>(state.range(0));
    const int steps = static_cast<int>(state.max_iterations);
    if (family.release == RELEASE_CROWDED && !kind.pairwise &&
        watched.insert(std::make_pair(count, steps)).second && !watchCrowd(family, count, steps)) {
        crowdUnsound = true;
        state.SkipWithError("the octree accepted a move into another box");
        return;
    }
    Space space(args...);
    Movers movers(count, moverSeed, city(), family.release);
    movers.fileAll(space, city());
    Outcomes outcomes;
    outcomes.reserve(static_cast<std::size_t>(count) * state.max_iterations);
    int collisions = 0;
    for (auto _ : state) {
        if (!family.cold) {
            collisions += movers.step(space, outcomes);
            continue;
        }
        // Timed by hand: pausing the benchmark's own timer costs more than a
        // step of ten movers.
        flushCaches();
        const auto start = std::chrono::steady_clock::now();
        collisions += movers.step(space, outcomes);
        const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(taken.count());
    }
    state.counters["movers"] = count;
    state.counters["collided_%"] = 100.0 * collisions / static_cast<double>(outcomes.size());
    addTreeCounters(state, space);
    // Movers that start apart stay apart, so every space decides alike.
    const bool together = family.release != RELEASE_CROWDED;
    const Agreement::Key key{startOf(family.release),
                             together ? "every space" : (kind.pairwise ? "pairwise" : "octree"),
                             count, outcomes.size() / static_cast<std::size_t>(count)};
    if (!agreement.check(key, kind.name, outcomes)) {
        disagreed = true;
        state.SkipWithError("moves decided differently from another space");
    }
}

// Registers "<family>/<space>/<movers>" runs, size by size, so that a change
// in the machine's load falls on all spaces.
void registerFamily(const Family& family) {
    for (const Size& size : family.sizes) {
        std::vector<benchmark::internal::Benchmark*> runs;
        auto name = [&family](const char* space) { return std::string(family.name) + "/" + space; };
        if (size.movers <= family.flatUpTo) {
            runs.push_back(benchmark::RegisterBenchmark(name("flat").c_str(),
                                                        runSteps<FlatIndex, SbBox3f>, family,
                                                        SpaceKind{"flat", true}, worldRegion()));
        }
        runs.push_back(benchmark::RegisterBenchmark(name("bullet").c_str(),
                                                    runSteps<DbvtIndex, SbBox3f>, family,
                                                    SpaceKind{"bullet", true}, worldRegion()));
        if (family.withFullWalk) {
            runs.push_back(benchmark::RegisterBenchmark(
                name("octree_full_walk").c_str(), runSteps<OctreeSpace, OctreeSpace::Move>, family,
                SpaceKind{"octree_full_walk", false}, OctreeSpace::FOUR_CALLS_EVERY_NODE));
        }
        runs.push_back(benchmark::RegisterBenchmark(
            name("octree_four_calls").c_str(), runSteps<OctreeSpace, OctreeSpace::Move>, family,
            SpaceKind{"octree_four_calls", false}, OctreeSpace::FOUR_CALLS));
        runs.push_back(benchmark::RegisterBenchmark(
            name("octree").c_str(), runSteps<OctreeSpace, OctreeSpace::Move>, family,
            SpaceKind{"octree", false}, OctreeSpace::TRIED));
        for (benchmark::internal::Benchmark* run : runs) {
            run->Arg(size.movers)->Iterations(size.steps)->Unit(benchmark::kMicrosecond);
            if (family.cold) {
                // They report the time runSteps measured by hand.
                run->UseManualTime();
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    registerFloor();
    for (const Family& family : families) {
        registerFamily(family);
    }
    city();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    if (crowdUnsound) {
        std::fprintf(stderr, "CROWD CHECK FAILED: the octree accepted a move into another box\n");
        return 1;
    }
    if (disagreed) {
        std::fprintf(stderr, "AGREEMENT CHECK FAILED: the spaces decided some moves differently\n");
        return 1;
    }
    agreement.report();
    return 0;
}
