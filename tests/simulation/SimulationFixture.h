#pragma once

#include <Inventor/SbBox3f.h>
#include <Inventor/SbLinear.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

class FlyingObject;
class SoSeparator;

// Puts every global the simulation reads back to its start-up value, with a
// fresh camera and an empty octree over the program's region; frees them after.
class SimulationTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // A fresh start inside one test, for cases run in a loop.
    void restart();

    // A static obstacle filed in the octree; the fixture owns its box.
    SbBox3f* addObstacle(const SbVec3f& min, const SbVec3f& max);
    // A craft at rest at the given centre, filed with a centred box and listed in
    // cityBuilder's flyingObjects.
    FlyingObject* addCraft(const SbVec3f& centre, bool steering);
    void placeCamera(const SbVec3f& position);
    SbVec3f cameraPosition() const;
    static void press(int row, bool pressed = true);
    static void step(double seconds = 0.02);

    SoSeparator* root = nullptr;
    std::vector<std::unique_ptr<SbBox3f>> obstacles;
};

// How many copies of each box the octree's leaves hold.
std::map<const SbBox3f*, int> copiesInTree();
// The distinct boxes in the tree that overlap the given one (other than itself).
std::vector<const SbBox3f*> overlappingBoxes(const SbBox3f* box);
SbVec3f centreOf(const SbBox3f& box);
SbVec3f positionOf(const FlyingObject& object);
void freeTree(class OctTree* node);
