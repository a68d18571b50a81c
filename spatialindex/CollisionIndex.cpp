#include "spatialindex/CollisionIndex.h"

bool CollisionIndex::moveAndCheck(const CollisionObject& from, const CollisionObject& to) {
    remove(from);
    return insertAndCheck(to);
}

void CollisionIndex::moveBack(const CollisionObject& from, const CollisionObject& to) {
    remove(from);
    insert(to);
}
