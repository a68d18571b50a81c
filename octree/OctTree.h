#pragma once

#include <Inventor/SbBox3f.h>
#include <Inventor/lists/SbList.h>

#include <cstddef>
#include <string>

#include "octree/CollisionObject.h"

class MoveHints;

// One node of the octree; the root is built over the whole region.
class alignas(64) OctTree {
public:
    explicit OctTree(SbBox3f box);
    OctTree(OctTree* parent, SbBox3f box);
    // Nodes live as long as their root; the program's root lives to the end.
    ~OctTree();
    OctTree(const OctTree&) = delete;
    OctTree& operator=(const OctTree&) = delete;

    // Half-open per axis: boxes that only touch do not overlap.
    static bool boxesOverlap(const SbBox3f& first, const SbBox3f& second) {
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

    // A record without a box is refused: nothing is filed (insertAndCheck
    // answers false), as nothing could ever decide where it lies. Costs a
    // descent of O(depth) for each leaf the box reaches, and a split where a
    // full leaf takes a fifth record.
    void insert(CollisionObject record);
    // Deletes every copy of the record (same box pointer) from this subtree,
    // descending only into octants the record's box overlaps: O(depth) for
    // each leaf the box reaches, and a search of each such leaf's list.
    void remove(CollisionObject record);
    // The same deletion visiting every node, whatever the box; the reference
    // the pruned walk is measured and checked against. O(nodes): for testing.
    void removeEverywhere(CollisionObject record);
    // Files the record like insert and reports whether any leaf it reached now
    // holds two overlapping records: insert's cost, and a test of every pair
    // in each leaf reached.
    bool insertAndCheck(CollisionObject record);
    OctTree* findCollidingNode(OctTree* node);
    // A move that stays put when it collides: remove(from), then
    // insertAndCheck(to), and on a collision remove(to) and insert(from),
    // with the same answer, the same records in the same order in every leaf
    // and the same lines printed. It decides before it changes anything, so a
    // refused move never files the tried record (OctTreeMove.cpp); a list may
    // then keep less spare room than the four calls would leave it. One walk
    // down the octants either box reaches, then work in the leaves it found.
    // Called on the root, a craft's move (both records with the same owner)
    // starts at the deepest node that held the craft's box inside after its
    // last move, where both boxes still lie inside it: the walk from the root
    // would go straight down to it.
    bool tryMove(CollisionObject from, CollisionObject to);

    // Nodes in this node's subtree, this node included. Visits every node.
    int nodeCount() const;
    // Bytes held by this subtree's nodes and their record lists, and by the
    // root's move hints. Visits every node.
    std::size_t memoryBytes() const;

    // A read-only walk: calls visit for every leaf of this subtree (a node
    // without children) with the leaf's region, and returns how many nodes
    // the subtree has. Visits every node: for showing and testing.
    using LeafVisitor = void (*)(void* data, const OctTree& leaf, const SbBox3f& region);
    int walkLeaves(LeafVisitor visit, void* data) const;
    // Calls visit for every leaf a filing of the box would reach, in the
    // order the filing reaches them: O(depth) for each. For explaining a
    // move, never on its own path.
    void walkReached(const SbBox3f& box, LeafVisitor visit, void* data) const;

    // The tree's invariants as code, checked over the whole tree this node
    // belongs to: every node's fields and private copies, each child against
    // its parent, records only in leaves their box overlaps and in every such
    // leaf, leaves over capacity only where no split could part their records,
    // and the root's counters. Gives an empty string when all hold, or the
    // first broken one and the node where it breaks ("... at root/052": the
    // octants taken from the root). Visits every node: for testing.
    std::string brokenInvariant() const;
    // Writes the first broken invariant to standard error and aborts. Builds
    // with BRENNOC_OCTREE_VALIDATE check after every insert, insertAndCheck,
    // remove and move (see OctTreeValidate.cpp).
    void validate() const;

    int objectCount;
    int depth;
    int nodeCapacity;
    int maxDepth;

private:
    // What a descent reads, in the node's first cache line beside the fields
    // above: the node's region and its dividing planes (copies of octants[0]'s
    // minimum and maximum and of octants[7]'s maximum), and the block of its
    // children (children[k] is childBlock + k; null in a leaf that never split).
    float regionMin[3];
    float centre[3];
    float regionMax[3];
    // Read as the fourth lane of regionMax and never used; kept at 0.
    float unusedLane;
    OctTree* childBlock;

public:
    SbList<CollisionObject> objects;
    OctTree* parent;
    OctTree* children[8];
    SbBox3f octants[8];

    // Bounds on growth; the root sets them, children copy them. A full leaf
    // keeps its records instead of splitting only when their closed boxes and
    // the new one's share a point of the leaf and two or more of its octants
    // would each receive all of them: the tree would fan out level after
    // level around that point. As a last guard against runaway growth, a leaf
    // also keeps its records when the split would take the tree past
    // nodeBudget + nodesPerRecord * recordsFiled nodes.
    int nodeBudget;
    int nodesPerRecord;
    OctTree* root;
    // Kept up to date at the root only: nodes created so far, and records
    // filed (a filing that reaches the tree's region counts one, a remove
    // that takes copies away takes one off).
    int treeNodes;
    int recordsFiled;

private:
    // The root's hints for its movers' next moves (tryMove), made at the
    // first; null in every other node.
    MoveHints* hints;

public:
    static constexpr std::size_t nodeAlignment = 64;
    static constexpr int defaultNodeBudget = 100000;
    static constexpr int defaultNodesPerRecord = 32;

private:
    struct Validation;
    class ChangeCheck;
    friend struct OctTreeTestAccess;

    static bool intervalsOverlap(float pMin, float pMax, float dMin, float dMax) {
        return (dMin >= pMin && dMin < pMax) || (pMin >= dMin && pMin < dMax);
    }

    // Only a leaf holds records, so a count above 0 answers without reading
    // the children; all eight are set at once.
    bool isInner() const { return objectCount == 0 && childBlock != nullptr; }
    void copyRegion();
    // Bit k set when boxesOverlap(octants[k], box) holds.
    unsigned overlappedOctants(const SbBox3f& box) const;
    // The lowest octant in a non-empty mask: walking a mask this way visits
    // the reached octants in ascending order, as a loop over all eight would.
    static int lowestOctant(unsigned mask) {
#if defined(__GNUC__)
        return __builtin_ctz(mask);
#else
        int k = 0;
        while (((mask >> k) & 1) == 0) {
            ++k;
        }
        return k;
#endif
    }
    bool reachesRegion(const SbBox3f& box) const;
    // Whether the box lies inside this node's region, so that no descent
    // from the root reaches any other node beside this one's ancestors: on
    // each axis it starts in the region and ends at its maximum or before.
    bool holdsInside(const SbBox3f& box) const;
    // Filing, one step each: file takes one of the four after it (pass the
    // record on to the children, keep it in this leaf, refuse it at maxDepth
    // with the overflow line, or split the leaf and hand everything down).
    bool file(const CollisionObject& record, bool check);
    bool handDown(const CollisionObject& record, bool check);
    bool keep(const CollisionObject& record, bool check);
    static void refuseAtMaxDepth();
    bool splitAndHandDown(const CollisionObject& record, bool check);
    bool leafCollides(const SbBox3f* gone = nullptr);
    // A move, decided before anything changes (tryMove).
    struct Trial;
    void walkMove(Trial& trial, bool goneReaches, bool triedReaches);
    void fetchAhead(const MoveHints& hints);
    void tryFiling(Trial& trial);
    bool moveByFourCalls(const CollisionObject& from, const CollisionObject& to);
    bool moveByWalks(const CollisionObject& from, const CollisionObject& to, int reachesTo);
    void appendBelow(const CollisionObject& record);
    bool refile(const CollisionObject& record);
    void refileBelow(const CollisionObject& record);
    int removeCopies(const SbBox3f* box);
    int removeEverywhereBelow(const SbBox3f* box);
    int removeFromList(const SbBox3f* box);
    bool keepsInsteadOfSplitting(const CollisionObject& record);
    bool dividedSoonAt(int axis, float c, const CollisionObject& record);

    // Levels below a crowded leaf within which a plane falling on a face where
    // its records only meet still lets it split.
    static constexpr int meetingLevels = 4;
    void split();
};
