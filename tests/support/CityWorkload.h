#pragma once

// The city load the octree tests and the benchmarks share: the boxes that one
// city of the real generator files, craft released and moved over it by the
// program's own release and motion, and movers on a seeded random walk.

#include <Inventor/SbBox3f.h>
#include <Inventor/SbVec3f.h>

#include <random>
#include <vector>

#include "city/FlyingObject.h"
#include "octree/CollisionObject.h"
#include "simulation/Motion.h"
#include "spatialindex/CollisionIndex.h"
#include "world/WorldConstants.h"

// The ground slab, every street tile and building box of the city the
// generator lays out from seed, and the camera's box at its start. The same
// seed gives the same boxes; they live to the end of the process.
const std::vector<SbBox3f*>& cityBoxes(unsigned seed);

// Craft as the program releases count of them (city/CraftRelease.h: the ten
// craft's block up to ten, one cell each above), kind 2, without scene nodes,
// from 15-bit draws of seed taken as the program takes its own: six a craft.
std::vector<FlyingObject> releasedCraft(int count, unsigned seed);

// Where the program's motion (simulation/Motion.h) takes the craft in one
// step at 50 steps a second, and the craft's state once the move is decided:
// what the program's step does for each craft, its index call left out.
SbVec3f flownPosition(FlyingObject& craft);
void settle(FlyingObject& craft, const SbVec3f& tried, bool refused);

struct Craft {
    explicit Craft(const FlyingObject& object);

    FlyingObject object;
    // The filed box and the one a tried move uses; they swap after a free move.
    SbBox3f boxes[2];
    int current;

    CollisionObject record() { return CollisionObject(0, 0, 0, &boxes[current]); }
};

// Craft released and flown by the program's own code, through any collision
// index, each move tried as the program tries it. Starts the orbit phase
// again, which every craft shares.
class CraftSwarm {
public:
    CraftSwarm(int count, unsigned seed);

    // Files every craft's starting box.
    void fileAll(CollisionIndex& index);

    // One physics step for every craft; returns how many moves collided.
    int step(CollisionIndex& index);

    std::vector<Craft> crafts;
};

struct Mover {
    SbVec3f position;
    SbVec3f velocity;
    // The filed box and the one the next try uses; they swap on a free move.
    SbBox3f boxes[2];
    int current;
    // The program's craft this mover flies as, in RELEASE_SWARM.
    FlyingObject* craft;

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
    // As the program releases and flies that many craft (releasedCraft,
    // flownPosition): more than ten start apart, each in a cell of its own.
    RELEASE_SWARM,
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
    std::vector<FlyingObject> crafts;
};
