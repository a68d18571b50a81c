#include <Inventor/SbViewportRegion.h>
#include <Inventor/events/SoKeyboardEvent.h>
#include <Inventor/events/SoMouseButtonEvent.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "app/Globals.h"
#include "city/FlyingObject.h"
#include "inspector/Inspector.h"
#include "inspector/PickRay.h"
#include "octree/CollisionObject.h"
#include "simulation/SimulationState.h"
#include "spatialindex/IndexSet.h"
#include "tests/support/SimulationWorld.h"

namespace {

const SbViewportRegion viewport(800, 600);

SoKeyboardEvent keyEvent(SoKeyboardEvent::Key key, bool press, bool shift = false) {
    SoKeyboardEvent event;
    event.setKey(key);
    event.setState(press ? SoButtonEvent::DOWN : SoButtonEvent::UP);
    event.setShiftDown(shift ? TRUE : FALSE);
    return event;
}

struct InspectorTest : ::testing::Test {
    void SetUp() override { ASSERT_EQ(chdir(BRENNOC_DATA_DIR), 0); }

    // One step made with N while paused; returns what it printed.
    std::string singleStep(SeededWorld& world) {
        world.session.paused = true;
        world.session.singleStepsAsked = 1;
        ::testing::internal::CaptureStderr();
        world.step();
        return ::testing::internal::GetCapturedStderr();
    }
};

TEST_F(InspectorTest, TabSelectsInTurnAndOnlyASelectionWatchesMoves) {
    SeededWorld world(7, 3, 0);
    Inspector inspector(world.session, world.scene(), nullptr);
    const int children = world.scene()->getNumChildren();
    EXPECT_EQ(inspector.selected(), noMover);
    EXPECT_TRUE(world.session.moveWatchers.empty());

    // Tab goes on to the held-key table.
    const SoKeyboardEvent tab = keyEvent(SoKeyboardEvent::TAB, true);
    EXPECT_FALSE(inspector.handleEvent(&tab, viewport));
    EXPECT_EQ(inspector.selected(), 0);
    ASSERT_EQ(world.session.moveWatchers.size(), 1u);
    EXPECT_GT(world.scene()->getNumChildren(), children);
    const SoKeyboardEvent back = keyEvent(SoKeyboardEvent::TAB, true, true);
    inspector.handleEvent(&back, viewport);
    EXPECT_EQ(inspector.selected(), cameraMover);
    inspector.handleEvent(&back, viewport);
    EXPECT_EQ(inspector.selected(), 2);
    EXPECT_EQ(world.session.moveWatchers.size(), 1u);

    // The selection stays through index switches and a craft stopped dead.
    world.indexes->choose(2);
    physicsEnabled = true;
    for (int i = 0; i < 3; ++i) {
        world.step();
    }
    EXPECT_EQ(inspector.selected(), 2);
    EXPECT_TRUE(inspector.lastMove().known);
    EXPECT_STREQ(inspector.lastMove().index, "flat");
    inspector.update();
    ASSERT_FALSE(inspector.panelShown().empty());
    EXPECT_EQ(inspector.panelShown()[0], "Selected: craft 2");
}

TEST_F(InspectorTest, OnlyAStepMadeWhilePausedPrintsItsLine) {
    SeededWorld world(7, 3, 0);
    Inspector inspector(world.session, world.scene(), nullptr);
    physicsEnabled = true;
    world.step();
    inspector.select(1);
    ::testing::internal::CaptureStderr();
    world.step();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << "running, not paused";

    const std::string line = singleStep(world);
    EXPECT_EQ(line.rfind("move craft 1 index octree visited ", 0), 0u) << line;
    EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1) << line;
    inspector.select(cameraMover);
    world.indexes->choose(1);
    const std::string camera = singleStep(world);
    EXPECT_EQ(camera.rfind("move camera index dbvt visited ", 0), 0u) << camera;
}

TEST_F(InspectorTest, TheChaseViewLeavesTheCameraAlone) {
    SeededWorld world(7, 3, 0);
    Inspector inspector(world.session, world.scene(), nullptr);
    const SbVec3f eye = camera->position.getValue();
    const SbRotation look = camera->orientation.getValue();
    const SoKeyboardEvent f = keyEvent(SoKeyboardEvent::F, true);

    // Nothing selected, then the camera: F does nothing.
    EXPECT_TRUE(inspector.handleEvent(&f, viewport));
    EXPECT_FALSE(inspector.chasing());
    inspector.select(cameraMover);
    inspector.handleEvent(&f, viewport);
    EXPECT_FALSE(inspector.chasing());
    EXPECT_EQ(inspector.shownCamera(), camera);

    inspector.select(0);
    inspector.handleEvent(&f, viewport);
    ASSERT_TRUE(inspector.chasing());
    physicsEnabled = true;
    for (int i = 0; i < 5; ++i) {
        world.step();
        inspector.update();
    }
    const SoPerspectiveCamera* chase = inspector.shownCamera();
    ASSERT_NE(chase, camera);
    const SbVec3f craft(cityBuilder.flyingObjects[0]->owner->currentPosition);
    const SbVec3f from = chase->position.getValue();
    EXPECT_LT(from[1], craft[1]) << "above the craft (up is -y)";
    EXPECT_NEAR((from - craft).length(), 4.27f, 0.01f);
    // A click in the middle of the chase view meets the craft it looks at.
    SoMouseButtonEvent click;
    click.setButton(SoMouseButtonEvent::BUTTON1);
    click.setState(SoButtonEvent::DOWN);
    click.setPosition(SbVec2s(400, 300));
    inspector.select(1);
    EXPECT_EQ(inspector.selected(), 1);
    inspector.update();
    EXPECT_TRUE(inspector.handleEvent(&click, viewport));
    EXPECT_EQ(inspector.selected(), 1);

    inspector.handleEvent(&f, viewport);
    EXPECT_FALSE(inspector.chasing());
    EXPECT_EQ(inspector.shownCamera(), camera);
    // The camera fell with physics on; without it, it is where it was.
    (void)eye;
    EXPECT_TRUE(camera->orientation.getValue() == look);
}

TEST_F(InspectorTest, AClickOnEmptySkyChangesNothing) {
    SeededWorld world(7, 3, 0);
    Inspector inspector(world.session, world.scene(), nullptr);
    SoMouseButtonEvent click;
    click.setButton(SoMouseButtonEvent::BUTTON1);
    click.setState(SoButtonEvent::DOWN);
    // Straight up from the camera's start: no craft there.
    camera->pointAt(camera->position.getValue() + SbVec3f(0, -1, 0), SbVec3f(0, 0, 1));
    click.setPosition(SbVec2s(400, 300));
    EXPECT_FALSE(inspector.handleEvent(&click, viewport));
    EXPECT_EQ(inspector.selected(), noMover);
    EXPECT_TRUE(world.session.moveWatchers.empty());
}

// Paused, the last craft's move told again through each index after a switch:
// the same tried box against the same world (only the camera moved after it),
// so every index gives the move's answer, the list tests everything else, and
// no line is printed, for no step was made.
TEST_F(InspectorTest, AnIndexSwitchWhilePausedTellsTheSameMoveThroughTheNewIndex) {
    SeededWorld world(7, 6, 0);
    Inspector inspector(world.session, world.scene(), nullptr);
    physicsEnabled = true;
    for (int i = 0; i < 20; ++i) {
        world.step();
    }
    inspector.select(5);
    singleStep(world);
    const Inspector::LastMove told = inspector.lastMove();
    ASSERT_TRUE(told.known);
    ASSERT_STREQ(told.index, "octree");

    world.indexes->choose(IndexSet::FLAT);
    ::testing::internal::CaptureStderr();
    inspector.update();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    const Inspector::LastMove& again = inspector.lastMove();
    EXPECT_TRUE(again.retold);
    EXPECT_STREQ(again.index, "flat");
    EXPECT_EQ(again.refused, told.refused);
    std::vector<CollisionObject> filed;
    world.indexes->active().collect(filed);
    if (!told.refused) {
        EXPECT_EQ(again.explanation.tested, int(filed.size()) - 1);
    }
    const std::vector<std::string>& panel = inspector.panelShown();
    EXPECT_NE(std::find(panel.begin(), panel.end(), "The same tried box, told again: not moved"),
              panel.end());
    inspector.update();
    EXPECT_EQ(inspector.lastMove().explanation.tested, again.explanation.tested)
        << "told once per switch";

    world.indexes->choose(IndexSet::DBVT);
    inspector.update();
    EXPECT_STREQ(inspector.lastMove().index, "dbvt");
    EXPECT_EQ(inspector.lastMove().refused, told.refused);
    const std::string line = singleStep(world);
    EXPECT_EQ(line.rfind("move craft 5 index dbvt ", 0), 0u) << line;
    EXPECT_FALSE(inspector.lastMove().retold);
}

}  // namespace
