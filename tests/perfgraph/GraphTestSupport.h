#pragma once

#include <Inventor/SbViewportRegion.h>
#include <Inventor/SoDB.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/nodes/SoText2.h>
#include <Inventor/nodes/SoTexture2.h>

#include <string>
#include <vector>

#include "perfgraph/SoPerfGraph.h"
#include "perfgraph/internal/PerfGraphData.h"
#include "tests/perfgraph/PerfGraphProbe.h"

// A graph whose private record the tests may read and drive; it registers the
// class on first use and is unreferenced at the end of the test.
class ProbeGraph : public SoPerfGraph {
public:
    static void registerOnce() {
        static bool registered = false;
        if (!registered) {
            SoDB::init();
            SoPerfGraph::initClass();
            registered = true;
        }
    }
    static ProbeGraph* make() {
        registerOnce();
        return new ProbeGraph;
    }
    PerfGraphData& d() { return PerfGraphProbe::data(*this); }
};

struct GraphRef {
    ProbeGraph* graph;
    explicit GraphRef(ProbeGraph* g = ProbeGraph::make()) : graph(g) { graph->ref(); }
    ~GraphRef() { graph->unref(); }
    ProbeGraph* operator->() const { return graph; }
};

inline std::string text(const SoText2* label) {
    return label->string[0].getString();
}

inline void boundingBoxPass(SoNode* node, short width, short height) {
    SoGetBoundingBoxAction(SbViewportRegion(width, height)).apply(node);
}

inline SbVec2s imageSize(const PerfGraphData& d) {
    SbVec2s size;
    int nc = 0;
    d.graphTexture->image.getValue(size, nc);
    return size;
}

// Bar texels at the start of an image row; -1 when the rest is not all background.
inline int barLength(const PerfGraphData& d, int row) {
    SbVec2s size;
    int nc = 0;
    const unsigned char* t = d.graphTexture->image.getValue(size, nc) + row * size[0] * 4;
    int n = 0;
    while (n < size[0] && t[n * 4 + 1] == 128 && t[n * 4 + 3] == 255) {
        ++n;
    }
    for (int i = n * 4; i < size[0] * 4; i += 4) {
        if (t[i] != 0 || t[i + 1] != 0 || t[i + 2] != 128 || t[i + 3] != 128) {
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
