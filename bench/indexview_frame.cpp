// What the octree overlay costs per frame while it is on: the program's
// physics step runs with the overlay watching its moves (timed as step_us),
// then the overlay's update reads the tree and rebuilds what changed (the
// benchmark's time). On the real city with 10 and 1000 craft, at 50 steps per
// second of simulated time.
#include <Inventor/SoDB.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "app/Globals.h"
#include "city/FlyingObject.h"
#include "indexview/IndexView.h"
#include "octree/CollisionObject.h"
#include "octree/OctTree.h"
#include "simulation/Motion.h"
#include "simulation/Session.h"
#include "simulation/SimulationState.h"
#include "spatialindex/IndexSet.h"
#include "tests/support/SimulationWorld.h"
#include "world/BuildWorld.h"
#include "world/WorldConstants.h"

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_OverlayFrame(benchmark::State& state) {
    const int craftCount = static_cast<int>(state.range(0));
    if (chdir(BRENNOC_DATA_DIR) != 0) {
        std::abort();
    }
    SoDB::init();
    // The world as start-up builds it, with the given number of craft.
    SoSeparator* root = new SoSeparator;
    root->ref();
    octree = new OctTree(worldRegion());
    resetSimulationState();
    IndexSet indexes(*octree);
    buildWorld(root, indexes, -1, craftCount);
    cameraThrust = 0.002f;
    cameraObjectStale = false;

    IndexView view(&indexes);
    view.setOn(true);
    Session session;
    session.indexes = &indexes;
    session.moveObserver = IndexView::observeMove;
    session.moveObserverData = &view;

    SbTime now(1000.0);
    double stepSeconds = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        moveFlyingObjects(1.0f, session);
        moveCamera(1.0f, session);
        cityBuilder.showFlyingObjects();
        stepSeconds += secondsSince(start);

        now += SbTime(0.02);
        start = std::chrono::steady_clock::now();
        view.update(now);
        state.SetIterationTime(secondsSince(start));
    }
    using benchmark::Counter;
    state.counters["step_us"] = Counter(stepSeconds * 1e6, Counter::kAvgIterations);
    state.counters["rebuilds"] = Counter(view.leafRebuilds(), Counter::kAvgIterations);
    state.counters["nodes"] = view.numbers().nodes;
    state.counters["leaves"] = view.numbers().leaves;
    state.counters["refused/s"] = view.numbers().refused;

    releaseSimulationWorld();
    root->unref();
}

}  // namespace

// Long enough for craft to fly, fall and come to rest.
BENCHMARK(BM_OverlayFrame)
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Arg(10)
    ->Iterations(3000);
BENCHMARK(BM_OverlayFrame)
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Arg(1000)
    ->Iterations(1000);

BENCHMARK_MAIN();
