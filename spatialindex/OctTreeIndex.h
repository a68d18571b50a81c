#pragma once

#include "spatialindex/CollisionIndex.h"

class OctTree;

// The octree as a collision index: every call goes to the tree as it is, so
// that filing through the index builds the very tree the direct calls build.
// The tree is the caller's and must outlive the index.
class OctTreeIndex : public CollisionIndex {
public:
    explicit OctTreeIndex(OctTree& tree) : tree(tree) {}

    const char* name() const override { return "octree"; }
    void insert(const CollisionObject& record) override;
    void remove(const CollisionObject& record) override;
    bool insertAndCheck(const CollisionObject& record) override;
    // In the order of a walk over the leaves, each thing where first met.
    void collect(std::vector<CollisionObject>& records) const override;
    // Every leaf that holds records, as a cell, in the order of a walk over
    // the leaves.
    IndexNumbers walkBoxes(IndexBoxVisitor visit, void* data) const override;
    void explainMove(const CollisionObject& filed, const CollisionObject& tried,
                     MoveExplanation& explanation, bool withBoxes) const override;
    std::string describe(const IndexNumbers& numbers) const override;

protected:
    // The tree's own move, decided before the tree changes (OctTree::tryMove).
    bool makeMove(const CollisionObject& filed, const CollisionObject& tried) override;

    OctTree& tree;
};
