#include "bench/scaling_spaces.h"

#include "tests/support/CityWorkload.h"

scaling::OwnTree::OwnTree() : tree(worldRegion()) {}

OctreeSpace::OctreeSpace(Move move) : OctTreeIndex(OwnTree::tree), move(move) {}

void OctreeSpace::remove(const CollisionObject& record) {
    if (move == FOUR_CALLS_EVERY_NODE) {
        tree.removeEverywhere(record);
    } else {
        tree.remove(record);
    }
}

bool OctreeSpace::makeMove(const CollisionObject& filed, const CollisionObject& tried) {
    if (move == TRIED) {
        return OctTreeIndex::makeMove(filed, tried);
    }
    // moveAndCheck and moveBack as any index makes them, through remove above.
    return CollisionIndex::makeMove(filed, tried);
}
