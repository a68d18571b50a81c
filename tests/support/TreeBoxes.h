#pragma once

#include <vector>

class OctTree;
class SbBox3f;

// The distinct boxes of the records filed in the tree, each once, in the
// order a walk over its leaves first meets them.
std::vector<SbBox3f*> boxesInTree(const OctTree& tree);

// Frees the boxes of the tree's records, which the program keeps for its whole
// run; the tree's own destructor frees its nodes.
void releaseTree(OctTree& tree);
