#include "tests/support/IndexContents.h"

#include <vector>

#include "spatialindex/CollisionIndex.h"

CollisionObject recordOf(SbBox3f* box) {
    return CollisionObject(0, 0, 0, box);
}

std::map<const SbBox3f*, int> held(const CollisionIndex& index) {
    std::vector<CollisionObject> records;
    index.collect(records);
    std::map<const SbBox3f*, int> counts;
    for (const CollisionObject& record : records) {
        ++counts[record.box];
    }
    return counts;
}
