#include "spatialindex/OctTreeIndex.h"

#include "octree/OctTree.h"

namespace {

void collectLeaf(void* data, const OctTree& leaf, const SbBox3f&) {
    RecordsOncePerBox& collected = *static_cast<RecordsOncePerBox*>(data);
    for (int i = 0; i < leaf.objectCount; ++i) {
        collected.offer(leaf.objects[i]);
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

bool OctTreeIndex::tryMove(const CollisionObject& filed, const CollisionObject& tried) {
    return tree.tryMove(filed, tried);
}

void OctTreeIndex::collect(std::vector<CollisionObject>& records) const {
    RecordsOncePerBox collected(records);
    tree.walkLeaves(collectLeaf, &collected);
}
