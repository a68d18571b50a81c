#include "spatialindex/IndexSet.h"

#include <cstring>
#include <vector>

#include "octree/OctTree.h"

namespace {

const char* const names[IndexSet::count] = {"octree", "dbvt", "flat"};

SbBox3f regionOf(const OctTree& tree) {
    // A node keeps no box of its own; its octants span it.
    return SbBox3f(tree.octants[0].getMin(), tree.octants[7].getMax());
}

}  // namespace

IndexSet::IndexSet(OctTree& tree)
    : octree(tree),
      dbvt(regionOf(tree)),
      flat(regionOf(tree)),
      bounds(regionOf(tree)),
      chosen(OCTREE) {}

CollisionIndex& IndexSet::at(int number) {
    CollisionIndex* const indexes[count] = {&octree, &dbvt, &flat};
    return *indexes[number];
}

const CollisionIndex& IndexSet::at(int number) const {
    return const_cast<IndexSet*>(this)->at(number);
}

const char* IndexSet::nameOf(int number) {
    return names[number];
}

int IndexSet::find(const char* name) {
    for (int number = 0; number < count; ++number) {
        if (std::strcmp(name, names[number]) == 0) {
            return number;
        }
    }
    return -1;
}

int IndexSet::choose(int number) {
    if (number == chosen) {
        return 0;
    }
    CollisionIndex& from = active();
    CollisionIndex& to = at(number);
    std::vector<CollisionObject> records;
    from.collect(records);
    from.removeAll(records);
    for (const CollisionObject& record : records) {
        to.insert(record);
    }
    // No rebuild after the move (filedAll): at 10,000 craft the dynamic
    // tree's full rebuild cost several steps, and its upkeep after each step
    // refines the tree anyway.
    chosen = number;
    return static_cast<int>(records.size());
}
