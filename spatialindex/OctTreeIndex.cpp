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

// The tree's own one-descent move where it has one (the same tree and answer
// as the two calls), otherwise the removal and then the colliding insertion.
template <class Tree>
auto moveInTree(Tree& tree, const CollisionObject& from, const CollisionObject& to, int)
    -> decltype(tree.moveAndCheck(from, to)) {
    return tree.moveAndCheck(from, to);
}

template <class Tree>
bool moveInTree(Tree& tree, const CollisionObject& from, const CollisionObject& to, long) {
    tree.remove(from);
    return tree.insertAndCheck(to);
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

bool OctTreeIndex::moveAndCheck(const CollisionObject& from, const CollisionObject& to) {
    return moveInTree(tree, from, to, 0);
}

void OctTreeIndex::collect(std::vector<CollisionObject>& records) const {
    Collecting collecting{records, {}};
    tree.walkLeaves(collectLeaf, &collecting);
}
