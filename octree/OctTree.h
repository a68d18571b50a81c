#pragma once

#include <Inventor/SbBox3f.h>
#include <Inventor/lists/SbList.h>

#include "octree/CollisionObject.h"

// One node of the octree; the root is built over the whole region.
class OctTree {
public:
    explicit OctTree(SbBox3f box);
    OctTree(OctTree* parent, SbBox3f box);

    // Half-open per axis: boxes that only touch do not overlap.
    static bool boxesOverlap(const SbBox3f& first, const SbBox3f& second);

    void insert(CollisionObject record);
    void remove(CollisionObject record);
    // Files the record like insert and reports whether any leaf it reached now
    // holds two overlapping records.
    bool insertAndCheck(CollisionObject record);
    OctTree* findCollidingNode(OctTree* node);

    int objectCount;
    int depth;
    int nodeCapacity;
    int maxDepth;
    SbList<CollisionObject> objects;
    OctTree* parent;
    OctTree* children[8];
    SbBox3f octants[8];
};
