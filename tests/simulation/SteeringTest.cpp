#include <Inventor/nodes/SoPerspectiveCamera.h>

#include <cmath>

#include "SimulationFixture.h"
#include "app/Globals.h"
#include "app/KeyStateTable.h"
#include "simulation/SimulationState.h"

namespace {

const float inertia = 25.132741f;  // 8 pi

void expectNear(const SbVec3f& actual, const SbVec3f& expected, float tolerance = 1e-6f) {
    EXPECT_NEAR(actual[0], expected[0], tolerance);
    EXPECT_NEAR(actual[1], expected[1], tolerance);
    EXPECT_NEAR(actual[2], expected[2], tolerance);
}

SbVec3f unit(SbVec3f v) {
    v.normalize();
    return v;
}

// The direction the camera node actually looks along.
SbVec3f cameraLook() {
    SbVec3f look;
    camera->orientation.getValue().multVec(SbVec3f(0, 0, -1), look);
    return look;
}

SbVec3f cameraUp() {
    SbVec3f up;
    camera->orientation.getValue().multVec(SbVec3f(0, 1, 0), up);
    return up;
}

double degreesBetween(const SbVec3f& a, const SbVec3f& b) {
    return std::acos(std::fmin(1.0, std::fmax(-1.0, a.dot(b)))) * 180.0 / M_PI;
}

using SteeringTest = SimulationTest;

TEST_F(SteeringTest, OneRightTurnFromTheStartDirectionsAndTheCameraFollows) {
    press(KEY_W);
    step(0.02);
    expectNear(viewDirection, unit(SbVec3f(1, 0, inertia)));
    expectNear(rightDirection, unit(SbVec3f(inertia, 0, -1)));
    expectNear(upDirection, SbVec3f(0, -1, 0), 0);
    expectNear(cameraLook(), viewDirection, 1e-5f);
    expectNear(cameraUp(), upDirection, 1e-5f);
    EXPECT_NEAR(degreesBetween(viewDirection, SbVec3f(0, 0, 1)), 2.2785, 1e-3);
}

TEST_F(SteeringTest, EachTurnKeyTurnsItsPairTheWayItsKeyNames) {
    struct Case {
        int key;
        SbVec3f view;
        SbVec3f right;
    };
    const float s = std::sin(std::atan(1 / inertia));
    const Case cases[] = {
        {KEY_Q, SbVec3f(-s, 0, 0), SbVec3f(0, 0, s)},           // left
        {KEY_DOWN_ARROW, SbVec3f(0, -s, 0), SbVec3f(0, 0, 0)},  // up is -y
        {KEY_UP_ARROW, SbVec3f(0, s, 0), SbVec3f(0, 0, 0)},
        {KEY_RIGHT_ARROW, SbVec3f(0, 0, 0), SbVec3f(0, s, 0)},  // right side dips
        {KEY_LEFT_ARROW, SbVec3f(0, 0, 0), SbVec3f(0, -s, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        restart();
        press(c.key);
        step(0.02);
        EXPECT_NEAR(viewDirection[0], c.view[0], 1e-6f);
        EXPECT_NEAR(viewDirection[1], c.view[1], 1e-6f);
        EXPECT_NEAR(rightDirection[1], c.right[1], 1e-6f);
        EXPECT_NEAR(rightDirection[2], c.right[2], 1e-6f);
        expectNear(cameraLook(), viewDirection, 1e-5f);
        expectNear(cameraUp(), upDirection, 1e-5f);
    }
}

TEST_F(SteeringTest, LeftAndRightTogetherCancelAndHeldTurnsKeepTheFrameOrthonormal) {
    press(KEY_Q);
    press(KEY_W);
    for (int i = 0; i < 500; ++i) {
        step(0.02);
    }
    expectNear(viewDirection, SbVec3f(0, 0, 1), 1e-5f);
    expectNear(rightDirection, SbVec3f(1, 0, 0), 1e-5f);

    press(KEY_Q, false);
    press(KEY_UP_ARROW);
    press(KEY_LEFT_ARROW);
    for (int i = 0; i < 2000; ++i) {
        step(0.013);
    }
    for (const SbVec3f* v : {&viewDirection, &rightDirection, &upDirection}) {
        EXPECT_NEAR(v->length(), 1.0f, 1e-5f);
    }
    EXPECT_NEAR(viewDirection.dot(rightDirection), 0, 1e-4f);
    EXPECT_NEAR(viewDirection.dot(upDirection), 0, 1e-4f);
    EXPECT_NEAR(rightDirection.dot(upDirection), 0, 1e-4f);
}

TEST_F(SteeringTest, TurnRateIsAbout114DegreesPerSecondAtAnyStepRate) {
    for (int rate : {25, 50, 100, 200}) {
        SCOPED_TRACE(rate);
        restart();
        press(KEY_W);
        for (int i = 0; i < rate; ++i) {
            step(1.0 / rate);
        }
        EXPECT_NEAR(degreesBetween(viewDirection, SbVec3f(0, 0, 1)), 114.0, 0.5);
    }
}

TEST_F(SteeringTest, FreeFlightMovesOnlyTheCameraNodeByAThirdPerStepAt50) {
    const CollisionObject* record = cameraObject;
    press(KEY_A);
    step(0.02);
    expectNear(cameraPosition(), SbVec3f(1.5f, -3, 1.5f + 1.0f / 3));
    EXPECT_EQ(cameraObject, record);
    EXPECT_EQ(copiesInTree().size(), 1u);
    EXPECT_TRUE(cameraObjectStale);

    step(0.01);  // 100 steps per second: two thirds of a unit
    expectNear(cameraPosition(), SbVec3f(1.5f, -3, 1.5f + 1.0f), 1e-5f);

    press(KEY_A, false);
    press(KEY_Z);
    step(0.02);
    expectNear(cameraPosition(), SbVec3f(1.5f, -3, 1.5f + 2.0f / 3), 1e-5f);

    press(KEY_A);  // forwards and back again in one step
    step(0.02);
    expectNear(cameraPosition(), SbVec3f(1.5f, -3, 1.5f + 2.0f / 3), 1e-5f);
    EXPECT_EQ(cameraThrust, 0);
}

TEST_F(SteeringTest, InPhysicsModeAAndZSetTheThrustInsteadOfMoving) {
    press(KEY_E);
    press(KEY_A);
    step(0.02);
    EXPECT_TRUE(physicsEnabled);
    EXPECT_FLOAT_EQ(cameraThrust, 0.002f);
    // Only one step of velocity: no free-flight stride of a third of a unit.
    EXPECT_LT((cameraPosition() - SbVec3f(1.5f, -3, 1.5f)).length(), 0.01f);

    press(KEY_E, false);
    press(KEY_A, false);
    step(0.02);
    EXPECT_EQ(cameraThrust, 0);

    press(KEY_Z);
    step(0.02);
    EXPECT_FLOAT_EQ(cameraThrust, -0.002f);
    press(KEY_A);
    step(0.02);
    EXPECT_FLOAT_EQ(cameraThrust, -0.002f);
}

}  // namespace
