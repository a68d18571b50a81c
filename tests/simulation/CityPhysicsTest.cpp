// Thousands of physics steps on the real city and craft at 50 steps per
// second, checked after every step.
#include <Inventor/SoDB.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <set>
#include <utility>

#include "SimulationFixture.h"
#include "app/Globals.h"
#include "app/KeyStateTable.h"
#include "city/FlyingObject.h"
#include "octree/CollisionObject.h"
#include "octree/OctTree.h"
#include "simulation/Motion.h"
#include "simulation/Session.h"
#include "simulation/Simulation.h"
#include "simulation/SimulationState.h"
#include "swarm/SoSwarm.h"
#include "tests/support/SimulationWorld.h"

namespace {

using Overlaps = std::set<std::pair<std::uintptr_t, std::uintptr_t>>;

// Movers are known by number (their boxes change), everything else by its box.
std::uintptr_t identity(const SbBox3f* box) {
    const SbList<CollisionObject*>& craft = cityBuilder.flyingObjects;
    for (int i = 0; i < craft.getLength(); ++i) {
        if (craft[i]->box == box) {
            return 2 + i;
        }
    }
    return box == cameraObject->box ? 1 : reinterpret_cast<std::uintptr_t>(box);
}

bool isMover(const SbBox3f* box) {
    return identity(box) < 16;
}

Overlaps moverOverlaps(const std::map<const SbBox3f*, int>& copies) {
    Overlaps found;
    for (const auto& mover : copies) {
        for (const auto& other : copies) {
            if (isMover(mover.first) && other.first != mover.first &&
                OctTree::boxesOverlap(*mover.first, *other.first)) {
                found.emplace(identity(mover.first), identity(other.first));
            }
        }
    }
    return found;
}

// Whether the box, lowered a little, would reach into another filed box.
bool restsOnSomething(const SbBox3f* box) {
    const SbVec3f drop(0, 0.001f, 0);
    const SbBox3f lowered(box->getMin() + drop, box->getMax() + drop);
    for (const auto& other : copiesInTree()) {
        if (other.first != box && OctTree::boxesOverlap(lowered, *other.first)) {
            return true;
        }
    }
    return false;
}

TEST(CityPhysicsTest, MoversStayApartStayFiledOnceComeToRestAndUseNoMoreMemory) {
    // The collidable world as start-up builds it; the drawing is left out. A
    // fixed city: in some cities two craft start inside each other and hold
    // each other up for good, which says nothing about the step.
    ASSERT_EQ(chdir(BRENNOC_DATA_DIR), 0);
    SeededWorld world(7, 10, IndexSet::OCTREE);
    const SbList<CollisionObject*>& craft = cityBuilder.flyingObjects;
    ASSERT_EQ(craft.getLength(), 10);
    for (int i = 0; i < craft.getLength(); i += 2) {
        craft[i]->owner->steering = false;  // these fall at once
    }
    std::set<const SbBox3f*> known;
    for (const auto& entry : copiesInTree()) {
        known.insert(entry.first);
    }

    Overlaps before = moverOverlaps(copiesInTree());
    KeyStateTable[KEY_E].pressed = true;
    std::size_t heapAtMinute = 0;
    std::size_t treeAtMinute = 0;
    const int steps = 4000;
    for (int n = 1; n <= steps && !::testing::Test::HasFailure(); ++n) {
        world.step();
        KeyStateTable[KEY_E].pressed = false;
        const std::map<const SbBox3f*, int> copies = copiesInTree();
        for (const auto& entry : copies) {
            EXPECT_TRUE(known.count(entry.first) || isMover(entry.first))
                << "step " << n << ": a box nothing owns is still filed";
        }
        for (int i = 0; i < craft.getLength(); ++i) {
            EXPECT_TRUE(copies.count(craft[i]->box)) << "step " << n << ": craft " << i;
        }
        EXPECT_TRUE(copies.count(cameraObject->box)) << "step " << n << ": the camera";
        const Overlaps now = moverOverlaps(copies);
        for (const auto& pair : now) {
            EXPECT_TRUE(before.count(pair))
                << "step " << n << ": mover " << pair.first << " ended inside another box";
        }
        before = now;
        if (n == 3000) {  // one minute
            heapAtMinute = mallinfo2().uordblks;
            treeAtMinute = octree->memoryBytes();
        }
    }

    for (int i = 0; i < craft.getLength(); i += 2) {
        EXPECT_EQ(craft[i]->owner->velocity, SbVec3f(0, 0, 0)) << i;
        EXPECT_GT(craft[i]->owner->currentPosition[1], -6.5f) << i << " never fell";
        EXPECT_LE(craft[i]->box->getMax()[1], 0) << i << " sank into the ground";
        EXPECT_TRUE(restsOnSomething(craft[i]->box)) << i;
    }

    const long heapGrowth = long(mallinfo2().uordblks) - long(heapAtMinute);
    const long treeGrowth = long(octree->memoryBytes()) - long(treeAtMinute);
    std::printf("heap growth over the last %d steps: %ld bytes, octree nodes %ld\n", steps - 3000,
                heapGrowth, treeGrowth);
#ifndef __SANITIZE_ADDRESS__
    // Abandoning the replaced boxes would add well over 100 kB here.
    EXPECT_LT(heapGrowth - treeGrowth, 8 * 1024);
#endif
}

// Counts the moves the octree decides: tried, and refused.
void countMove(void* data, const CollisionObject&, bool refused) {
    int* counts = static_cast<int*>(data);
    ++counts[0];
    counts[1] += refused ? 1 : 0;
}

TEST(CityPhysicsTest, AThousandCraftStartApartAndFly) {
    ASSERT_EQ(chdir(BRENNOC_DATA_DIR), 0);
    int children = 0;
    {
        SeededWorld none(7, 0, IndexSet::OCTREE);
        children = none.scene()->getNumChildren();
    }
    const int count = 1000;
    SeededWorld world(7, count, IndexSet::OCTREE);
    SoSeparator* root = world.scene();
    // One node draws them all.
    ASSERT_EQ(root->getNumChildren(), children + 1);
    ASSERT_EQ(root->getChild(children), static_cast<SoNode*>(cityBuilder.swarm));
    const SbList<CollisionObject*>& craft = cityBuilder.flyingObjects;
    ASSERT_EQ(craft.getLength(), count);
    ASSERT_EQ(cityBuilder.swarm->position.getNum(), count);

    // Each craft starts clear of every other box filed: craft, buildings,
    // streets, the ground and the camera.
    const std::map<const SbBox3f*, int> copies = copiesInTree();
    int overlaps = 0;
    for (int i = 0; i < count; ++i) {
        for (const auto& other : copies) {
            overlaps +=
                other.first != craft[i]->box && OctTree::boxesOverlap(*craft[i]->box, *other.first);
        }
    }
    EXPECT_EQ(overlaps, 0);

    int moves[2] = {0, 0};
    world.session.moveObserver = countMove;
    world.session.moveObserverData = moves;
    KeyStateTable[KEY_E].pressed = true;
    const int steps = 200;
    for (int n = 0; n < steps; ++n) {
        world.step();
        KeyStateTable[KEY_E].pressed = false;
    }
    // Packed into the ten craft's block, nearly every move would be refused.
    EXPECT_EQ(moves[0], steps * (count + 1));
    EXPECT_LT(moves[1], moves[0] / 100) << "moves refused";
    // The swarm shows where the step left the craft.
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(cityBuilder.swarm->position[i], SbVec3f(craft[i]->owner->currentPosition)) << i;
    }
}

}  // namespace
