// The octree's invariants as code. brokenInvariant walks the whole tree;
// builds with BRENNOC_OCTREE_VALIDATE also check after every change (see
// ChangeCheck below).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "octree/OctTree.h"
#include "octree/internal/OctTreeChangeCheck.h"

namespace {

SbBox3f regionOf(const OctTree& node) {
    return SbBox3f(node.octants[0].getMin(), node.octants[7].getMax());
}

bool sameBox(const SbBox3f& first, const SbBox3f& second) {
    return first.getMin() == second.getMin() && first.getMax() == second.getMax();
}

// The eight halves of the node's region, split at its centre in single
// precision: bit 2 of k picks the upper half in x, bit 1 in y, bit 0 in z.
bool octantsHalve(const OctTree& node) {
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

bool holds(const OctTree& leaf, const SbBox3f* box) {
    for (int i = 0; i < leaf.objects.getLength(); ++i) {
        if (leaf.objects[i].box == box) {
            return true;
        }
    }
    return false;
}

// A leaf may hold more than its capacity only where no split could part its
// records: their closed boxes share a point of the leaf and two or more
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

[[noreturn]] void invariantBroken(const std::string& broken) {
    std::fprintf(stderr, "OctTree: invariant broken: %s\n", broken.c_str());
    std::fflush(stderr);
    std::abort();
}

}  // namespace

// The checks, each naming what it guards; the first that fails is kept with
// the path of its node. The walks go by the octant boxes and boxesOverlap,
// not by the private copies and the octant test the operations use.
struct OctTree::Validation {
    explicit Validation(const OctTree& root) : root(root), path("root/") {}

    bool fail(const char* what) {
        broken = std::string(what) + " at " + path;
        return false;
    }

    // A node's own fields and its private copies.
    bool fields(const OctTree& node) {
        if (node.objectCount != node.objects.getLength()) {
            return fail("objectCount differs from the list's length");
        }
        if (!octantsHalve(node)) {
            return fail("octants are not the halves of the node's region");
        }
        for (int axis = 0; axis < 3; ++axis) {
            if (node.regionMin[axis] != node.octants[0].getMin()[axis] ||
                node.centre[axis] != node.octants[0].getMax()[axis] ||
                node.regionMax[axis] != node.octants[7].getMax()[axis]) {
                return fail("the copy of the region or centre differs from the octants");
            }
        }
        if (node.unusedLane != 0.0f) {
            return fail("the lane after the region's copy is not 0");
        }
        for (int k = 0; k < 8; ++k) {
            if (node.children[k] != (node.childBlock ? node.childBlock + k : nullptr)) {
                return fail("children differ from the child block");
            }
        }
        if (node.root != &root || node.nodeBudget != root.nodeBudget ||
            node.nodesPerRecord != root.nodesPerRecord) {
            return fail("root or growth bounds differ from the root's");
        }
        if (&node != &root &&
            (node.treeNodes != 0 || node.recordsFiled != 0 || node.hints != nullptr)) {
            return fail("a node other than the root keeps the root's counters or hints");
        }
        return true;
    }

    bool rootFields() {
        if (root.parent != nullptr || root.depth != 0 || root.root != &root) {
            return fail("the root has a parent, a depth or another root");
        }
        return fields(root);
    }

    // An inner node's empty list, and each child's fields against it.
    bool children(const OctTree& node) {
        if (node.objectCount != 0 || node.objects.getLength() != 0) {
            return fail("an inner node holds records");
        }
        if (node.depth >= node.maxDepth) {
            return fail("a node at maxDepth has children");
        }
        for (int k = 0; k < 8; ++k) {
            const OctTree& child = node.childBlock[k];
            path.push_back(static_cast<char>('0' + k));
            if (child.parent != &node || child.depth != node.depth + 1 ||
                child.nodeCapacity != node.nodeCapacity || child.maxDepth != node.maxDepth) {
                return fail("parent, depth, capacity or maxDepth not taken from the parent");
            }
            if (!sameBox(regionOf(child), node.octants[k])) {
                return fail("a child's region is not its parent's octant");
            }
            if (!fields(child)) {
                return false;
            }
            path.pop_back();
        }
        return true;
    }

    // A leaf's records: each with a box that overlaps the leaf, and no more
    // than capacity unless no split could part them.
    bool leaf(const OctTree& node) {
        for (int i = 0; i < node.objectCount; ++i) {
            const SbBox3f* box = node.objects[i].box;
            if (box == nullptr) {
                return fail("a record without a box");
            }
            // The root keeps anything before its first split.
            if (&node != &root && !OctTree::boxesOverlap(regionOf(node), *box)) {
                return fail("a record outside the leaf it is filed in");
            }
            boxes.push_back(box);
        }
        if (node.objectCount > node.nodeCapacity &&
            (node.depth == node.maxDepth || !mayHoldMore(node, root))) {
            return fail("a leaf over capacity where a split would part its records");
        }
        return true;
    }

    // Below a node whose own fields hold.
    bool below(const OctTree& node) { return node.childBlock ? children(node) : leaf(node); }

    bool subtree(const OctTree& node) {
        ++nodes;
        if (!below(node)) {
            return false;
        }
        for (int k = 0; node.childBlock && k < 8; ++k) {
            path.push_back(static_cast<char>('0' + k));
            if (!subtree(node.childBlock[k])) {
                return false;
            }
            path.pop_back();
        }
        return true;
    }

    // Every leaf the box overlaps below node holds a copy of it (filed), or
    // none does; a full leaf at maxDepth refuses records, so it may lack one.
    // With lists, after a change, also the lists of the nodes on the way.
    bool copies(const OctTree& node, const SbBox3f* box, bool filed, bool lists = false) {
        if (lists && node.objectCount != node.objects.getLength()) {
            return fail("objectCount differs from the list's length");
        }
        if (node.childBlock == nullptr) {
            if (lists && !leaf(node)) {
                return false;
            }
            const bool held = holds(node, box);
            if (filed && !held && node.depth != node.maxDepth) {
                return fail("a leaf the box overlaps lacks its copy");
            }
            if (!filed && held) {
                return fail("a removed box is still filed");
            }
            return true;
        }
        if (lists && node.objects.getLength() != 0) {
            return fail("an inner node holds records");
        }
        for (int k = 0; k < 8; ++k) {
            if (OctTree::boxesOverlap(node.octants[k], *box)) {
                path.push_back(static_cast<char>('0' + k));
                if (!copies(node.childBlock[k], box, filed, lists)) {
                    return false;
                }
                path.pop_back();
            }
        }
        return true;
    }

    // Each box of boxes has its copies in every leaf below node it overlaps.
    bool copiesOfBoxes(const OctTree& node, const std::string& at) {
        distinctBoxes();
        for (const SbBox3f* box : boxes) {
            path = at;
            if (!copies(node, box, true)) {
                return false;
            }
        }
        return true;
    }

    bool wholeTree() {
        if (!rootFields() || !subtree(root)) {
            return false;
        }
        path = "root/";
        if (root.treeNodes != nodes) {
            return fail("the root's count of nodes differs from the nodes in the tree");
        }
        // A record counts once when it is filed and once off when its copies
        // are removed; one refused or dropped stays counted.
        if (root.recordsFiled < distinctBoxes()) {
            return fail("the root counts fewer records filed than the tree holds");
        }
        return copiesOfBoxes(root, "root/");
    }

    int distinctBoxes() {
        std::sort(boxes.begin(), boxes.end());
        boxes.erase(std::unique(boxes.begin(), boxes.end()), boxes.end());
        return static_cast<int>(boxes.size());
    }

    const OctTree& root;
    // The node being checked: "root/" and the octant taken at each level.
    std::string path;
    std::string broken;
    int nodes = 0;
    // The boxes of the records in the leaves checked, repeats included.
    std::vector<const SbBox3f*> boxes;
};

std::string OctTree::brokenInvariant() const {
    Validation check(*root);
    check.wholeTree();
    return check.broken;
}

void OctTree::validate() const {
    const std::string broken = brokenInvariant();
    if (!broken.empty()) {
        invariantBroken(broken);
    }
}

#if defined(BRENNOC_OCTREE_VALIDATE)

namespace {

// "root/" and the octant taken at each level down to the node.
std::string pathOf(const OctTree* node) {
    std::string octantsTaken;
    for (; node->parent != nullptr; node = node->parent) {
        octantsTaken.push_back(static_cast<char>('0' + (node - node->parent->children[0])));
    }
    std::reverse(octantsTaken.begin(), octantsTaken.end());
    return "root/" + octantsTaken;
}

bool reachesAnOctant(const OctTree& node, const SbBox3f& box) {
    for (const SbBox3f& octant : node.octants) {
        if (OctTree::boxesOverlap(octant, box)) {
            return true;
        }
    }
    return false;
}

void collectLeaves(const OctTree& node, const SbBox3f& box, std::vector<const OctTree*>& leaves) {
    if (node.children[0] == nullptr) {
        leaves.push_back(&node);
        return;
    }
    for (int k = 0; k < 8; ++k) {
        if (OctTree::boxesOverlap(node.octants[k], box)) {
            collectLeaves(*node.children[k], box, leaves);
        }
    }
}

// The whole tree is checked once every treeNodes / nodesPerChange changes
// (after every change while it has at most that many nodes), so that those
// checks cost about nodesPerChange node visits a change.
const long nodesPerChange = 2;
long changesSinceWholeCheck = 0;

}  // namespace

OctTree::ChangeCheck::ChangeCheck(const OctTree& tree, const SbBox3f* removed, const SbBox3f* filed)
    : tree(tree),
      removed(removed),
      filed(filed),
      nodesBefore(tree.root->treeNodes),
      recordsFiledBefore(tree.root->recordsFiled),
      recordsFiledChange(0) {
    // A filing counts once where it reaches the tree's region (or a root
    // without children); a removal that finds copies counts once off.
    if (filed != nullptr && (tree.childBlock == nullptr || reachesAnOctant(tree, *filed))) {
        ++recordsFiledChange;
    }
    if (removed != nullptr) {
        std::vector<const OctTree*> holding;
        collectLeaves(tree, *removed, holding);
        if (std::any_of(holding.begin(), holding.end(),
                        [this](const OctTree* leaf) { return holds(*leaf, this->removed); })) {
            --recordsFiledChange;
        }
    }
    if (filed != nullptr) {
        collectLeaves(tree, *filed, leavesReached);
    }
}

OctTree::ChangeCheck::~ChangeCheck() {
    const OctTree& root = *tree.root;
    Validation check(root);
    if (root.recordsFiled != recordsFiledBefore + recordsFiledChange) {
        check.fail("the root's count of records filed is not what the operation filed and removed");
    } else if (&tree != &root || ++changesSinceWholeCheck * nodesPerChange >= root.treeNodes) {
        changesSinceWholeCheck = 0;
        check.wholeTree();
    } else {
        changedPartsHold(check);
    }
    if (!check.broken.empty()) {
        invariantBroken(check.broken);
    }
}

// What an operation can change: the lists of the leaves its boxes reach, and
// below the leaves the filed box reached, the nodes a split made. The rest of
// every node (its region, copies, links to parent and children) is set when
// it is made and checked then, and again by the whole checks.
bool OctTree::ChangeCheck::changedPartsHold(Validation& check) const {
    const OctTree& root = check.root;
    if (!check.rootFields() ||
        (removed && removed != filed && !check.copies(root, removed, false, true)) ||
        (filed && !check.copies(root, filed, true, true))) {
        return false;
    }
    int created = 0;
    for (const OctTree* leaf : leavesReached) {
        if (leaf->childBlock == nullptr) {
            continue;
        }
        const std::string at = pathOf(leaf);
        check.path = at;
        check.nodes = 0;
        check.boxes.clear();
        if (!check.fields(*leaf) || !check.subtree(*leaf) || !check.copiesOfBoxes(*leaf, at)) {
            return false;
        }
        created += check.nodes - 1;
    }
    check.path = "root/";
    if (root.treeNodes != nodesBefore + created) {
        return check.fail("the root's count of nodes differs from the nodes the operation made");
    }
    return true;
}

#endif
