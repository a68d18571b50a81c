#include "tests/support/TreeCheck.h"

#include <algorithm>
#include <set>
#include <vector>

namespace {

SbBox3f regionOf(const OctTree& node) {
    return SbBox3f(node.octants[0].getMin(), node.octants[7].getMax());
}

std::string at(const std::string& path, const std::string& what) {
    return what + " at " + path;
}

// The eight octants of a box, split at its centre in single precision.
bool octantsSplit(const OctTree& node) {
    const SbVec3f lo = node.octants[0].getMin();
    const SbVec3f hi = node.octants[7].getMax();
    for (int k = 0; k < 8; ++k) {
        for (int axis = 0; axis < 3; ++axis) {
            const float mid = (lo[axis] + hi[axis]) / 2.0f;
            const bool upper = (k >> (2 - axis)) & 1;
            if (node.octants[k].getMin()[axis] != (upper ? mid : lo[axis]) ||
                node.octants[k].getMax()[axis] != (upper ? hi[axis] : mid)) {
                return false;
            }
        }
    }
    return true;
}

// A leaf may hold more than its capacity only where no split could separate
// its records: their closed boxes share a point of the leaf and two or more
// octants take every one of them. Or where the node budget may have stopped
// growth: the tree has passed its fixed part (the part that grows with the
// records filed may have been smaller when the leaf was kept).
bool mayHoldMore(const OctTree& leaf, const OctTree& root) {
    if (root.treeNodes + 8 > root.nodeBudget) {
        return true;
    }
    SbVec3f lo = leaf.octants[0].getMin();
    SbVec3f hi = leaf.octants[7].getMax();
    for (int i = 0; i < leaf.objects.getLength(); ++i) {
        const SbBox3f& box = *leaf.objects[i].box;
        for (int axis = 0; axis < 3; ++axis) {
            lo[axis] = std::max(lo[axis], box.getMin()[axis]);
            hi[axis] = std::min(hi[axis], box.getMax()[axis]);
        }
    }
    for (int axis = 0; axis < 3; ++axis) {
        if (!(lo[axis] <= hi[axis])) {
            return false;
        }
    }
    int takingAll = 0;
    for (int k = 0; k < 8; ++k) {
        bool all = true;
        for (int i = 0; all && i < leaf.objects.getLength(); ++i) {
            all = OctTree::boxesOverlap(leaf.octants[k], *leaf.objects[i].box);
        }
        takingAll += all;
    }
    return takingAll >= 2;
}

// The path names the node: "root/" and the octant taken at each level; it
// grows and shrinks with the walk, so deep chains cost no copies.
std::string checkNode(const OctTree& node, const OctTree& root, std::string& path, int& nodes,
                      std::set<const SbBox3f*>& boxes) {
    ++nodes;
    if (node.objectCount != node.objects.getLength()) {
        return at(path, "objectCount differs from the list's length");
    }
    if (!octantsSplit(node)) {
        return at(path, "octants are not the halves of the node's box");
    }
    if (node.root != &root || node.nodeBudget != root.nodeBudget ||
        node.nodesPerRecord != root.nodesPerRecord) {
        return at(path, "root or bounds differ from the root's");
    }
    const int split = std::count_if(std::begin(node.children), std::end(node.children),
                                    [](const OctTree* child) { return child != nullptr; });
    if (split != 0 && split != 8) {
        return at(path, "some children set, not all eight");
    }
    if (split == 8) {
        if (node.objectCount != 0) {
            return at(path, "an inner node holds records");
        }
        for (int k = 0; k < 8; ++k) {
            const OctTree& child = *node.children[k];
            path.push_back(static_cast<char>('0' + k));
            if (child.parent != &node || child.depth != node.depth + 1 ||
                child.nodeCapacity != node.nodeCapacity || child.maxDepth != node.maxDepth) {
                return at(path, "parent, depth, capacity or maxDepth wrong");
            }
            const SbBox3f region = regionOf(child);
            if (region.getMin() != node.octants[k].getMin() ||
                region.getMax() != node.octants[k].getMax()) {
                return at(path, "child's box is not its parent's octant");
            }
            const std::string broken = checkNode(child, root, path, nodes, boxes);
            if (!broken.empty()) {
                return broken;
            }
            path.pop_back();
        }
        return "";
    }

    if (node.depth > node.maxDepth) {
        return at(path, "leaf below maxDepth");
    }
    for (int i = 0; i < node.objectCount; ++i) {
        const SbBox3f* box = node.objects[i].box;
        if (box == nullptr) {
            return at(path, "record without a box");
        }
        // The root keeps anything before its first split.
        if (&node != &root && !OctTree::boxesOverlap(regionOf(node), *box)) {
            return at(path, "record outside the leaf it is filed in");
        }
        boxes.insert(box);
    }
    if (node.objectCount > node.nodeCapacity &&
        (node.depth == node.maxDepth || !mayHoldMore(node, root))) {
        return at(path, "leaf over capacity where a split would separate its records");
    }
    return "";
}

bool holds(const OctTree& leaf, const SbBox3f* box) {
    for (int i = 0; i < leaf.objectCount; ++i) {
        if (leaf.objects[i].box == box) {
            return true;
        }
    }
    return false;
}

// Every leaf a filed box overlaps holds a copy, except at maxDepth, where a
// full leaf refused it and may have lost other records since.
std::string checkCopies(const OctTree& node, const SbBox3f* box, std::string& path) {
    if (node.children[0] == nullptr) {
        return holds(node, box) || node.depth == node.maxDepth
                   ? ""
                   : at(path, "a leaf the box overlaps lacks its copy");
    }
    for (int k = 0; k < 8; ++k) {
        if (OctTree::boxesOverlap(node.octants[k], *box)) {
            path.push_back(static_cast<char>('0' + k));
            const std::string broken = checkCopies(*node.children[k], box, path);
            if (!broken.empty()) {
                return broken;
            }
            path.pop_back();
        }
    }
    return "";
}

}  // namespace

std::string firstBrokenInvariant(const OctTree& root) {
    if (root.parent != nullptr || root.depth != 0) {
        return "the root has a parent or a depth";
    }
    int nodes = 0;
    std::set<const SbBox3f*> boxes;
    std::string path = "root/";
    std::string broken = checkNode(root, root, path, nodes, boxes);
    if (!broken.empty()) {
        return broken;
    }
    if (root.treeNodes != nodes) {
        return "the root's node count differs from the nodes in the tree";
    }
    for (const SbBox3f* box : boxes) {
        path = "root/";
        broken = checkCopies(root, box, path);
        if (!broken.empty()) {
            return broken;
        }
    }
    return "";
}
