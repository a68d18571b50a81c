// The simulation on the real city and craft: thousands of physics steps at 50
// steps per second, checked after every step.
#include <Inventor/SoDB.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <utility>

#include "SimulationFixture.h"
#include "app/Globals.h"
#include "app/KeyStateTable.h"
#include "city/FlyingObject.h"
#include "octree/CollisionObject.h"
#include "octree/OctTree.h"
#include "simulation/Simulation.h"
#include "simulation/SimulationState.h"

namespace {

using Identity = std::uintptr_t;
using Overlaps = std::set<std::pair<Identity, Identity>>;

// Builds the collidable world as start-up does (the drawing-only scene
// assembly that follows is left out).
SoSeparator* buildCity() {
    EXPECT_EQ(chdir(BRENNOC_DATA_DIR), 0);
    SoDB::init();
    SoSeparator* root = new SoSeparator;
    root->ref();
    octree = new OctTree(SbBox3f(-60, -110, -60, 60, 10, 60));
    camera = new SoPerspectiveCamera;
    camera->position.setValue(1.5f, -3, 1.5f);
    camera->pointAt(camera->position.getValue() + viewDirection, upDirection);
    root->addChild(camera);
    cameraObject = new CollisionObject(1.5f, -3, 1.5f,
                                       new SbBox3f(1.45f, -3.05f, 1.45f, 1.55f, -2.95f, 1.55f));
    octree->insert(*cameraObject);
    cityBuilder.buildEnvironment(root, *octree);
    cityBuilder.generateCity(*octree);
    cityBuilder.createFlyingObjects(2, 10, root, *octree);
    return root;
}

// Movers are known by a small number (their boxes change), static things by box.
class World {
public:
    World() {
        for (const auto& entry : copiesInTree()) {
            if (!moverIndex(entry.first)) {
                staticBoxes.insert(entry.first);
            }
        }
    }

    Identity identity(const SbBox3f* box) const {
        const Identity mover = moverIndex(box);
        return mover ? mover : reinterpret_cast<Identity>(box);
    }

    // Every box the tree holds must be a static thing's or a mover's present box.
    void expectOnlyKnownBoxes(const std::map<const SbBox3f*, int>& copies) const {
        for (const auto& entry : copies) {
            EXPECT_TRUE(staticBoxes.count(entry.first) || moverIndex(entry.first))
                << "a box nothing owns is still filed";
        }
        const SbList<CollisionObject*>& craft = cityBuilder.flyingObjects;
        for (int i = 0; i < craft.getLength(); ++i) {
            EXPECT_GT(copies.count(craft[i]->box), 0u) << "craft " << i << " is not filed";
        }
        EXPECT_GT(copies.count(cameraObject->box), 0u) << "the camera is not filed";
    }

    // Pairs of a mover and any other thing whose boxes overlap.
    Overlaps moverOverlaps(const std::map<const SbBox3f*, int>& copies) const {
        Overlaps found;
        for (const auto& mover : copies) {
            if (!moverIndex(mover.first)) {
                continue;
            }
            for (const auto& other : copies) {
                if (other.first != mover.first &&
                    OctTree::boxesOverlap(*mover.first, *other.first)) {
                    found.emplace(identity(mover.first), identity(other.first));
                }
            }
        }
        return found;
    }

    std::set<const SbBox3f*> staticBoxes;

private:
    static Identity moverIndex(const SbBox3f* box) {
        if (box == cameraObject->box) {
            return 1;
        }
        const SbList<CollisionObject*>& craft = cityBuilder.flyingObjects;
        for (int i = 0; i < craft.getLength(); ++i) {
            if (craft[i]->box == box) {
                return 2 + i;
            }
        }
        return 0;
    }
};

std::size_t heapInUse() {
    return mallinfo2().uordblks;
}

// Whether the box, lowered a little, would reach into something below it.
bool restsOnSomething(const SbBox3f& box, const std::set<const SbBox3f*>& others) {
    const SbVec3f drop(0, 0.001f, 0);
    const SbBox3f lowered(box.getMin() + drop, box.getMax() + drop);
    for (const SbBox3f* other : others) {
        if (OctTree::boxesOverlap(lowered, *other)) {
            return true;
        }
    }
    return false;
}

TEST(CityPhysicsTest, MoversStayApartStayFiledOnceComeToRestAndUseNoMoreMemory) {
    SoSeparator* root = buildCity();
    const SbList<CollisionObject*>& craft = cityBuilder.flyingObjects;
    ASSERT_EQ(craft.getLength(), 10);
    // Half of the craft give up steering at once and fall.
    for (int i = 0; i < craft.getLength(); i += 2) {
        craft[i]->owner->steering = false;
    }

    World world;
    ASSERT_GT(world.staticBoxes.size(), 10u);
    Overlaps before = world.moverOverlaps(copiesInTree());

    KeyStateTable[KEY_E].pressed = true;
    simulationStep(SbTime(0.02));
    KeyStateTable[KEY_E].pressed = false;

    const int steps = 4000;
    const int settled = 1000;
    std::size_t heapAtSettled = 0;
    std::size_t treeAtSettled = 0;
    for (int n = 1; n <= steps; ++n) {
        simulationStep(SbTime(0.02));
        const std::map<const SbBox3f*, int> copies = copiesInTree();
        world.expectOnlyKnownBoxes(copies);
        const Overlaps now = world.moverOverlaps(copies);
        for (const auto& pair : now) {
            EXPECT_TRUE(before.count(pair))
                << "step " << n << ": mover " << pair.first << " ended inside another box";
        }
        before = now;
        if (HasFailure()) {
            break;
        }
        if (n == settled) {
            heapAtSettled = heapInUse();
            treeAtSettled = octree->memoryBytes();
        }
    }

    std::set<const SbBox3f*> all = world.staticBoxes;
    all.insert(cameraObject->box);
    for (int i = 0; i < craft.getLength(); ++i) {
        all.insert(craft[i]->box);
    }
    for (int i = 0; i < craft.getLength(); i += 2) {
        SCOPED_TRACE(i);
        const FlyingObject& object = *craft[i]->owner;
        EXPECT_EQ(object.velocity, SbVec3f(0, 0, 0));
        EXPECT_LE(craft[i]->box->getMax()[1], 0) << "below the ground";
        EXPECT_GT(object.currentPosition[1], -9.0f) << "never fell";
        std::set<const SbBox3f*> others = all;
        others.erase(craft[i]->box);
        EXPECT_TRUE(restsOnSomething(*craft[i]->box, others));
    }

    const long heapGrowth = static_cast<long>(heapInUse()) - static_cast<long>(heapAtSettled);
    const long treeGrowth =
        static_cast<long>(octree->memoryBytes()) - static_cast<long>(treeAtSettled);
    std::printf("heap growth over %d steps: %ld bytes, of which octree nodes %ld\n",
                steps - settled, heapGrowth, treeGrowth);
#ifndef __SANITIZE_ADDRESS__
    // Abandoning the replaced boxes would add hundreds of kilobytes here.
    EXPECT_LT(heapGrowth - treeGrowth, 16 * 1024);
#endif
    // As the program's tear-down does.
    for (int i = 0; i < craft.getLength(); ++i) {
        delete craft[i];
    }
    root->unref();
}

}  // namespace
