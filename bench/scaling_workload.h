#pragma once

// The scaling benchmark's workload: the boxes of one city from the real
// generator with a fixed seed, and movers of the craft's size on a seeded
// random walk above it. Every space is driven through the same steps.

#include <Inventor/SbBox3f.h>

#include <random>
#include <vector>

// The region of the program's octree.
SbBox3f scalingRootBox();

// The ground slab, every street tile and every building box of the city laid
// out from the given seed. The boxes live to the end of the process.
std::vector<const SbBox3f*> scalingCityBoxes(unsigned seed);

struct Mover {
    SbVec3f position;
    SbVec3f velocity;
    // The filed box and the one the next try uses; they swap on a free move.
    SbBox3f boxes[2];
    int current;

    SbBox3f* filed() { return &boxes[current]; }
};

class Movers {
public:
    // Places count movers where their boxes overlap nothing: neither the
    // city nor each other, so that a collision is always one of the tried box.
    Movers(int count, unsigned seed, const std::vector<const SbBox3f*>& city);

    // Files the city and every mover in the space.
    template <class Space>
    void fileAll(Space& space, const std::vector<const SbBox3f*>& city) {
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
            tried->setBounds(next - halfExtent, next + halfExtent);
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

    // The craft's box after a move: 1 x 0.25 x 1.
    static const SbVec3f halfExtent;

private:
    SbVec3f nextPosition(Mover& mover);

    std::mt19937 engine;
};
