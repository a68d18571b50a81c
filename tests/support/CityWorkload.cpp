#include "tests/support/CityWorkload.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

#include "city/CityBuilder.h"
#include "city/CraftRelease.h"
#include "octree/OctTree.h"
#include "simulation/Motion.h"
#include "simulation/SimulationState.h"
#include "spatialindex/MoveProtocol.h"
#include "spatialindex/OctTreeIndex.h"
#include "tests/support/SimulationWorld.h"
#include "tests/support/TreeBoxes.h"
#include "world/WorldConstants.h"

namespace {

// Movers wander over the city and a margin around it, from just above the
// ground to above the tallest buildings (the y axis points down).
const SbVec3f wanderMin(-5.0f, -5.0f, -5.0f);
const SbVec3f wanderMax(15.0f, -0.2f, 15.0f);
const float damping = 0.98f;
const float kick = 0.003f;
const float pullBack = 0.002f;

// Draws of 0 ... 32767, as the program's rand gives them.
class Draws {
public:
    explicit Draws(unsigned seed) : engine(seed) {}
    int next() { return std::uniform_int_distribution<int>(0, 32767)(engine); }

private:
    std::mt19937 engine;
};

// Where the flying-object builder releases one of ten craft, from three draws:
// z, y and x, in that order.
SbVec3f tenCraftRelease(Draws& draws) {
    const int r1 = draws.next();
    const int r2 = draws.next();
    const int r3 = draws.next();
    return tenCraftPosition(r1, r2, r3);
}

const int craftKind = 2;
// At 50 steps a second a step integrates over one frame factor.
const float frameFactor = 1.0f;

// Lays out the city of seed with the real generator and keeps only its boxes.
std::vector<SbBox3f*> generateBoxes(unsigned seed) {
    CityBuilder builder;
    builder.seed = static_cast<int>(seed);
    OctTree tree(worldRegion());
    OctTreeIndex filing(tree);
    builder.generateCity(filing);

    std::vector<SbBox3f*> boxes;
    boxes.push_back(new SbBox3f(groundSlab()));
    for (SbBox3f* box : boxesInTree(tree)) {
        boxes.push_back(box);
    }
    boxes.push_back(new SbBox3f(cameraStartBox()));

    releaseCity(builder);
    return boxes;
}

bool overlapsAny(const SbBox3f& box, const std::vector<SbBox3f*>& city,
                 const std::vector<Mover>& placed) {
    for (const SbBox3f* other : city) {
        if (OctTree::boxesOverlap(box, *other)) {
            return true;
        }
    }
    for (const Mover& mover : placed) {
        if (OctTree::boxesOverlap(box, mover.boxes[mover.current])) {
            return true;
        }
    }
    return false;
}

// A static thing's record around the box; the indexes never write through it.
CollisionObject recordOf(SbBox3f* box) {
    const SbVec3f centre = box->getCenter();
    return CollisionObject(centre[0], centre[1], centre[2], box);
}

// A mover's record: a swarm mover's names its craft as the program's do.
CollisionObject recordOf(SbBox3f* box, FlyingObject* craft) {
    if (craft == nullptr) {
        return recordOf(box);
    }
    const SbVec3f centre = box->getCenter();
    float dx, dy, dz;
    box->getSize(dx, dy, dz);
    return CollisionObject(dx, dy, dz, centre[0], centre[1], centre[2], box, craft);
}

}  // namespace

const std::vector<SbBox3f*>& cityBoxes(unsigned seed) {
    // Never freed, so that the boxes stay reachable to the end of the process.
    static auto* cities = new std::map<unsigned, std::vector<SbBox3f*>>;
    auto found = cities->find(seed);
    if (found == cities->end()) {
        found = cities->emplace(seed, generateBoxes(seed)).first;
    }
    return found->second;
}

std::vector<FlyingObject> releasedCraft(int count, unsigned seed) {
    Draws draws(seed);
    const CraftRelease release(count);
    std::vector<FlyingObject> crafts;
    crafts.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int n = 0; n < count; ++n) {
        const int r1 = draws.next();
        const int r2 = draws.next();
        const int r3 = draws.next();
        const SbVec3f at = count > separateCraftLimit ? release.position(n, r1, r2, r3)
                                                      : tenCraftPosition(r1, r2, r3);
        // The colour's three draws.
        for (int colour = 0; colour < 3; ++colour) {
            draws.next();
        }
        crafts.emplace_back(at[0], at[1], at[2], 0, 0, SbVec3f(0, 0, 0), craftKind, nullptr);
    }
    return crafts;
}

SbVec3f flownPosition(FlyingObject& craft) {
    accelerateFlyingObject(craft, frameFactor);
    const float* at = craft.currentPosition;
    return SbVec3f(at[0], at[1], at[2]) + craft.velocity;
}

// As moveFlyingObject leaves the craft, and the orbit phase advanced.
void settle(FlyingObject& craft, const SbVec3f& tried, bool refused) {
    if (!refused) {
        tried.getValue(craft.currentPosition[0], craft.currentPosition[1],
                       craft.currentPosition[2]);
    } else {
        craft.velocity.setValue(0, 0, 0);
        craft.steering = false;
    }
    advanceOrbitPhase();
}

Craft::Craft(const FlyingObject& object) : object(object), current(0) {
    const float* at = object.currentPosition;
    boxes[0] = releaseBox(craftKind, SbVec3f(at[0], at[1], at[2]));
}

CraftSwarm::CraftSwarm(int count, unsigned seed) {
    orbitPhase = orbitPhaseStart;
    for (const FlyingObject& object : releasedCraft(count, seed)) {
        crafts.emplace_back(object);
    }
}

void CraftSwarm::fileAll(CollisionIndex& index) {
    for (Craft& craft : crafts) {
        index.insert(craft.record());
    }
}

int CraftSwarm::step(CollisionIndex& index) {
    int collisions = 0;
    for (Craft& craft : crafts) {
        const SbVec3f tried = flownPosition(craft.object);
        const int other = 1 - craft.current;
        craft.boxes[other].setBounds(tried - craftHalfExtent, tried + craftHalfExtent);
        const CollisionObject candidate(0, 0, 0, &craft.boxes[other]);
        const bool refused = index.tryMove(craft.record(), candidate);
        settle(craft.object, tried, refused);
        if (!refused) {
            craft.current = other;
        }
        collisions += refused;
    }
    index.stepDone();
    return collisions;
}

Movers::Movers(int count, unsigned seed, const std::vector<SbBox3f*>& city, Release release)
    : engine(seed) {
    movers.reserve(count);
    if (release == RELEASE_SWARM) {
        orbitPhase = orbitPhaseStart;
        crafts = releasedCraft(count, seed);
        for (FlyingObject& craft : crafts) {
            Mover mover;
            const float* at = craft.currentPosition;
            mover.position.setValue(at[0], at[1], at[2]);
            mover.velocity.setValue(0, 0, 0);
            mover.current = 0;
            mover.boxes[0] = releaseBox(craftKind, mover.position);
            mover.craft = &craft;
            movers.push_back(mover);
        }
        return;
    }
    Draws draws(seed);
    while (static_cast<int>(movers.size()) < count) {
        Mover mover;
        mover.craft = nullptr;
        if (release == RELEASE_CROWDED) {
            mover.position = tenCraftRelease(draws);
        } else {
            for (int axis = 0; axis < 3; ++axis) {
                mover.position[axis] =
                    std::uniform_real_distribution<float>(wanderMin[axis], wanderMax[axis])(engine);
            }
        }
        mover.velocity.setValue(0, 0, 0);
        mover.current = 0;
        mover.boxes[0] = release == RELEASE_CROWDED ? releaseBox(craftKind, mover.position)
                                                    : SbBox3f(mover.position - craftHalfExtent,
                                                              mover.position + craftHalfExtent);
        if (release == RELEASE_CROWDED || !overlapsAny(mover.boxes[0], city, movers)) {
            movers.push_back(mover);
        }
    }
}

void Movers::fileAll(CollisionIndex& index, const std::vector<SbBox3f*>& city) {
    for (SbBox3f* box : city) {
        index.insert(recordOf(box));
    }
    for (Mover& mover : movers) {
        index.insert(recordOf(mover.filed(), mover.craft));
    }
    index.filedAll();
}

int Movers::step(CollisionIndex& index, std::vector<bool>& outcomes) {
    int collisions = 0;
    for (Mover& mover : movers) {
        const SbVec3f next = nextPosition(mover);
        SbBox3f* tried = &mover.boxes[1 - mover.current];
        tried->setBounds(next - craftHalfExtent, next + craftHalfExtent);
        const bool collided =
            index.tryMove(recordOf(mover.filed(), mover.craft), recordOf(tried, mover.craft));
        if (mover.craft != nullptr) {
            settle(*mover.craft, next, collided);
        }
        if (collided) {
            mover.velocity.setValue(0, 0, 0);
            ++collisions;
        } else {
            mover.position = next;
            mover.current = 1 - mover.current;
        }
        outcomes.push_back(collided);
    }
    index.stepDone();
    return collisions;
}

SbVec3f Movers::nextPosition(Mover& mover) {
    if (mover.craft != nullptr) {
        return flownPosition(*mover.craft);
    }
    std::uniform_real_distribution<float> draw(-kick, kick);
    mover.velocity *= damping;
    for (int axis = 0; axis < 3; ++axis) {
        mover.velocity[axis] += draw(engine);
        if (mover.position[axis] < wanderMin[axis]) {
            mover.velocity[axis] += pullBack;
        } else if (mover.position[axis] > wanderMax[axis]) {
            mover.velocity[axis] -= pullBack;
        }
    }
    return mover.position + mover.velocity;
}
