#pragma once

// Read-only walks over an octree for the tests.

#include <functional>
#include <string>
#include <vector>

#include "octree/OctTree.h"

inline void forEachNode(const OctTree& node, const std::function<void(const OctTree&)>& visit) {
    visit(node);
    for (const OctTree* child : node.children) {
        if (child != nullptr) {
            forEachNode(*child, visit);
        }
    }
}

// How many stored copies refer to the box.
inline int copiesOf(const OctTree& tree, const SbBox3f* box) {
    int copies = 0;
    forEachNode(tree, [&](const OctTree& node) {
        for (int i = 0; i < node.objects.getLength(); ++i) {
            copies += node.objects[i].box == box;
        }
    });
    return copies;
}

// The boxes of a node's records, in list order.
inline std::vector<const SbBox3f*> boxesIn(const OctTree& node) {
    std::vector<const SbBox3f*> boxes;
    for (int i = 0; i < node.objects.getLength(); ++i) {
        boxes.push_back(node.objects[i].box);
    }
    return boxes;
}

inline int largestLeaf(const OctTree& tree) {
    int largest = 0;
    forEachNode(tree, [&](const OctTree& node) {
        if (node.objectCount > largest) {
            largest = node.objectCount;
        }
    });
    return largest;
}

inline int deepestDepth(const OctTree& tree) {
    int deepest = 0;
    forEachNode(tree, [&](const OctTree& node) {
        if (node.depth > deepest) {
            deepest = node.depth;
        }
    });
    return deepest;
}

// Where the two trees first differ, or an empty string.
inline std::string firstDifference(const OctTree& pruned, const OctTree& full,
                                   const std::string& at) {
    if (pruned.objectCount != full.objectCount || boxesIn(pruned) != boxesIn(full)) {
        return "lists differ at " + at;
    }
    for (int k = 0; k < 8; ++k) {
        if ((pruned.children[k] == nullptr) != (full.children[k] == nullptr)) {
            return "shape differs at " + at;
        }
        if (pruned.children[k] != nullptr) {
            std::string diff =
                firstDifference(*pruned.children[k], *full.children[k], at + std::to_string(k));
            if (!diff.empty()) {
                return diff;
            }
        }
    }
    return "";
}

// Owners for records of the tests' movers: the tree only compares owners and
// never reads through them, so any distinct addresses name distinct movers.
inline FlyingObject* fakeOwner(int k) {
    static char tags[256];
    return reinterpret_cast<FlyingObject*>(&tags[k % 256]);
}
