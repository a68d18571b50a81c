#pragma once

// Reaches a node's private parts: its copies, to damage them, and the root's
// hints for its movers' moves.

#include <limits>

#include "octree/OctTree.h"
#include "octree/internal/MoveHints.h"

struct OctTreeTestAccess {
    static float* centre(OctTree& node) { return node.centre; }
    static float* regionMax(OctTree& node) { return node.regionMax; }
    static float& unusedLane(OctTree& node) { return node.unusedLane; }
    static OctTree*& childBlock(OctTree& node) { return node.childBlock; }
    // The root's hint for the owner's next move; null where it has none.
    static const OctTree* hint(OctTree& root, const FlyingObject* owner) {
        if (root.hints == nullptr) {
            return nullptr;
        }
        return root.hints->hintFor(owner, std::numeric_limits<std::size_t>::max());
    }
};
