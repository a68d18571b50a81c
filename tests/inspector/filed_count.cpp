// Prints how many things the world of a seed and a craft count files: the
// ground, the city's streets and buildings, the camera and the craft. The
// end-to-end test of the inspector compares the flat list's tests with it.
// Run in the data folder.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "octree/CollisionObject.h"
#include "spatialindex/IndexSet.h"
#include "tests/support/SimulationWorld.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: filed_count SEED CRAFT\n");
        return 2;
    }
    SeededWorld world(std::atoi(argv[1]), std::atoi(argv[2]), IndexSet::FLAT);
    std::vector<CollisionObject> records;
    world.indexes->active().collect(records);
    std::printf("%zu\n", records.size());
    return 0;
}
