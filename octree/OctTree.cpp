#include "octree/OctTree.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <new>

#include "octree/internal/MoveHints.h"
#include "octree/internal/OctTreeChangeCheck.h"
#include "octree/internal/OctantMasks.h"

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

}  // namespace

OctTree::OctTree(SbBox3f box)
    : objectCount(0),
      depth(0),
      nodeCapacity(4),
      maxDepth(1000),
      unusedLane(0.0f),
      childBlock(nullptr),
      parent(nullptr),
      children{},
      nodeBudget(defaultNodeBudget),
      nodesPerRecord(defaultNodesPerRecord),
      root(this),
      treeNodes(1),
      recordsFiled(0),
      hints(nullptr) {
    makeOctants(box, octants);
    copyRegion();
}

OctTree::OctTree(OctTree* parent, SbBox3f box)
    : objectCount(0),
      depth(parent->depth + 1),
      nodeCapacity(parent->nodeCapacity),
      maxDepth(parent->maxDepth),
      unusedLane(0.0f),
      childBlock(nullptr),
      parent(parent),
      children{},
      nodeBudget(parent->nodeBudget),
      nodesPerRecord(parent->nodesPerRecord),
      root(parent->root),
      treeNodes(0),
      recordsFiled(0),
      hints(nullptr) {
    makeOctants(box, octants);
    copyRegion();
}

void OctTree::copyRegion() {
    for (int axis = 0; axis < 3; ++axis) {
        regionMin[axis] = octants[0].getMin()[axis];
        centre[axis] = octants[0].getMax()[axis];
        regionMax[axis] = octants[7].getMax()[axis];
    }
}

// The octants share their planes: octant 0 runs from the node's minimum to
// its centre and octant 7 from the centre to its maximum, so each axis needs
// two interval tests (those of intervalsOverlap) instead of one per octant.
unsigned OctTree::overlappedOctants(const SbBox3f& box) const {
    // The SSE loads below read 16 bytes from each 12-byte copy: the fourth
    // lane is the next copy's first value, and unusedLane's after regionMax,
    // all inside the node. And what a descent reads stays in the node's first
    // cache line: the list begins the second.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
    static_assert(offsetof(OctTree, centre) == offsetof(OctTree, regionMin) + 3 * sizeof(float));
    static_assert(offsetof(OctTree, regionMax) == offsetof(OctTree, centre) + 3 * sizeof(float));
    static_assert(offsetof(OctTree, unusedLane) ==
                  offsetof(OctTree, regionMax) + 3 * sizeof(float));
    static_assert(offsetof(OctTree, childBlock) + sizeof(OctTree*) <= nodeAlignment);
    static_assert(offsetof(OctTree, objects) == nodeAlignment);
#pragma GCC diagnostic pop
    static_assert(alignof(OctTree) == nodeAlignment && sizeof(OctTree) == 9 * nodeAlignment,
                  "a node is nine cache lines, aligned to the first");
    const float* bMin = box.getMin().getValue();
    const float* bMax = box.getMax().getValue();
#if defined(__SSE2__) && !defined(BRENNOC_SCALAR_OCTANTS)
    // The three axes at once, with the same ordered comparisons (false on
    // NaN); the fourth lanes are left out of the masks.
    const unsigned halves = octree::halvesReached(
        _mm_loadu_ps(regionMin), _mm_loadu_ps(centre), _mm_loadu_ps(regionMax),
        _mm_setr_ps(bMin[0], bMin[1], bMin[2], 0.0f), _mm_setr_ps(bMax[0], bMax[1], bMax[2], 0.0f));
#else
    unsigned halves = 0;
    for (int axis = 0; axis < 3; ++axis) {
        halves |= static_cast<unsigned>(
                      intervalsOverlap(regionMin[axis], centre[axis], bMin[axis], bMax[axis]))
                  << axis;
        halves |= static_cast<unsigned>(
                      intervalsOverlap(centre[axis], regionMax[axis], bMin[axis], bMax[axis]))
                  << (3 + axis);
    }
#endif
    return octree::octantMasks[halves];
}

// The root counts a filing that reaches the tree's region (all of a root
// without children, else an octant of it), and the removal that takes its
// copies away; the node budget grows with that count.
void OctTree::insert(CollisionObject record) {
    const ChangeCheck change(*this, nullptr, record.box);
    if (record.box != nullptr) {
        root->recordsFiled += reachesRegion(*record.box);
        file(record, false);
    }
}

bool OctTree::insertAndCheck(CollisionObject record) {
    const ChangeCheck change(*this, nullptr, record.box);
    if (record.box == nullptr) {
        return false;
    }
    root->recordsFiled += reachesRegion(*record.box);
    return file(record, true);
}

void OctTree::remove(CollisionObject record) {
    const ChangeCheck change(*this, record.box, nullptr);
    if (removeCopies(record.box) > 0) {
        --root->recordsFiled;
    }
}

void OctTree::removeEverywhere(CollisionObject record) {
    const ChangeCheck change(*this, record.box, nullptr);
    if (removeEverywhereBelow(record.box) > 0) {
        --root->recordsFiled;
    }
}

// A record without a box can be neither placed nor tested: a split or a
// collision test would read through the null pointer; the public operations
// refuse it. One outside every octant of a split node is dropped.
bool OctTree::reachesRegion(const SbBox3f& box) const {
    return childBlock == nullptr || overlappedOctants(box) != 0;
}

// The sibling after the region on an axis starts at its maximum and the one
// before ends at its minimum; boxesOverlap meets neither (half-open), at any
// level. False on NaN.
bool OctTree::holdsInside(const SbBox3f& box) const {
    const float* bMin = box.getMin().getValue();
    const float* bMax = box.getMax().getValue();
    for (int axis = 0; axis < 3; ++axis) {
        if (!(bMin[axis] >= regionMin[axis] && bMin[axis] < regionMax[axis] &&
              bMax[axis] <= regionMax[axis])) {
            return false;
        }
    }
    return true;
}

// Files the record in this subtree; with check, answers whether a leaf it
// reached now holds two overlapping records.
bool OctTree::file(const CollisionObject& record, bool check) {
    if (isInner()) {
        return handDown(record, check);
    }
    if (objectCount < nodeCapacity) {
        return keep(record, check);
    }
    if (depth == maxDepth) {
        refuseAtMaxDepth();
        return false;
    }
    if (keepsInsteadOfSplitting(record)) {
        return keep(record, check);
    }
    return splitAndHandDown(record, check);
}

// Every copy goes to each octant it overlaps, whatever the earlier answers.
bool OctTree::handDown(const CollisionObject& record, bool check) {
    bool collided = false;
    for (unsigned reached = overlappedOctants(*record.box); reached != 0; reached &= reached - 1) {
        collided = childBlock[lowestOctant(reached)].file(record, check) || collided;
    }
    return collided;
}

bool OctTree::keep(const CollisionObject& record, bool check) {
    objects.append(record);
    ++objectCount;
    return check && leafCollides();
}

void OctTree::refuseAtMaxDepth() {
    std::fputs(overflowLine, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

bool OctTree::splitAndHandDown(const CollisionObject& record, bool check) {
    split();
    // Slot 0 goes down first and removeFast moves the last record into it, so
    // A, B, C, D plus E leave in the order A, E, D, C, B.
    objects.append(record);
    bool collided = false;
    const int handedDown = objects.getLength();
    for (int n = 0; n < handedDown; ++n) {
        const CollisionObject first = objects[0];
        collided = handDown(first, check) || collided;
        objects.removeFast(0);
    }
    objectCount = 0;
    // An inner node never holds records again; give back the grown array.
    objects.fit();
    return collided;
}

// The pairs of a leaf's own records, as findCollidingNode tests them; those
// of the gone box left out.
bool OctTree::leafCollides(const SbBox3f* gone) {
    for (int i = 0; i < objectCount - 1; ++i) {
        const SbBox3f* first = objects[i].box;
        if (first == gone) {
            continue;
        }
        for (int j = i + 1; j < objectCount; ++j) {
            if (objects[j].box != gone && boxesOverlap(*first, *objects[j].box)) {
                return true;
            }
        }
    }
    return false;
}

// The eight children of a split are one block aligned to cache lines, made
// here and given back by the destructor below, nowhere else.
void OctTree::split() {
    void* block = ::operator new(8 * sizeof(OctTree), std::align_val_t(nodeAlignment));
    OctTree* nodes = static_cast<OctTree*>(block);
    for (int k = 0; k < 8; ++k) {
        children[k] = new (&nodes[k]) OctTree(this, octants[k]);
    }
    childBlock = nodes;
    root->treeNodes += 8;
}

OctTree::~OctTree() {
    delete hints;
    if (childBlock != nullptr) {
        for (int k = 0; k < 8; ++k) {
            childBlock[k].~OctTree();
        }
        ::operator delete(childBlock, std::align_val_t(nodeAlignment));
    }
}

// A split pays off only if it can separate records. Where the closed boxes of
// all the records (the new one included) share a point of the node, every
// node down to that point receives them all; if two or more octants would
// then each receive every record, each of those children is as full as this
// leaf and splits in turn, so the tree fans out level after level. Records
// that overlap there are never separated; records that only meet there part
// only where a dividing plane falls exactly on the face they share, which
// float rounding may put off for dozens of levels; unless a plane falls there
// within meetingLevels levels, such a leaf keeps its records too. Records with no common point are
// separated once nodes are finer than the gap between them, and a single receiving octant (records
// meeting at one point) grows one chain, not a fan, which maxDepth ends: both split.
bool OctTree::keepsInsteadOfSplitting(const CollisionObject& record) {
    const long long limit =
        static_cast<long long>(nodeBudget) +
        static_cast<long long>(nodesPerRecord) * static_cast<long long>(root->recordsFiled);
    if (root->treeNodes + 8LL > limit) {
        return true;
    }

    SbVec3f lo = octants[0].getMin();
    SbVec3f hi = octants[7].getMax();
    auto narrow = [&lo, &hi](const SbBox3f& box) {
        for (int axis = 0; axis < 3; ++axis) {
            lo[axis] = std::max(lo[axis], box.getMin()[axis]);
            hi[axis] = std::min(hi[axis], box.getMax()[axis]);
        }
    };
    narrow(*record.box);
    for (int i = 0; i < objectCount; ++i) {
        narrow(*objects[i].box);
    }
    for (int axis = 0; axis < 3; ++axis) {
        if (!(lo[axis] <= hi[axis])) {
            return false;
        }
    }

    unsigned receivingAll = overlappedOctants(*record.box);
    for (int i = 0; i < objectCount; ++i) {
        receivingAll &= overlappedOctants(*objects[i].box);
    }
    int receiving = 0;
    for (int k = 0; k < 8; ++k) {
        receiving += (receivingAll >> k) & 1;
    }
    if (receiving < 2) {
        return false;
    }
    for (int axis = 0; axis < 3; ++axis) {
        if (lo[axis] == hi[axis] && dividedSoonAt(axis, lo[axis], record)) {
            return false;
        }
    }
    return true;
}

// Where the records only meet on an axis, at c (some end there, others start
// there), a dividing plane that falls exactly on c separates them. Whether
// one does within the next few levels follows from the node's own planes: the
// nodes that still receive them all hold c strictly inside.
bool OctTree::dividedSoonAt(int axis, float c, const CollisionObject& record) {
    bool endsAtC = false;
    bool startsAtC = false;
    auto look = [&](const SbBox3f& box) {
        const float min = box.getMin()[axis];
        const float max = box.getMax()[axis];
        endsAtC = endsAtC || (max == c && min < max);
        startsAtC = startsAtC || min == c;
    };
    look(*record.box);
    for (int i = 0; i < objectCount; ++i) {
        look(*objects[i].box);
    }
    if (!endsAtC || !startsAtC) {
        return false;
    }
    float a = octants[0].getMin()[axis];
    float b = octants[7].getMax()[axis];
    for (int level = 0; level <= meetingLevels; ++level) {
        const float mid = (a + b) / 2.0f;
        if (mid == c) {
            return true;
        }
        if (mid == a || mid == b) {
            return false;
        }
        (mid < c ? a : b) = mid;
    }
    return false;
}

int OctTree::removeFromList(const SbBox3f* box) {
    int removed = 0;
    int i = 0;
    while (i < objectCount) {
        if (objects[i].box == box) {
            // The last record moves into slot i and is examined next.
            objects.removeFast(i);
            --objectCount;
            ++removed;
        } else {
            ++i;
        }
    }
    return removed;
}

int OctTree::removeCopies(const SbBox3f* box) {
    // Only leaves hold records; an inner node's list is always empty.
    if (!isInner()) {
        return objectCount > 0 ? removeFromList(box) : 0;
    }
    // A copy is filed only where its box overlaps, and a filed box never
    // changes. A record without a box is never filed.
    if (box == nullptr) {
        return 0;
    }
    int removed = 0;
    for (unsigned reached = overlappedOctants(*box); reached != 0; reached &= reached - 1) {
        removed += childBlock[lowestOctant(reached)].removeCopies(box);
    }
    return removed;
}

int OctTree::removeEverywhereBelow(const SbBox3f* box) {
    int removed = removeFromList(box);
    for (int k = 0; k < 8; ++k) {
        if (children[k] != nullptr) {
            removed += children[k]->removeEverywhereBelow(box);
        }
    }
    return removed;
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
    if (hints != nullptr) {
        bytes += sizeof(MoveHints) + hints->memoryBytes();
    }
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
