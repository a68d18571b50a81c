#include "spatialindex/CollisionIndex.h"

bool CollisionIndex::moveAndCheck(const CollisionObject& from, const CollisionObject& to) {
    remove(from);
    return insertAndCheck(to);
}

void CollisionIndex::moveBack(const CollisionObject& from, const CollisionObject& to) {
    remove(from);
    insert(to);
}

bool CollisionIndex::makeMove(const CollisionObject& filed, const CollisionObject& tried) {
    if (!moveAndCheck(filed, tried)) {
        return false;
    }
    moveBack(tried, filed);
    return true;
}

IndexNumbers CollisionIndex::walkBoxes(IndexBoxVisitor, void*) const {
    return IndexNumbers();
}

std::string CollisionIndex::describe(const IndexNumbers&) const {
    return std::string();
}

void CollisionIndex::removeAll(const std::vector<CollisionObject>& collected) {
    for (const CollisionObject& record : collected) {
        remove(record);
    }
}
