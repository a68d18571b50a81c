#pragma once

#include <Inventor/SbBox3f.h>
#include <Inventor/events/SoKeyboardEvent.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

#include "simulation/Session.h"

class FlyingObject;
class SoSeparator;

// Start-up values for every global the simulation reads, a fresh session, the
// camera at its start and the indexes over the program's region, the octree
// active and holding only the camera; all freed again afterwards.
class SimulationTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A static obstacle filed in the active index; the fixture owns its box.
    void addObstacle(const SbVec3f& min, const SbVec3f& max);
    void addGround() { addObstacle(SbVec3f(-500, 0, -500), SbVec3f(500, 0.001f, 500)); }
    // A craft at rest, filed with a centred box and listed in flyingObjects.
    FlyingObject* addCraft(const SbVec3f& centre, bool steering);
    void placeCamera(const SbVec3f& position);
    static void press(int row, bool pressed = true);
    // A press and its release, delivered as the window delivers them: keyboard
    // events through the program's keyboard callback.
    void tap(SoKeyboardEvent::Key key);
    void step(double seconds = 0.02);

    Session session;
    std::unique_ptr<IndexSet> indexes;
    SoSeparator* root = nullptr;
    SoSeparator* keyboard = nullptr;
    std::vector<std::unique_ptr<SbBox3f>> obstacles;
};

// How many copies of each box the octree's leaves hold.
std::map<const SbBox3f*, int> copiesInTree();
SbVec3f centreOf(const SbBox3f& box);
SbVec3f positionOf(const FlyingObject& object);
SbVec3f cameraPosition();
