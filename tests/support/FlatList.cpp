#include "tests/support/FlatList.h"

#include "octree/OctTree.h"

void FlatList::remove(const CollisionObject& record) {
    for (std::size_t i = 0; i < records.size();) {
        if (records[i].isSameObject(record)) {
            records[i] = records.back();
            records.pop_back();
        } else {
            ++i;
        }
    }
}

bool FlatList::insertAndCheck(const CollisionObject& record) {
    bool collided = false;
    for (const CollisionObject& other : records) {
        if (OctTree::boxesOverlap(*other.box, *record.box)) {
            collided = true;
            break;
        }
    }
    records.push_back(record);
    return collided;
}
