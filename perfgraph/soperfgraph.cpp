// Placeholder so that the tree links; the real graph replaces this file.
#include "perfgraph/SoPerfGraph.h"

SO_NODE_SOURCE(SoPerfGraph);

void SoPerfGraph::initClass() { SO_NODE_INIT_CLASS(SoPerfGraph, SoNode, "Node"); }

SoPerfGraph::SoPerfGraph() {
    SO_NODE_CONSTRUCTOR(SoPerfGraph);
    SO_NODE_ADD_FIELD(vertAlignment, (BOTTOM));
    SO_NODE_ADD_FIELD(horAlignment, (LEFT));
    SO_NODE_ADD_FIELD(size, (0.35f, 0.15f));
    SO_NODE_ADD_FIELD(position, (0.03f, 0.03f));
    SO_NODE_ADD_FIELD(sizeInPixels, (0, 0));
    SO_NODE_ADD_FIELD(positionInPixels, (0, 0));
    SO_NODE_ADD_FIELD(vertScreenOrigin, (BOTTOM));
    SO_NODE_ADD_FIELD(horScreenOrigin, (LEFT));
    SO_NODE_ADD_FIELD(dataScale, (2.0f, 1.0f));
}

SoPerfGraph::~SoPerfGraph() {}

void SoPerfGraph::addValue(float) {}
