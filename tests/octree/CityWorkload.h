#pragma once

// A city-like load for the octree: the static boxes a generated city files
// (street tiles, buildings, ground slab, camera) and flying craft that move as
// the physics step moves them. Shared by the octree tests and benchmark.

#include <Inventor/SbBox3f.h>
#include <Inventor/SbVec3f.h>

#include <random>
#include <vector>

#include "octree/CollisionObject.h"

SbBox3f cityRootBox();

// Street tiles and buildings of a 10 x 10 city laid out as the city builder
// does, then the ground slab and the camera's box.
std::vector<SbBox3f> cityStaticBoxes(unsigned seed);

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
            craft.boxes[other].setBounds(tried - halfExtent, tried + halfExtent);
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
    const SbVec3f halfExtent{0.5f, 0.125f, 0.5f};
};

// The baseline: every record in one list, a new record tested against all.
class FlatSpace {
public:
    void insert(const CollisionObject& record) { records.push_back(record); }
    void remove(const CollisionObject& record);
    bool insertAndCheck(const CollisionObject& record);

    std::vector<CollisionObject> records;
};
