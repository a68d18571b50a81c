// How the cost of one physics step grows with the number of movers, through
// the octree (pruned remove and the walk over every node), a flat list and
// Bullet's dynamic AABB tree. One iteration is one step of every mover; all
// spaces fly the same steps from the same start, so their times compare
// directly. The outcome of every move is recorded, and all spaces must agree
// on which moves collide: the program fails otherwise.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
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

const std::vector<SbBox3f*>& city() {
    return cityBoxes(citySeed);
}

// The first run's outcomes at each size, and which space gave them.
struct Reference {
    std::string space;
    std::vector<bool> outcomes;
};
std::map<int, Reference> references;
std::map<int, int> runsCompared;
bool disagreed = false;

// Compares a run's outcomes with the first run at the same size.
bool agrees(const std::string& space, int movers, const std::vector<bool>& outcomes) {
    auto found = references.find(movers);
    if (found == references.end()) {
        references[movers] = Reference{space, outcomes};
        runsCompared[movers] = 1;
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
    ++runsCompared[movers];
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
void runSteps(benchmark::State& state, const std::string& name, Args... args) {
    const int count = static_cast<int>(state.range(0));
    Space space(args...);
    Movers movers(count, moverSeed, city());
    movers.fileAll(space, city());
    prepare(space);
    std::vector<bool> outcomes;
    outcomes.reserve(static_cast<std::size_t>(count) * state.max_iterations);
    int collisions = 0;
    for (auto _ : state) {
        collisions += movers.step(space, outcomes);
    }
    state.counters["movers"] = count;
    state.counters["collided_%"] = 100.0 * collisions / static_cast<double>(outcomes.size());
    addTreeCounters(state, space);
    if (!agrees(name, count, outcomes)) {
        disagreed = true;
        state.SkipWithError("moves decided differently from another space");
    }
}

void octreeSteps(benchmark::State& state) {
    runSteps<OctreeSpace>(state, "octree", false);
}
void octreeEveryNodeSteps(benchmark::State& state) {
    runSteps<OctreeSpace>(state, "octree_full_walk", true);
}
void flatSteps(benchmark::State& state) {
    runSteps<FlatSpace>(state, "flat");
}
void bulletSteps(benchmark::State& state) {
    runSteps<BulletSpace>(state, "bullet");
}

}  // namespace

int main(int argc, char** argv) {
    struct Entry {
        const char* name;
        void (*run)(benchmark::State&);
    };
    const Entry spaces[] = {{"flat", flatSteps},
                            {"bullet", bulletSteps},
                            {"octree_full_walk", octreeEveryNodeSteps},
                            {"octree", octreeSteps}};
    // Size by size, so that a change in the machine's load falls on all four.
    for (const Size& size : sizes) {
        for (const Entry& space : spaces) {
            benchmark::RegisterBenchmark((std::string("step/") + space.name).c_str(), space.run)
                ->Arg(size.movers)
                ->Iterations(size.steps)
                ->Unit(benchmark::kMicrosecond);
        }
    }
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
        std::fprintf(stderr, "agreement check passed with %d movers: %d runs, same outcomes\n",
                     entry.first, entry.second);
    }
    return 0;
}
