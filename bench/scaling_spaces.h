#pragma once

// The ways of deciding a move that the scaling benchmark compares, each a
// collision index over the program's region through which the movers' moves
// are tried as the program tries them (tryMove): true when the tried box
// overlaps another filed box under the half-open rule; on false the mover is
// filed under the tried box.
//
// - OctreeSpace: the program's octree; for comparison also with removal by
//   the walk over every node (removeEverywhere) instead of the pruned one;
// - FlatIndex: every filed box in one list, the tried box tested against all;
// - DbvtIndex: Bullet's dynamic AABB tree broadphase, its candidates filtered
//   through the half-open test, the tree tidied once a step (stepDone).

#include "octree/OctTree.h"
#include "spatialindex/OctTreeIndex.h"

namespace scaling {

// The tree an OctreeSpace owns, made before the index that refers to it.
struct OwnTree {
    OwnTree();
    OctTree tree;
};

}  // namespace scaling

class OctreeSpace : private scaling::OwnTree, public OctTreeIndex {
public:
    // How the mover's records are taken out.
    enum class Removal {
        // remove, descending only where the box overlaps.
        pruned,
        // removeEverywhere, the walk over every node, for comparison.
        everyNode,
    };
    explicit OctreeSpace(Removal removal);

    void remove(const CollisionObject& record) override;
    bool moveAndCheck(const CollisionObject& from, const CollisionObject& to) override;

    using OctTreeIndex::tree;

private:
    Removal removal;
};
