// One iteration is one physics step: every craft is taken out, its tried box
// filed with a collision check, and on a collision the old box filed back.
// The tree and the flat list run the same number of steps from the same start,
// so their per-move times compare directly.

#include <benchmark/benchmark.h>

#include <vector>

#include "octree/OctTree.h"
#include "spatialindex/FlatIndex.h"
#include "spatialindex/OctTreeIndex.h"
#include "tests/support/CityWorkload.h"

namespace {

const unsigned citySeed = 7;

void fileCity(CollisionIndex& index) {
    for (SbBox3f* box : cityBoxes(citySeed)) {
        index.insert(CollisionObject(0, 0, 0, box));
    }
}

void reportMoves(benchmark::State& state, int craft, int collisions) {
    const double moves = static_cast<double>(craft) * state.iterations();
    // Shown as seconds per move with an SI prefix: 320n is 320 ns.
    state.counters["per_move"] =
        benchmark::Counter(moves, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["collided_%"] = 100.0 * collisions / moves;
}

void BM_TreeMoves(benchmark::State& state) {
    const int craft = static_cast<int>(state.range(0));
    OctTree tree(worldRegion());
    OctTreeIndex index(tree);
    fileCity(index);
    CraftSwarm swarm(craft, citySeed);
    swarm.fileAll(index);
    int collisions = 0;
    for (auto _ : state) {
        collisions += swarm.step(index);
    }
    reportMoves(state, craft, collisions);
    state.counters["nodes"] = tree.nodeCount();
    state.counters["tree_KiB"] = tree.memoryBytes() / 1024.0;
}

void BM_FlatMoves(benchmark::State& state) {
    const int craft = static_cast<int>(state.range(0));
    FlatIndex flat(worldRegion());
    fileCity(flat);
    CraftSwarm swarm(craft, citySeed);
    swarm.fileAll(flat);
    int collisions = 0;
    for (auto _ : state) {
        collisions += swarm.step(flat);
    }
    reportMoves(state, craft, collisions);
}

// One removal of a thing the tree does not hold: the walk over every node that
// each move pays once, twice after a collision.
void BM_TreeRemoveWalk(benchmark::State& state) {
    const int craft = static_cast<int>(state.range(0));
    OctTree tree(worldRegion());
    OctTreeIndex index(tree);
    fileCity(index);
    CraftSwarm swarm(craft, citySeed);
    swarm.fileAll(index);
    SbBox3f absent(1, -1, 1, 2, 0, 2);
    for (auto _ : state) {
        tree.remove(CollisionObject(0, 0, 0, &absent));
    }
    state.counters["nodes"] = tree.nodeCount();
}

// The tree's size after a long run; one iteration of 10,000 steps.
void BM_TreeAfter10000Steps(benchmark::State& state) {
    const int craft = static_cast<int>(state.range(0));
    for (auto _ : state) {
        OctTree tree(worldRegion());
        OctTreeIndex index(tree);
        fileCity(index);
        const int cityNodes = tree.nodeCount();
        CraftSwarm swarm(craft, citySeed);
        swarm.fileAll(index);
        int collisions = 0;
        for (int step = 0; step < 10000; ++step) {
            collisions += swarm.step(index);
        }
        state.counters["city_nodes"] = cityNodes;
        state.counters["nodes"] = tree.nodeCount();
        state.counters["tree_KiB"] = tree.memoryBytes() / 1024.0;
        state.counters["collided_%"] = 100.0 * collisions / (10000.0 * craft);
    }
}

}  // namespace

// Steps per run: enough for a steady figure, the same for tree and list.
BENCHMARK(BM_FlatMoves)->Arg(10)->Iterations(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TreeMoves)->Arg(10)->Iterations(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlatMoves)->Arg(100)->Iterations(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TreeMoves)->Arg(100)->Iterations(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlatMoves)->Arg(1000)->Iterations(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TreeMoves)->Arg(1000)->Iterations(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TreeRemoveWalk)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TreeAfter10000Steps)->Arg(10)->Arg(100)->Iterations(1)->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
