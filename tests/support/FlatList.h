#pragma once

#include <vector>

#include "octree/CollisionObject.h"

// The baseline the octree is measured and checked against: every record in one
// list, a new record tested against all of them. Same operations as the tree.
class FlatList {
public:
    void insert(const CollisionObject& record) { records.push_back(record); }
    // Deletes every record with the same box.
    void remove(const CollisionObject& record);
    // Files the record and reports whether its box overlaps any other's.
    bool insertAndCheck(const CollisionObject& record);

    std::vector<CollisionObject> records;
};
