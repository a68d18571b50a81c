// Stands in for the octree: records what is filed instead of filing it.
#include "RecordingOctTree.h"

#include "octree/OctTree.h"

std::vector<CollisionObject> filedRecords;

void forgetFiledRecords() {
    for (const CollisionObject& record : filedRecords) {
        delete record.box;
    }
    filedRecords.clear();
}

OctTree::OctTree(SbBox3f) : objectCount(0), depth(0), parent(nullptr), children{} {}

void OctTree::insert(CollisionObject record) {
    filedRecords.push_back(record);
}
