#pragma once

#include <Inventor/SbBox3f.h>

#include "spatialindex/DbvtIndex.h"
#include "spatialindex/FlatIndex.h"
#include "spatialindex/OctTreeIndex.h"

class OctTree;

// The three indexes a run can decide its moves with, over the octree's region:
// the octree (active at first), Bullet's dynamic AABB tree and a flat list.
// One of them is active and holds every record; choosing another moves the
// records over.
class IndexSet {
public:
    static constexpr int count = 3;
    enum Number { OCTREE = 0, DBVT = 1, FLAT = 2 };

    // The tree is the caller's and must outlive the set.
    explicit IndexSet(OctTree& tree);

    CollisionIndex& active() { return at(chosen); }
    const CollisionIndex& active() const { return at(chosen); }
    int activeNumber() const { return chosen; }
    CollisionIndex& at(int number);
    const CollisionIndex& at(int number) const;

    // The region every index covers: the octree's.
    const SbBox3f& region() const { return bounds; }

    // The number of the index with that name ("octree", "dbvt", "flat"), or
    // -1; and the name of a number.
    static int find(const char* name);
    static const char* nameOf(int number);
    // Makes the numbered index active, moving every filed thing over: each
    // one once, as the active index holds it, none lost. Returns how many.
    // Visits every record.
    int choose(int number);
    // The next in the order octree, dbvt, flat, octree.
    int cycle() { return choose((chosen + 1) % count); }

private:
    OctTreeIndex octree;
    DbvtIndex dbvt;
    FlatIndex flat;
    const SbBox3f bounds;
    int chosen;
};
