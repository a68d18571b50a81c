// The same seeded world flown through each collision index: every move is
// decided alike, so every craft and the camera end each step at bit-identical
// positions, also when the index is switched in mid-flight. This holds where
// no two filed things overlap each other at the start (seeds chosen so, and
// checked): where two do, the octree also refuses others that reach their
// leaf, which the other indexes do not. Craft land on buildings, the ground
// and one another, and the camera flies into buildings, so that refusals of
// every kind are decided.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "app/Globals.h"
#include "app/KeyStateTable.h"
#include "city/FlyingObject.h"
#include "octree/CollisionObject.h"
#include "tests/support/SimulationWorld.h"

namespace {

using Flight = std::vector<std::vector<SbVec3f>>;

const int steps = 1000;

// Cities and craft counts whose things all start apart: ten craft in a city
// where some fall onto others, and a hundred (released over a larger block)
// falling onto the city.
struct World {
    int seed;
    int craft;
};
const World worlds[] = {{30, 10}, {23, 10}, {7, 100}};

bool identical(const std::vector<SbVec3f>& a, const std::vector<SbVec3f>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(SbVec3f)) == 0;
}

// Physics on from the first step; every other craft falls from the start, and
// the camera thrusts forwards and turns now and then, into buildings. With
// switchEvery, the index moves on to the next one every that many steps.
Flight fly(const World& chosen, int index, unsigned long& refused, int switchEvery = 0) {
    const int seed = chosen.seed;
    SeededWorld world(seed, chosen.craft, index);
    EXPECT_EQ(world.overlappingPairs(), 0) << "seed " << seed << ": things start inside another";
    const SbList<CollisionObject*>& craft = cityBuilder.flyingObjects;
    for (int i = 0; i < craft.getLength(); i += 2) {
        craft[i]->owner->steering = false;
    }
    Flight flight;
    for (int n = 0; n < steps; ++n) {
        KeyStateTable[KEY_E].pressed = n == 0;
        KeyStateTable[KEY_A].pressed = n % 100 < 60;
        KeyStateTable[KEY_W].pressed = n % 100 >= 80;
        if (switchEvery > 0 && n > 0 && n % switchEvery == 0) {
            world.indexes->cycle();
        }
        world.step();
        flight.push_back(world.positions());
    }
    EXPECT_EQ(world.overlappingPairs(), 0) << "seed " << seed << ": a move ended inside another";
    refused = world.session.movesRefused;
    return flight;
}

class IndexAgreement : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(chdir(BRENNOC_DATA_DIR), 0); }
};

TEST_F(IndexAgreement, EveryIndexFliesTheSameWorldToTheSamePositions) {
    for (const World& world : worlds) {
        const int seed = world.seed;
        unsigned long refused = 0;
        const Flight octree = fly(world, IndexSet::OCTREE, refused);
        EXPECT_GT(refused, 100u) << "seed " << seed << ": too few collisions to tell";
        for (int index : {IndexSet::DBVT, IndexSet::FLAT}) {
            unsigned long refusedHere = 0;
            const Flight other = fly(world, index, refusedHere);
            ASSERT_EQ(other.size(), octree.size());
            for (std::size_t n = 0; n < octree.size(); ++n) {
                ASSERT_TRUE(identical(other[n], octree[n]))
                    << "seed " << seed << ", index " << index << ": apart after step " << n + 1;
            }
            EXPECT_EQ(refusedHere, refused);
        }
    }
}

TEST_F(IndexAgreement, SwitchingInMidFlightChangesNoMove) {
    unsigned long refused = 0, refusedSwitching = 0;
    const Flight octree = fly(worlds[0], IndexSet::OCTREE, refused);
    const Flight switching = fly(worlds[0], IndexSet::OCTREE, refusedSwitching, 37);
    ASSERT_EQ(switching.size(), octree.size());
    for (std::size_t n = 0; n < octree.size(); ++n) {
        ASSERT_TRUE(identical(switching[n], octree[n])) << "apart after step " << n + 1;
    }
    EXPECT_EQ(refusedSwitching, refused);
}

}  // namespace
