#include <Inventor/nodes/SoMatrixTransform.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>

#include "SimulationFixture.h"
#include "app/Globals.h"
#include "app/KeyStateTable.h"
#include "city/FlyingObject.h"
#include "octree/CollisionObject.h"
#include "simulation/Motion.h"
#include "simulation/SimulationState.h"

namespace {

using MotionTest = SimulationTest;

TEST_F(MotionTest, OrbitTargetsFollowThePhaseQuadrants) {
    FlyingObject* craft = addCraft(SbVec3f(3, -8, 4), true);
    craft->orbitRadius = 10;
    struct Case {
        float phase;
        float dx;
        float dz;
    };
    // b = sqrt(r^2 - a^2) is ill-conditioned where a is close to r.
    const Case cases[] = {
        {60, 0.5233710f, 9.9862947f},
        {100, 0.3141049f, -9.9950657f},
        {200, -0.1570973f, -9.9987659f},
        {300, -0.1047232f, 9.9994516f},
        {0.001f, 0, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.phase);
        const SbVec3f target = orbitTarget(*craft, c.phase);
        EXPECT_NEAR(target[0], 3 + c.dx, 2e-4f);
        EXPECT_FLOAT_EQ(target[1], -8);
        EXPECT_NEAR(target[2], 4 + c.dz, 1e-5f);
    }
}

TEST_F(MotionTest, PhaseAdvancesHalfADegreePerCraftAndWraps) {
    for (int i = 0; i < 3; ++i) {
        addCraft(SbVec3f(-40 + 5 * i, -100, -40), true);
    }
    physicsEnabled = true;
    step();
    EXPECT_FLOAT_EQ(orbitPhase, 1.501f);

    orbitPhase = 359.0f;
    step();  // 359.5, then 360 wraps, then 0.501
    EXPECT_FLOAT_EQ(orbitPhase, 0.501f);
}

TEST_F(MotionTest, FreeFallingCraftReachesTerminalSpeedAndItsNodeFollows) {
    FlyingObject* craft = addCraft(SbVec3f(-30, -100, -30), false);
    const CollisionObject* record = cityBuilder.flyingObjects[0];
    physicsEnabled = true;
    float fallen = 0;
    for (int i = 0; i < 1000; ++i) {
        step();
        fallen += craft->velocity[1];
    }
    EXPECT_NEAR(craft->velocity[1], 0.0075f, 1e-6f);
    EXPECT_EQ(craft->velocity[0], 0);
    EXPECT_EQ(craft->velocity[2], 0);
    EXPECT_NEAR(craft->currentPosition[1], -100 + fallen, 1e-3f);

    SbVec3f shown;
    ASSERT_NE(craft->transformNode, nullptr);
    craft->transformNode->matrix.getValue().multVecMatrix(SbVec3f(0, 0, 0), shown);
    EXPECT_NEAR((shown - positionOf(*craft)).length(), 0, 1e-5f);

    const SbVec3f half = (record->box->getMax() - record->box->getMin()) / 2;
    EXPECT_NEAR((centreOf(*record->box) - positionOf(*craft)).length(), 0, 1e-5f);
    EXPECT_NEAR((half - SbVec3f(0.5f, 0.125f, 0.5f)).length(), 0, 1e-6f);
}

TEST_F(MotionTest, SteeringCraftIsPulledTowardsItsOrbitAndHovers) {
    FlyingObject* craft = addCraft(SbVec3f(-30, -90, -30), true);
    physicsEnabled = true;
    for (int i = 0; i < 3000; ++i) {
        step();
    }
    EXPECT_TRUE(craft->steering);
    // Steering holds the craft near its start height against gravity.
    EXPECT_NEAR(craft->currentPosition[1], -90 + 0.75f, 0.1f);
    const SbVec3f offset = positionOf(*craft) - craft->orbitCentre;
    EXPECT_LT(SbVec2f(offset[0], offset[2]).length(), 10.0f);
}

TEST_F(MotionTest, CameraThrustApproachesATenthOfAUnitPerStep) {
    placeCamera(SbVec3f(-40, -100, -50));
    press(KEY_E);
    step();
    press(KEY_E, false);
    press(KEY_A);
    for (int i = 0; i < 600; ++i) {
        step();
    }
    EXPECT_NEAR(cameraVelocity[2], 0.1f, 1e-4f);
    EXPECT_NEAR(cameraVelocity[1], 0.0075f, 1e-4f);
    EXPECT_NEAR(cameraVelocity[0], 0, 1e-6f);

    // At 100 steps per second the thrust is halved: the same speed per second.
    for (int i = 0; i < 600; ++i) {
        step(0.01);
    }
    EXPECT_NEAR(cameraVelocity[2], 0.05f, 1e-4f);
    EXPECT_NEAR((centreOf(*cameraObject->box) - cameraPosition()).length(), 0, 1e-4f);
}

TEST_F(MotionTest, CraftThatWouldCollideStaysWhereItWasAndStopsSteering) {
    addObstacle(SbVec3f(-500, 0, -500), SbVec3f(500, 0.001f, 500));  // the ground
    FlyingObject* craft = addCraft(SbVec3f(2, -0.2f, 2), true);
    CollisionObject* record = cityBuilder.flyingObjects[0];
    craft->velocity.setValue(0.01f, 0.1f, 0);
    const SbVec3f before = positionOf(*craft);
    const SbBox3f* box = record->box;
    ASSERT_NE(craft->transformNode, nullptr);
    const SbMatrix shown = craft->transformNode->matrix.getValue();
    physicsEnabled = true;
    step();
    EXPECT_EQ(positionOf(*craft), before);
    EXPECT_EQ(craft->velocity, SbVec3f(0, 0, 0));
    EXPECT_FALSE(craft->steering);
    EXPECT_EQ(record->box, box);
    EXPECT_TRUE(craft->transformNode->matrix.getValue() == shown);
    EXPECT_GT(copiesInTree()[box], 0);
    EXPECT_TRUE(overlappingBoxes(box).empty());

    // From rest it falls again until its box would reach into the ground.
    for (int i = 0; i < 200; ++i) {
        step();
    }
    EXPECT_FALSE(craft->steering);
    EXPECT_EQ(craft->velocity, SbVec3f(0, 0, 0));
    EXPECT_LE(record->box->getMax()[1], 0);
    EXPECT_GT(record->box->getMax()[1], -0.0075f);
    EXPECT_TRUE(overlappingBoxes(record->box).empty());
}

TEST_F(MotionTest, CameraThatWouldCollideStaysWhereItWasWithItsRecord) {
    addObstacle(SbVec3f(-500, 0, -500), SbVec3f(500, 0.001f, 500));  // the ground
    placeCamera(SbVec3f(1, -0.0502f, 1));
    press(KEY_E);
    step();  // one step of gravity still fits above the ground
    press(KEY_E, false);
    const SbVec3f before = cameraPosition();
    ASSERT_NEAR(before[1], -0.05005f, 1e-6f);
    step();  // the next one would take the box into the slab
    EXPECT_EQ(cameraVelocity, SbVec3f(0, 0, 0));
    EXPECT_EQ(cameraPosition(), before);
    std::map<const SbBox3f*, int> copies = copiesInTree();
    EXPECT_EQ(copies.size(), 2u);  // the ground and the camera
    EXPECT_GT(copies[cameraObject->box], 0);
    EXPECT_NEAR((centreOf(*cameraObject->box) - before).length(), 0, 1e-6f);
}

TEST_F(MotionTest, CameraRecordIsRebuiltAtTheCameraWhenPhysicsReturns) {
    addObstacle(SbVec3f(-500, 0, -500), SbVec3f(500, 0.001f, 500));  // the ground
    press(KEY_E);
    step();
    press(KEY_E, false);
    EXPECT_FALSE(cameraObjectStale);
    const SbBox3f* physicsBox = cameraObject->box;

    press(KEY_R);
    step();
    press(KEY_R, false);
    EXPECT_TRUE(cameraObjectStale);
    press(KEY_A);
    for (int i = 0; i < 6; ++i) {
        step();
    }
    press(KEY_A, false);
    // Free flight leaves the record where physics last put the camera.
    EXPECT_EQ(cameraObject->box, physicsBox);
    EXPECT_GT((centreOf(*physicsBox) - cameraPosition()).length(), 1.9f);

    // Land the camera where its first physics move collides with the ground:
    // the rebuilt record must still be around the camera, not around the
    // refused position.
    const SbVec3f landed(1.5f, -0.0501f, 3.5f);
    camera->position.setValue(landed);
    press(KEY_E);
    step();
    EXPECT_FALSE(cameraObjectStale);
    EXPECT_EQ(cameraPosition(), landed);
    const std::map<const SbBox3f*, int> copies = copiesInTree();
    EXPECT_EQ(copies.size(), 2u);
    EXPECT_GT(copies.count(cameraObject->box), 0u);
    EXPECT_NEAR((centreOf(*cameraObject->box) - landed).length(), 0, 1e-6f);
}

}  // namespace
