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
// physics step moves them, through any space with the octree's insert,
// remove and insertAndCheck.
class CraftSwarm {
public:
    CraftSwarm(int count, unsigned seed);

    // Files every craft's starting box.
    template <class Space>
    void fileAll(Space& space) {
        for (Craft& craft : crafts) {
            space.insert(craft.record());
        }
    }

    // One physics step for every craft; returns how many moves collided.
    template <class Space>
    int step(Space& space) {
        int collisions = 0;
        for (Craft& craft : crafts) {
            const SbVec3f tried = accelerate(craft);
            const CollisionObject old = craft.record();
            space.remove(old);
            const int other = 1 - craft.current;
            craft.boxes[other].setBounds(tried - craftHalfExtent, tried + craftHalfExtent);
            const CollisionObject candidate(0, 0, 0, &craft.boxes[other]);
            if (!space.insertAndCheck(candidate)) {
                craft.position = tried;
                craft.current = other;
            } else {
                space.remove(candidate);
                space.insert(old);
                craft.velocity.setValue(0, 0, 0);
                craft.steering = false;
                ++collisions;
            }
            advancePhase();
        }
        return collisions;
    }

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
enum class Release {
    // Where their boxes overlap nothing: neither the city nor each other, so
    // that a collision is always one of the tried box.
    spread,
    // As the flying-object builder releases craft: x and z in [0, 25), y in
    // [-10, -7), wherever the draws fall, inside other movers or buildings,
    // with the craft's box at release.
    crowded,
};

// Movers of the craft's size wandering over the city, for spaces that file
// static boxes and movers and decide a move from a filed box to a tried one.
class Movers {
public:
    Movers(int count, unsigned seed, const std::vector<SbBox3f*>& city,
           Release release = Release::spread);

    // Files the city and every mover in the space.
    template <class Space>
    void fileAll(Space& space, const std::vector<SbBox3f*>& city) {
        for (const SbBox3f* box : city) {
            space.addStatic(box);
        }
        for (std::size_t i = 0; i < movers.size(); ++i) {
            space.addMover(static_cast<int>(i), movers[i].filed());
        }
    }

    // One step: every mover tried at its next position, accepted or refused.
    // Appends each move's outcome (true: collided) and returns the collisions.
    template <class Space>
    int step(Space& space, std::vector<bool>& outcomes) {
        int collisions = 0;
        for (std::size_t i = 0; i < movers.size(); ++i) {
            Mover& mover = movers[i];
            const SbVec3f next = nextPosition(mover);
            SbBox3f* tried = &mover.boxes[1 - mover.current];
            tried->setBounds(next - craftHalfExtent, next + craftHalfExtent);
            const bool collided = space.tryMove(static_cast<int>(i), mover.filed(), tried);
            if (collided) {
                mover.velocity.setValue(0, 0, 0);
                ++collisions;
            } else {
                mover.position = next;
                mover.current = 1 - mover.current;
            }
            outcomes.push_back(collided);
        }
        space.endStep();
        return collisions;
    }

    std::vector<Mover> movers;

private:
    SbVec3f nextPosition(Mover& mover);

    std::mt19937 engine;
};
