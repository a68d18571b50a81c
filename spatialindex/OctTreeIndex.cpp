#include "spatialindex/OctTreeIndex.h"

#include <cstdio>

#include "octree/OctTree.h"

namespace {

void collectLeaf(void* data, const OctTree& leaf, const SbBox3f&) {
    RecordsOncePerBox& collected = *static_cast<RecordsOncePerBox*>(data);
    for (int i = 0; i < leaf.objectCount; ++i) {
        collected.offer(leaf.objects[i]);
    }
}

struct CellWalk {
    IndexBoxVisitor visit;
    void* data;
    IndexNumbers numbers;
};

void showLeaf(void* data, const OctTree& leaf, const SbBox3f& region) {
    CellWalk& walk = *static_cast<CellWalk*>(data);
    if (leaf.depth > walk.numbers.depth) {
        walk.numbers.depth = leaf.depth;
    }
    if (leaf.objectCount > 0) {
        walk.numbers.records += leaf.objectCount;
        ++walk.numbers.leaves;
        walk.visit(walk.data, region, INDEX_CELL, leaf.objectCount);
    }
}

}  // namespace

void OctTreeIndex::insert(const CollisionObject& record) {
    tree.insert(record);
}

void OctTreeIndex::remove(const CollisionObject& record) {
    tree.remove(record);
}

bool OctTreeIndex::insertAndCheck(const CollisionObject& record) {
    return tree.insertAndCheck(record);
}

bool OctTreeIndex::makeMove(const CollisionObject& filed, const CollisionObject& tried) {
    return tree.tryMove(filed, tried);
}

void OctTreeIndex::collect(std::vector<CollisionObject>& records) const {
    RecordsOncePerBox collected(records);
    tree.walkLeaves(collectLeaf, &collected);
}

IndexNumbers OctTreeIndex::walkBoxes(IndexBoxVisitor visit, void* data) const {
    CellWalk walk{visit, data, IndexNumbers()};
    walk.numbers.nodes = tree.walkLeaves(showLeaf, &walk);
    return walk.numbers;
}

std::string OctTreeIndex::describe(const IndexNumbers& numbers) const {
    char text[96];
    std::snprintf(text, sizeof text, "nodes %d  records %d  depth %d  leaves %d", numbers.nodes,
                  numbers.records, numbers.depth, numbers.leaves);
    return text;
}

void OctTreeIndex::explainMove(const CollisionObject&, const CollisionObject&, MoveExplanation&,
                               bool) const {}
