#pragma once

// The ways of deciding a move that the scaling benchmark compares, each a
// collision index over the program's region through which the movers' moves
// are tried as the program tries them (tryMove): true when the move is
// refused; otherwise the mover is filed under the tried box.
//
// - OctreeSpace: the program's octree, a move decided by the tree before it
//   changes anything (OctTree::tryMove); for comparison also by the four calls
//   themselves (remove, insertAndCheck, and on a collision remove and insert),
//   with the pruned removal or the walk over every node (removeEverywhere);
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
    // How a move goes through the tree.
    enum Move {
        // The tree's own: the tried record is filed only if the move goes.
        TRIED,
        // The four calls, with the pruned remove.
        FOUR_CALLS,
        // The four calls, with removeEverywhere, the walk over every node.
        FOUR_CALLS_EVERY_NODE,
    };
    explicit OctreeSpace(Move move);

    void remove(const CollisionObject& record) override;

    using OctTreeIndex::tree;

protected:
    bool makeMove(const CollisionObject& filed, const CollisionObject& tried) override;

private:
    Move move;
};
