#pragma once

#include <Inventor/SbViewportRegion.h>
#include <Inventor/SoDB.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/nodes/SoText2.h>
#include <Inventor/nodes/SoTexture2.h>

#include <string>
#include <vector>

#include "perfgraph/PerfGraphData.h"
#include "perfgraph/SoPerfGraph.h"

// Initialises the scene library and registers the graph class, once per process.
inline void initGraphClass() {
    static bool done = false;
    if (!done) {
        SoDB::init();
        SoPerfGraph::initClass();
        done = true;
    }
}

// A graph whose private record the tests may read and drive.
class ProbeGraph : public SoPerfGraph {
public:
    PerfGraphData& record() { return *data; }
};

// Holds one reference on a graph for the length of a test.
template <class Graph = ProbeGraph>
class GraphRef {
public:
    GraphRef() : graph(new Graph) { graph->ref(); }
    ~GraphRef() { graph->unref(); }
    GraphRef(const GraphRef&) = delete;
    GraphRef& operator=(const GraphRef&) = delete;
    Graph* operator->() const { return graph; }
    Graph& operator*() const { return *graph; }
    Graph* get() const { return graph; }

private:
    Graph* graph;
};

// A clock the tests set by hand.
struct FakeClock {
    inline static double now = 0;
    static double read() { return now; }
    FakeClock(double start) : saved(PerfGraphData::timeOfDay) {
        now = start;
        PerfGraphData::timeOfDay = read;
    }
    ~FakeClock() { PerfGraphData::timeOfDay = saved; }
    double (*saved)();
};

inline std::string labelText(const SoText2* label) {
    return label->string.getNum() > 0 ? label->string[0].getString() : std::string();
}

inline void boundingBoxPass(SoNode* node, short width, short height) {
    SoGetBoundingBoxAction action(SbViewportRegion(width, height));
    action.apply(node);
}

inline SbVec2s imageSize(const PerfGraphData& d) {
    SbVec2s size;
    int components = 0;
    d.graphTexture->image.getValue(size, components);
    return size;
}

// Number of bar texels at the start of image row `row`, or -1 when the rest
// of the row is not all background.
inline int barLength(const PerfGraphData& d, int row) {
    SbVec2s size;
    int components = 0;
    const unsigned char* pixels = d.graphTexture->image.getValue(size, components);
    const unsigned char* texel = pixels + row * size[0] * TEXTURE_COMPONENTS;
    int n = 0;
    while (n < size[0] && texel[n * TEXTURE_COMPONENTS + 1] == 128 &&
           texel[n * TEXTURE_COMPONENTS + 3] == 255) {
        ++n;
    }
    for (int i = n; i < size[0]; ++i) {
        const unsigned char* t = texel + i * TEXTURE_COMPONENTS;
        if (t[0] != 0 || t[1] != 0 || t[2] != 128 || t[3] != 128) {
            return -1;
        }
    }
    return n;
}

// The ring in arrival order, oldest first.
inline std::vector<float> ringInOrder(const PerfGraphData& d) {
    std::vector<float> out;
    for (int n = 0; n < d.numValues; ++n) {
        out.push_back(d.values[(d.startIndex + n) % d.numValues]);
    }
    return out;
}
