// How the cost of one physics step grows with the number of movers, through
// the octree (pruned remove and the walk over every node), a flat list and
// Bullet's dynamic AABB tree. One iteration is one step of every mover; all
// spaces fly the same steps from the same start, so their times compare
// directly. The outcome of every move is recorded, and all spaces must agree
// on which moves collide: the program fails otherwise.
//
// The "cold" family runs the same steps with the caches flushed between two
// steps (untimed), as in the running program, where drawing a frame evicts
// the tree between two physics steps.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "bench/scaling_spaces.h"
#include "tests/support/CityWorkload.h"

namespace {

const unsigned citySeed = 7;
const unsigned moverSeed = 11;

struct Size {
    int movers;
    // Steps per run: the same for every space at this size.
    int steps;
};
const Size sizes[] = {{10, 10000}, {30, 4000}, {100, 1500}, {300, 400}, {1000, 80}};
// Fewer steps: each flush costs milliseconds.
const Size coldSizes[] = {{10, 1500}, {100, 400}, {1000, 40}};

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

// The first run's outcomes at each size (movers and steps), and which space
// gave them.
struct Reference {
    std::string space;
    std::vector<bool> outcomes;
};
using RunSize = std::pair<int, std::size_t>;
std::map<RunSize, Reference> references;
std::map<RunSize, int> runsCompared;
bool disagreed = false;

// Compares a run's outcomes with the first run of as many movers and steps.
bool agrees(const std::string& space, int movers, const std::vector<bool>& outcomes) {
    const RunSize size(movers, outcomes.size() / static_cast<std::size_t>(movers));
    auto found = references.find(size);
    if (found == references.end()) {
        references[size] = Reference{space, outcomes};
        runsCompared[size] = 1;
        return true;
    }
    const Reference& reference = found->second;
    for (std::size_t i = 0; i < outcomes.size() && i < reference.outcomes.size(); ++i) {
        if (outcomes[i] != reference.outcomes[i]) {
            std::fprintf(stderr,
                         "DISAGREEMENT with %d movers at step %zu, mover %zu: %s says %s, %s "
                         "says %s\n",
                         movers, i / movers, i % movers, space.c_str(),
                         outcomes[i] ? "collided" : "free", reference.space.c_str(),
                         reference.outcomes[i] ? "collided" : "free");
            return false;
        }
    }
    if (outcomes.size() != reference.outcomes.size()) {
        std::fprintf(stderr, "DISAGREEMENT with %d movers: %zu moves against %zu\n", movers,
                     outcomes.size(), reference.outcomes.size());
        return false;
    }
    ++runsCompared[size];
    return true;
}

void prepare(OctreeSpace&) {}
void prepare(FlatSpace&) {}
void prepare(BulletSpace& space) {
    space.broadphase.optimize();
}

void addTreeCounters(benchmark::State& state, const OctreeSpace& space) {
    state.counters["tree_nodes"] = space.tree.nodeCount();
}
void addTreeCounters(benchmark::State&, const FlatSpace&) {}
void addTreeCounters(benchmark::State&, const BulletSpace&) {}

template <class Space, class... Args>
void runSteps(benchmark::State& state, bool cold, const std::string& name, Args... args) {
    const int count = static_cast<int>(state.range(0));
    Space space(args...);
    Movers movers(count, moverSeed, city());
    movers.fileAll(space, city());
    prepare(space);
    std::vector<bool> outcomes;
    outcomes.reserve(static_cast<std::size_t>(count) * state.max_iterations);
    int collisions = 0;
    for (auto _ : state) {
        if (!cold) {
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
    if (!agrees(name, count, outcomes)) {
        disagreed = true;
        state.SkipWithError("moves decided differently from another space");
    }
}

template <bool cold>
void octreeSteps(benchmark::State& state) {
    runSteps<OctreeSpace>(state, cold, "octree", OctreeSpace::Removal::pruned);
}
template <bool cold>
void octreeEveryNodeSteps(benchmark::State& state) {
    runSteps<OctreeSpace>(state, cold, "octree_full_walk", OctreeSpace::Removal::everyNode);
}
template <bool cold>
void flatSteps(benchmark::State& state) {
    runSteps<FlatSpace>(state, cold, "flat");
}
template <bool cold>
void bulletSteps(benchmark::State& state) {
    runSteps<BulletSpace>(state, cold, "bullet");
}

struct Entry {
    const char* name;
    void (*run)(benchmark::State&);
};

// Registers "step/<space>" runs, or with cold "cold/<space>" runs: those report
// the time the step function measured by hand, so their entries must be the
// cold instances of the step functions.
template <std::size_t sizeCount, std::size_t spaceCount>
void registerSizes(bool cold, const Size (&sizes)[sizeCount], const Entry (&spaces)[spaceCount]) {
    const std::string family = cold ? "cold/" : "step/";
    // Size by size, so that a change in the machine's load falls on all spaces.
    for (const Size& size : sizes) {
        for (const Entry& space : spaces) {
            benchmark::internal::Benchmark* run =
                benchmark::RegisterBenchmark((family + space.name).c_str(), space.run);
            run->Arg(size.movers)->Iterations(size.steps)->Unit(benchmark::kMicrosecond);
            if (cold) {
                run->UseManualTime();
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const Entry spaces[] = {{"flat", flatSteps<false>},
                            {"bullet", bulletSteps<false>},
                            {"octree_full_walk", octreeEveryNodeSteps<false>},
                            {"octree", octreeSteps<false>}};
    // Cold, the walk over every node and the flat list would only take time.
    const Entry coldSpaces[] = {{"bullet", bulletSteps<true>}, {"octree", octreeSteps<true>}};
    registerSizes(false, sizes, spaces);
    registerSizes(true, coldSizes, coldSpaces);
    city();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    if (disagreed) {
        std::fprintf(stderr, "AGREEMENT CHECK FAILED: the spaces decided some moves differently\n");
        return 1;
    }
    for (const auto& entry : runsCompared) {
        std::fprintf(stderr,
                     "agreement check passed with %d movers over %zu steps: %d runs, same "
                     "outcomes\n",
                     entry.first.first, entry.first.second, entry.second);
    }
    return 0;
}
