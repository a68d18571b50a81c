#include "bench/scaling_spaces.h"

#include "tests/support/CityWorkload.h"

scaling::OwnTree::OwnTree() : tree(cityRootBox()) {}

OctreeSpace::OctreeSpace(Removal removal) : OctTreeIndex(OwnTree::tree), removal(removal) {}

void OctreeSpace::remove(const CollisionObject& record) {
    if (removal == Removal::everyNode) {
        tree.removeEverywhere(record);
    } else {
        tree.remove(record);
    }
}

bool OctreeSpace::moveAndCheck(const CollisionObject& from, const CollisionObject& to) {
    if (removal == Removal::everyNode) {
        return CollisionIndex::moveAndCheck(from, to);
    }
    return OctTreeIndex::moveAndCheck(from, to);
}
