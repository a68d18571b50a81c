// What an ordinary but hostile user does to a run: a stall integrated as one
// step, flights past the region's faces, a storm of index switches. In every
// index no mover leaves the region, none is lost from the index, none ends
// inside another thing, and Escape still ends the run at once.
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

#include "SimulationFixture.h"
#include "app/Globals.h"
#include "app/KeyStateTable.h"
#include "city/FlyingObject.h"
#include "octree/CollisionObject.h"
#include "simulation/Motion.h"
#include "simulation/Simulation.h"
#include "simulation/SimulationState.h"
#include "spatialindex/Region.h"
#include "tests/support/SimulationWorld.h"

namespace {

const int indexNumbers[] = {IndexSet::OCTREE, IndexSet::DBVT, IndexSet::FLAT};

int filedCount(const IndexSet& indexes) {
    std::vector<CollisionObject> records;
    indexes.active().collect(records);
    return static_cast<int>(records.size());
}

class SeededRobustness : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(chdir(BRENNOC_DATA_DIR), 0); }
};

// The process stopped for 15 s and then carried on: the tick measures the
// whole stall and hands it to one step, which integrates no more than a slow
// frame. No craft is flung out of the region or lost from the index, none
// ends inside another thing, and the run goes on with its usual steps.
TEST_F(SeededRobustness, AStallIsNotIntegratedAsOneStep) {
    for (int index : indexNumbers) {
        SeededWorld world(7, 300, index);
        const int filed = filedCount(*world.indexes);
        const int overlapping = world.overlappingPairs();
        KeyStateTable[KEY_E].pressed = true;
        for (int n = 0; n < 50; ++n) {
            world.step();
        }
        simulationStep(SbTime(15.0), world.session);
        for (int n = 0; n < 50; ++n) {
            world.step();
        }
        KeyStateTable[KEY_E].pressed = false;

        const SbBox3f& region = world.indexes->region();
        int outside = 0;
        for (const SbVec3f& at : world.positions()) {
            outside += region.intersect(at) ? 0 : 1;
        }
        EXPECT_EQ(outside, 0) << "index " << index << ": movers flung out of the region";
        countMoversOutside(world.session);
        EXPECT_EQ(world.session.moversOutside, 0u) << "index " << index;
        EXPECT_EQ(filedCount(*world.indexes), filed)
            << "index " << index << ": records lost from the index";
        EXPECT_LE(world.overlappingPairs(), overlapping)
            << "index " << index << ": a craft ended inside another thing";
        EXPECT_EQ(world.session.physicsSteps, 101u);
    }
}

// Flown past the region's face at z = 60 in free flight, then physics on: the
// camera comes back to the face, falls and lands on the ground it sees, in
// every index, and its record is filed there.
TEST_F(SeededRobustness, TheCameraFlownPastTheEdgeLandsOnTheGround) {
    for (int index : indexNumbers) {
        SeededWorld world(7, 10, index);
        const int filed = filedCount(*world.indexes);
        KeyStateTable[KEY_A].pressed = true;
        for (int n = 0; n < 250; ++n) {
            world.step();
        }
        KeyStateTable[KEY_A].pressed = false;
        ASSERT_GT(camera->position.getValue()[2], 70.0f) << "the flight went past the face";

        KeyStateTable[KEY_E].pressed = true;
        world.step();
        KeyStateTable[KEY_E].pressed = false;
        for (int n = 0; n < 1500; ++n) {
            world.step();
        }
        const SbVec3f at = camera->position.getValue();
        EXPECT_LT(at[2], 60.0f) << "index " << index;
        EXPECT_GT(at[2], 59.0f) << "index " << index << ": brought back to the nearest place";
        EXPECT_LE(at[1], -0.05f) << "index " << index << ": fell through the ground";
        EXPECT_GT(at[1], -0.1f) << "index " << index << ": not on the ground";
        EXPECT_GT(world.session.cameraStillSteps, 100u) << "index " << index << ": still falling";
        EXPECT_TRUE(insideRegion(*cameraObject->box, world.indexes->region()));
        EXPECT_EQ(filedCount(*world.indexes), filed) << "index " << index;
    }
}

using EdgeTest = SimulationTest;

// The region's faces are walls: a craft or the camera whose next move would
// take its box out of the region stays where it was and stops, as on a
// collision, filed in the index as before, in every index.
TEST_F(EdgeTest, MovesOutOfTheRegionAreRefusedInEveryIndex) {
    FlyingObject* east = addCraft(SbVec3f(59.4f, -50, 0), true);
    FlyingObject* top = addCraft(SbVec3f(0, -109.8f, 20), false);
    placeCamera(SbVec3f(-20, -50, -59.9f));
    press(KEY_E);
    step();
    press(KEY_E, false);
    for (int index : indexNumbers) {
        indexes->choose(index);
        const SbVec3f eastAt = positionOf(*east);
        const SbVec3f topAt = positionOf(*top);
        const SbVec3f cameraAt = cameraPosition();
        east->velocity.setValue(0.5f, 0, 0);
        top->velocity.setValue(0, -0.5f, 0);
        cameraVelocity.setValue(0, 0, -0.5f);
        const unsigned long refused = session.movesRefused;
        step();
        EXPECT_EQ(session.movesRefused - refused, 3u) << "index " << index;
        EXPECT_EQ(positionOf(*east), eastAt) << "index " << index;
        EXPECT_EQ(positionOf(*top), topAt) << "index " << index;
        EXPECT_EQ(cameraPosition(), cameraAt) << "index " << index;
        EXPECT_EQ(east->velocity, SbVec3f(0, 0, 0));
        EXPECT_FALSE(east->steering);
        EXPECT_EQ(filedCount(*indexes), 3) << "index " << index << ": a mover was lost";
        countMoversOutside(session);
        EXPECT_EQ(session.moversOutside, 0u);
    }
}

// The frame statistics' count of movers outside the region: boxes wholly or
// partly outside count, those inside up to the faces do not.
TEST_F(EdgeTest, MoversOutsideTheRegionAreCounted) {
    addCraft(SbVec3f(0, -50, 0), false);
    countMoversOutside(session);
    EXPECT_EQ(session.moversOutside, 0u);
    addCraft(SbVec3f(70, -50, 0), false);
    addCraft(SbVec3f(0, 9.9f, 0), false);
    placeCamera(SbVec3f(0, -50, 59.95f));
    countMoversOutside(session);
    EXPECT_EQ(session.moversOutside, 2u);
    placeCamera(SbVec3f(0, -50, 60.5f));
    countMoversOutside(session);
    EXPECT_EQ(session.moversOutside, 3u);
}

// I as the render area hands it over, press then release.
void pressI(Session& session, int times) {
    for (int n = 0; n < times; ++n) {
        for (SoButtonEvent::State state : {SoButtonEvent::DOWN, SoButtonEvent::UP}) {
            SoKeyboardEvent event;
            event.setKey(SoKeyboardEvent::I);
            event.setState(state);
            ASSERT_TRUE(session.handleKey(&event));
        }
    }
}

using StormTest = SimulationTest;

// A storm of I presses between two steps costs one switch, made by the next
// step, to the index the presses lead to; Escape pressed behind such a storm
// ends the run in that step without making the switch.
TEST_F(StormTest, IndexSwitchesCoalesceAndEscapeGoesFirst) {
    addCraft(SbVec3f(-30, -90, -30), true);
    addCraft(SbVec3f(-20, -90, -30), true);
    pressI(session, 302);
    EXPECT_EQ(indexes->activeNumber(), IndexSet::OCTREE) << "the presses only ask";
    step();
    EXPECT_EQ(indexes->activeNumber(), IndexSet::FLAT) << "302 presses lead two on";
    EXPECT_EQ(filedCount(*indexes), 3);
    EXPECT_EQ(session.indexSwitchesAsked, 0);

    pressI(session, 300);
    step();
    EXPECT_EQ(indexes->activeNumber(), IndexSet::FLAT) << "300 presses lead back to it";
    pressI(session, 1);
    step();
    EXPECT_EQ(indexes->activeNumber(), IndexSet::OCTREE);

    pressI(session, 500);
    tap(SoKeyboardEvent::ESCAPE);
    EXPECT_EXIT(
        {
            step();
            std::exit(3);
        },
        ::testing::ExitedWithCode(0), "");
}

using BoundTest = SimulationTest;

// Up to a quarter of a second a step integrates the interval it is given,
// beyond that a quarter of a second: the thrust a step adds to the camera is
// 0.002 / frameFactor.
TEST_F(BoundTest, ALongIntervalIntegratesAQuarterSecond) {
    press(KEY_E);
    step();
    press(KEY_E, false);
    press(KEY_A);
    const double intervals[][2] = {
        {0.02, 0.02}, {0.2, 0.2}, {0.25, 0.25}, {15, 0.25}, {3600, 0.25}};
    for (const auto& interval : intervals) {
        cameraVelocity.setValue(0, 0, 0);
        step(interval[0]);
        EXPECT_NEAR(cameraVelocity[2], 0.002 * 50 * interval[1], 1e-6) << interval[0] << " s";
    }
}

}  // namespace
