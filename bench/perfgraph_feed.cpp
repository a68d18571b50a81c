// One sample normally costs one painted row and four texture coordinates;
// a full rescan of the ring and a repaint of every visible row are the rare
// cases. All figures are for the program's own graphs (184 x 66 pixels in an
// 800 x 600 window: a 128 x 128 image, 92 visible rows, a ring of 112).
#include <Inventor/SbViewportRegion.h>
#include <Inventor/SoDB.h>
#include <benchmark/benchmark.h>

#include <vector>

#include "perfgraph/SoPerfGraph.h"
#include "perfgraph/internal/PerfGraphData.h"
#include "tests/perfgraph/PerfGraphProbe.h"

namespace {

class BenchGraph : public SoPerfGraph {
public:
    PerfGraphData& record() { return PerfGraphProbe::data(*this); }
};

// A laid-out graph of the program's configuration holding 112 samples.
BenchGraph* makeGraph() {
    static bool initialised = false;
    if (!initialised) {
        SoDB::init();
        SoPerfGraph::initClass();
        initialised = true;
    }
    BenchGraph* graph = new BenchGraph;
    graph->ref();
    graph->horScreenOrigin.setValue(SoPerfGraph::RIGHT);
    graph->horAlignment.setValue(SoPerfGraph::RIGHT);
    graph->position.setValue(-0.03f, 0.03f);
    graph->size.setValue(0.23f, 0.11f);
    graph->record().updateLayout(SbViewportRegion(800, 600), true);
    graph->addValue(100);
    for (int i = 0; i < 200; ++i) {
        graph->addValue(float(10 + i % 50));
    }
    return graph;
}

// Baseline: painting one row of the image, the least any sample must cost.
void BM_PaintOneRow(benchmark::State& state) {
    BenchGraph* graph = makeGraph();
    std::vector<unsigned char> row(128 * TEXTURE_COMPONENTS);
    float value = 10;
    for (auto _ : state) {
        benchmark::DoNotOptimize(graph->drawValue(row.data(), 128, value));
        value = value < 90 ? value + 1 : 10;
    }
    graph->unref();
}
BENCHMARK(BM_PaintOneRow);

// The usual sample: below the maximum, not overwriting it.
void BM_AddValueSteady(benchmark::State& state) {
    BenchGraph* graph = makeGraph();
    float value = 10;
    for (auto _ : state) {
        graph->addValue(value);
        value = value < 50 ? value + 1 : 10;
    }
    graph->unref();
}
BENCHMARK(BM_AddValueSteady);

// Every sample overwrites the maximum: a full rescan of the ring each time.
void BM_AddValueRescan(benchmark::State& state) {
    BenchGraph* graph = makeGraph();
    for (int i = 0; i < 200; ++i) {
        graph->addValue(70);
    }
    for (auto _ : state) {
        graph->addValue(70);
    }
    graph->unref();
}
BENCHMARK(BM_AddValueRescan);

// A change of scale: every visible row repainted.
void BM_RedrawImage(benchmark::State& state) {
    BenchGraph* graph = makeGraph();
    for (auto _ : state) {
        graph->record().redrawImage();
    }
    graph->unref();
}
BENCHMARK(BM_RedrawImage);

// A traversal with nothing changed: the layout is only checked.
void BM_LayoutUnchanged(benchmark::State& state) {
    BenchGraph* graph = makeGraph();
    SbViewportRegion viewport(800, 600);
    for (auto _ : state) {
        graph->record().updateLayout(viewport, true);
    }
    graph->unref();
}
BENCHMARK(BM_LayoutUnchanged);

// A traversal after a field change: placement and size recomputed.
void BM_LayoutAfterFieldChange(benchmark::State& state) {
    BenchGraph* graph = makeGraph();
    SbViewportRegion viewport(800, 600);
    float x = -0.03f;
    for (auto _ : state) {
        graph->position.setValue(x, 0.03f);
        graph->record().updateLayout(viewport, true);
        x = x < 0 ? 0.01f : -0.03f;
    }
    graph->unref();
}
BENCHMARK(BM_LayoutAfterFieldChange);

}  // namespace

BENCHMARK_MAIN();
