// Run from anywhere; it reads the city's files from the data folder.
#include <Inventor/SoDB.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTexture2.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>

#include "city/CityBuilder.h"
#include "city/CityElement.h"
#include "city/CityLayout.h"
#include "city/ElementGrid.h"
#include "city/TextureSharing.h"
#include "octree/OctTree.h"
#include "spatialindex/OctTreeIndex.h"
#include "world/WorldConstants.h"

namespace {

// Every run lays out the same city.
const int citySeed = 12345;

void setUp() {
    static bool done = false;
    if (!done) {
        SoDB::init();
        if (chdir(BRENNOC_DATA_DIR) != 0) {
            std::abort();
        }
        done = true;
    }
}

// The city's elements under a fresh root, textures not yet shared. The
// builder, its elements and the tree are left behind, as in the program.
SoSeparator* unsharedCity() {
    CityBuilder* builder = new CityBuilder;
    builder->seed = citySeed;
    OctTree* tree = new OctTree(worldRegion());
    OctTreeIndex filing(*tree);
    builder->generateCity(filing);
    SoSeparator* root = new SoSeparator;
    root->ref();
    for (auto& row : builder->grid->cells) {
        for (CityElement* element : row) {
            if (element) {
                root->addChild(element->build());
            }
        }
    }
    return root;
}

int textureNodes(SoSeparator* root) {
    SoSearchAction search;
    search.setType(SoTexture2::getClassTypeId());
    search.setInterest(SoSearchAction::ALL);
    search.apply(root);
    int count = search.getPaths().getLength();
    search.reset();
    return count;
}

void BM_BuildCityScene(benchmark::State& state) {
    setUp();
    for (auto _ : state) {
        SoSeparator* root = unsharedCity();
        state.PauseTiming();
        root->unref();
        state.ResumeTiming();
    }
}

// Baseline: the search that sharing starts with, changing nothing.
void BM_SearchTextures(benchmark::State& state) {
    setUp();
    SoSeparator* root = unsharedCity();
    for (auto _ : state) {
        benchmark::DoNotOptimize(textureNodes(root));
    }
    root->unref();
}

void BM_ShareTextures(benchmark::State& state) {
    setUp();
    int before = 0;
    for (auto _ : state) {
        state.PauseTiming();
        SoSeparator* root = unsharedCity();
        before = textureNodes(root);
        state.ResumeTiming();
        shareTextures(root);
        state.PauseTiming();
        root->unref();
        state.ResumeTiming();
    }
    state.counters["textureNodes"] = before;
}

}  // namespace

BENCHMARK(BM_BuildCityScene)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchTextures)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ShareTextures)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
