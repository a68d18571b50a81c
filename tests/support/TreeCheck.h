#pragma once

// Run after an operation in a test: names the first invariant the tree breaks,
// by the tree's own check (OctTree::brokenInvariant).

#include <string>

#include "octree/OctTree.h"

// An empty string when the tree rooted at root holds every invariant.
std::string firstBrokenInvariant(const OctTree& root);
