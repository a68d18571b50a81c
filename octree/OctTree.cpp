#include "octree/OctTree.h"

#include <algorithm>
#include <cstdio>

namespace {

const char* const overflowLine =
    "V maximalni hloubce stromu je vice objektu, nez je kapacita OctTree!";

void makeOctants(const SbBox3f& box, SbBox3f* octants) {
    const SbVec3f& lo = box.getMin();
    const SbVec3f& hi = box.getMax();
    const float mid[3] = {(lo[0] + hi[0]) / 2.0f, (lo[1] + hi[1]) / 2.0f, (lo[2] + hi[2]) / 2.0f};
    for (int k = 0; k < 8; ++k) {
        SbVec3f min;
        SbVec3f max;
        // Bit 2 picks the upper half in x, bit 1 in y, bit 0 in z.
        for (int axis = 0; axis < 3; ++axis) {
            const bool upper = (k >> (2 - axis)) & 1;
            min[axis] = upper ? mid[axis] : lo[axis];
            max[axis] = upper ? hi[axis] : mid[axis];
        }
        octants[k].setBounds(min, max);
    }
}

bool intervalsOverlap(float pMin, float pMax, float dMin, float dMax) {
    return (dMin >= pMin && dMin < pMax) || (pMin >= dMin && pMin < dMax);
}

}  // namespace

OctTree::OctTree(SbBox3f box)
    : objectCount(0),
      depth(0),
      nodeCapacity(4),
      maxDepth(1000),
      parent(nullptr),
      children{},
      nodeBudget(defaultNodeBudget),
      crowdDepth(defaultCrowdDepth),
      root(this),
      treeNodes(1) {
    makeOctants(box, octants);
}

OctTree::OctTree(OctTree* parent, SbBox3f box)
    : objectCount(0),
      depth(parent->depth + 1),
      nodeCapacity(parent->nodeCapacity),
      maxDepth(parent->maxDepth),
      parent(parent),
      children{},
      nodeBudget(parent->nodeBudget),
      crowdDepth(parent->crowdDepth),
      root(parent->root),
      treeNodes(0) {
    makeOctants(box, octants);
}

bool OctTree::boxesOverlap(const SbBox3f& first, const SbBox3f& second) {
    const SbVec3f& pMin = first.getMin();
    const SbVec3f& pMax = first.getMax();
    const SbVec3f& dMin = second.getMin();
    const SbVec3f& dMax = second.getMax();
    for (int axis = 0; axis < 3; ++axis) {
        if (!intervalsOverlap(pMin[axis], pMax[axis], dMin[axis], dMax[axis])) {
            return false;
        }
    }
    return true;
}

void OctTree::insert(CollisionObject record) {
    file(record, false);
}

bool OctTree::insertAndCheck(CollisionObject record) {
    return file(record, true);
}

bool OctTree::file(const CollisionObject& record, bool check) {
    const bool hadChildren = children[0] != nullptr;
    if (!hadChildren && objectCount < nodeCapacity) {
        objects.append(record);
        ++objectCount;
        return check && findCollidingNode(this) != nullptr;
    }
    if (depth == maxDepth) {
        std::fputs(overflowLine, stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
        return false;
    }
    if (!hadChildren && keepsInsteadOfSplitting(record)) {
        objects.append(record);
        ++objectCount;
        return check && findCollidingNode(this) != nullptr;
    }
    if (!hadChildren) {
        split();
    }

    // Slot 0 goes down first and removeFast moves the last record into it, so
    // A, B, C, D plus E leave in the order A, E, D, C, B.
    objects.append(record);
    bool collided = false;
    const int handedDown = objects.getLength();
    for (int n = 0; n < handedDown; ++n) {
        const CollisionObject first = objects[0];
        for (int k = 0; k < 8; ++k) {
            if (boxesOverlap(octants[k], *first.box) && children[k]->file(first, check)) {
                collided = true;
            }
        }
        objects.removeFast(0);
    }
    objectCount = 0;
    // An inner node never holds records again; give back the grown array.
    objects.fit();
    return collided;
}

void OctTree::split() {
    for (int k = 0; k < 8; ++k) {
        children[k] = new OctTree(this, octants[k]);
    }
    root->treeNodes += 8;
}

SbBox3f OctTree::region() const {
    return SbBox3f(octants[0].getMin(), octants[7].getMax());
}

// A split pays off only if it separates records. If two or more octants would
// each receive every record of a full leaf (the new one included), those
// children are as full as the leaf and split in turn: the tree fans out level
// after level. That happens for good where the records share a common region;
// deeper down it also happens along faces and edges where records only meet,
// until float rounding lands a dividing plane on them. Such a leaf keeps its
// records. A single receiving octant (records meeting at a point) still
// splits: that grows one chain, not a fan.
bool OctTree::keepsInsteadOfSplitting(const CollisionObject& record) const {
    if (root->treeNodes > nodeBudget - 8) {
        return true;
    }
    if (depth >= crowdDepth) {
        int receiving = 0;
        for (int k = 0; k < 8; ++k) {
            bool all = boxesOverlap(octants[k], *record.box);
            for (int i = 0; all && i < objectCount; ++i) {
                all = boxesOverlap(octants[k], *objects[i].box);
            }
            receiving += all;
        }
        return receiving >= 2;
    }

    const SbBox3f own = region();
    SbVec3f lo = own.getMin();
    SbVec3f hi = own.getMax();
    auto narrow = [&lo, &hi](const SbBox3f& box) {
        for (int axis = 0; axis < 3; ++axis) {
            lo[axis] = std::max(lo[axis], box.getMin()[axis]);
            hi[axis] = std::min(hi[axis], box.getMax()[axis]);
        }
    };
    // Where the common range shrinks to one point, a box of positive width
    // that ends there leaves it out: its maximum is open.
    auto leavesOut = [&lo, &hi](const SbBox3f& box) {
        for (int axis = 0; axis < 3; ++axis) {
            const bool point = lo[axis] == hi[axis];
            const bool wide = box.getMin()[axis] < box.getMax()[axis];
            if (lo[axis] > hi[axis] || (point && wide && box.getMax()[axis] == hi[axis])) {
                return true;
            }
        }
        return false;
    };

    narrow(*record.box);
    for (int i = 0; i < objectCount; ++i) {
        narrow(*objects[i].box);
    }
    if (leavesOut(own) || leavesOut(*record.box)) {
        return false;
    }
    for (int i = 0; i < objectCount; ++i) {
        if (leavesOut(*objects[i].box)) {
            return false;
        }
    }

    // Every octant that meets the common region receives every record.
    const SbBox3f common(lo, hi);
    int receiving = 0;
    for (int k = 0; k < 8; ++k) {
        receiving += boxesOverlap(octants[k], common);
    }
    return receiving >= 2;
}

void OctTree::removeFromList(const CollisionObject& record) {
    int i = 0;
    while (i < objectCount) {
        if (objects[i].isSameObject(record)) {
            // The last record moves into slot i and is examined next.
            objects.removeFast(i);
            --objectCount;
        } else {
            ++i;
        }
    }
}

void OctTree::remove(CollisionObject record) {
    // Any node's own list may hold the record: the root keeps whatever it is
    // given before its first split, and a crowded leaf keeps what it refused
    // to split over.
    removeFromList(record);
    // Without a box the record never left the root's list.
    if (record.box == nullptr) {
        return;
    }
    for (int k = 0; k < 8; ++k) {
        if (children[k] != nullptr && boxesOverlap(octants[k], *record.box)) {
            children[k]->remove(record);
        }
    }
}

void OctTree::removeEverywhere(CollisionObject record) {
    removeFromList(record);
    for (int k = 0; k < 8; ++k) {
        if (children[k] != nullptr) {
            children[k]->removeEverywhere(record);
        }
    }
}

OctTree* OctTree::findCollidingNode(OctTree* node) {
    if (node->objectCount > 0) {
        for (int i = 0; i < node->objectCount - 1; ++i) {
            for (int j = i + 1; j < node->objectCount; ++j) {
                if (boxesOverlap(*node->objects[i].box, *node->objects[j].box)) {
                    return node;
                }
            }
        }
    }
    for (int k = 0; k < 8; ++k) {
        if (node->children[k] != nullptr) {
            if (OctTree* found = findCollidingNode(node->children[k])) {
                return found;
            }
        }
    }
    return nullptr;
}

int OctTree::nodeCount() const {
    int count = 1;
    for (int k = 0; k < 8; ++k) {
        if (children[k] != nullptr) {
            count += children[k]->nodeCount();
        }
    }
    return count;
}

namespace {

// SbList keeps its room to itself; a member pointer named through a subclass
// reads it on any list.
struct ListRoom : SbList<CollisionObject> {
    static int of(const SbList<CollisionObject>& list) {
        return (list.*(&ListRoom::getArraySize))();
    }
};

}  // namespace

std::size_t OctTree::memoryBytes() const {
    std::size_t bytes = sizeof(OctTree);
    const int room = ListRoom::of(objects);
    if (room > 4) {
        bytes += static_cast<std::size_t>(room) * sizeof(CollisionObject);
    }
    for (int k = 0; k < 8; ++k) {
        if (children[k] != nullptr) {
            bytes += children[k]->memoryBytes();
        }
    }
    return bytes;
}
