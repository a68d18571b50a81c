#pragma once

#include "perfgraph/SoPerfGraph.h"
#include "perfgraph/internal/PerfGraphData.h"

// Opens a graph's private record to the tests and benchmarks, as the node's
// friend.
struct PerfGraphProbe {
    static PerfGraphData& data(SoPerfGraph& graph) { return *graph.data; }
};
