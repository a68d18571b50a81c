#include "spatialindex/OctTreeIndex.h"

#include <unordered_set>

#include "octree/OctTree.h"

namespace {

struct Collecting {
    std::vector<CollisionObject>& records;
    std::unordered_set<const SbBox3f*> seen;
};

void collectLeaf(void* data, const OctTree& leaf, const SbBox3f&) {
    Collecting& collecting = *static_cast<Collecting*>(data);
    for (int i = 0; i < leaf.objectCount; ++i) {
        const CollisionObject& record = leaf.objects[i];
        if (collecting.seen.insert(record.box).second) {
            collecting.records.push_back(record);
        }
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
    Collecting collecting{records, {}};
    tree.walkLeaves(collectLeaf, &collecting);
}
