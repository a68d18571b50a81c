#pragma once

// The octree's invariants as code: run after an operation, it names the first
// one the tree breaks.

#include <string>

#include "octree/OctTree.h"

// An empty string when the tree rooted at root holds every invariant.
std::string firstBrokenInvariant(const OctTree& root);
