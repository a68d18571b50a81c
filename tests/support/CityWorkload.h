#pragma once

// The city load the octree tests and the benchmarks share: the boxes that one
// city of the real generator files, craft that move over it as the physics
// step moves them, and movers on a seeded random walk.

#include <Inventor/SbBox3f.h>
#include <Inventor/SbVec3f.h>

#include <random>
#include <vector>

#include "octree/CollisionObject.h"
#include "simulation/Motion.h"
#include "spatialindex/CollisionIndex.h"

// The region of the program's octree.
SbBox3f cityRootBox();

// The ground slab, every street tile and building box of the city the
// generator lays out from seed, and the camera's box at its start. The same
// seed gives the same boxes; they live to the end of the process.
const std::vector<SbBox3f*>& cityBoxes(unsigned seed);

struct Craft {
    SbVec3f position;
    SbVec3f velocity;
    SbVec3f orbitCentre;
    bool steering;
    // The filed box and the one a tried move uses; they swap after a free move.
    SbBox3f boxes[2];
    int current;

    CollisionObject record() { return CollisionObject(0, 0, 0, &boxes[current]); }
};

// Craft placed as the flying-object builder places them and moved as the
// physics step moves them, through any collision index, each move tried as
// the program tries it.
class CraftSwarm {
public:
    CraftSwarm(int count, unsigned seed);

    // Files every craft's starting box.
    void fileAll(CollisionIndex& index);

    // One physics step for every craft; returns how many moves collided.
    int step(CollisionIndex& index);

    std::vector<Craft> crafts;

private:
    SbVec3f accelerate(Craft& craft) const;
    void advancePhase();

    float orbitPhase = 0.001f;
};

struct Mover {
    SbVec3f position;
    SbVec3f velocity;
    // The filed box and the one the next try uses; they swap on a free move.
    SbBox3f boxes[2];
    int current;

    SbBox3f* filed() { return &boxes[current]; }
};

// Where movers start.
enum Release {
    // Where their boxes overlap nothing: neither the city nor each other, so
    // that a collision is always one of the tried box.
    RELEASE_SPREAD,
    // As the flying-object builder releases craft: x and z in [0, 25), y in
    // [-10, -7), wherever the draws fall, inside other movers or buildings,
    // with the craft's box at release.
    RELEASE_CROWDED,
};

// Movers of the craft's size wandering over the city, moved through any
// collision index as the program moves its craft.
class Movers {
public:
    Movers(int count, unsigned seed, const std::vector<SbBox3f*>& city,
           Release release = RELEASE_SPREAD);

    // Files the city and every mover, and tells the index so.
    void fileAll(CollisionIndex& index, const std::vector<SbBox3f*>& city);

    // One step: every mover tried at its next position, accepted or refused.
    // Appends each move's outcome (true: collided) and returns the collisions.
    int step(CollisionIndex& index, std::vector<bool>& outcomes);

    std::vector<Mover> movers;

private:
    SbVec3f nextPosition(Mover& mover);

    std::mt19937 engine;
};
