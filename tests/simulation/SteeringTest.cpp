#include <Inventor/nodes/SoPerspectiveCamera.h>

#include <cmath>

#include "SimulationFixture.h"
#include "app/Globals.h"
#include "app/KeyStateTable.h"
#include "octree/CollisionObject.h"
#include "simulation/SimulationState.h"

namespace {

const float inertia = 25.132741f;  // 8 pi

void expectNear(const SbVec3f& actual, const SbVec3f& expected, float tolerance = 1e-6f) {
    EXPECT_LT((actual - expected).length(), tolerance)
        << actual[0] << " " << actual[1] << " " << actual[2];
}

SbVec3f unit(SbVec3f v) {
    v.normalize();
    return v;
}

double degreesFromStart() {
    return std::acos(viewDirection[2]) * 180 / M_PI;
}

using SteeringTest = SimulationTest;

TEST_F(SteeringTest, TurnsRotateTheirPairAndReaimTheCamera) {
    press(KEY_W);
    step();
    expectNear(viewDirection, unit(SbVec3f(1, 0, inertia)));
    expectNear(rightDirection, unit(SbVec3f(inertia, 0, -1)));
    EXPECT_EQ(upDirection, SbVec3f(0, -1, 0));
    SbVec3f look;
    SbVec3f up;
    camera->orientation.getValue().multVec(SbVec3f(0, 0, -1), look);
    camera->orientation.getValue().multVec(SbVec3f(0, 1, 0), up);
    expectNear(look, viewDirection, 1e-5f);
    expectNear(up, upDirection, 1e-5f);

    // Left after right in every step: back where it started, up to rounding.
    press(KEY_Q);
    for (int i = 0; i < 500; ++i) {
        step();
    }
    expectNear(viewDirection, unit(SbVec3f(1, 0, inertia)), 1e-5f);
    expectNear(rightDirection, unit(SbVec3f(inertia, 0, -1)), 1e-5f);
}

TEST_F(SteeringTest, EachKeyTurnsTheWayItsNameSays) {
    const float s = std::sin(std::atan(1 / inertia));
    struct Case {
        int key;
        SbVec3f* turned;
        SbVec3f expected;
    };
    const Case cases[] = {
        {KEY_Q, &viewDirection, SbVec3f(-s, 0, 0)},            // left
        {KEY_DOWN_ARROW, &viewDirection, SbVec3f(0, -s, 0)},   // up, which is -y
        {KEY_UP_ARROW, &viewDirection, SbVec3f(0, s, 0)},      // down
        {KEY_RIGHT_ARROW, &rightDirection, SbVec3f(0, s, 0)},  // right side dips
        {KEY_LEFT_ARROW, &rightDirection, SbVec3f(0, -s, 0)},  // right side rises
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        viewDirection.setValue(0, 0, 1);
        upDirection.setValue(0, -1, 0);
        rightDirection.setValue(1, 0, 0);
        press(c.key);
        step();
        press(c.key, false);
        const SbVec3f start = c.turned == &viewDirection ? SbVec3f(0, 0, 1) : SbVec3f(1, 0, 0);
        expectNear(*c.turned, c.expected + start * std::cos(std::atan(1 / inertia)));
    }
}

TEST_F(SteeringTest, TurnRateIsAbout114DegreesPerSecondAtAnyStepRate) {
    press(KEY_W);
    for (int rate : {25, 50, 100, 200}) {
        viewDirection.setValue(0, 0, 1);
        rightDirection.setValue(1, 0, 0);
        for (int i = 0; i < rate; ++i) {
            step(1.0 / rate);
        }
        EXPECT_NEAR(degreesFromStart(), 114.0, 0.5) << rate << " steps per second";
    }
}

TEST_F(SteeringTest, AAndZMoveTheCameraInFreeFlightAndSetTheThrustInPhysics) {
    const SbBox3f* filed = cameraObject->box;
    press(KEY_A);
    step();
    expectNear(cameraPosition(), SbVec3f(1.5f, -3, 1.5f + 1.0f / 3));
    step(0.01);  // a stride of two thirds at 100 steps per second
    expectNear(cameraPosition(), SbVec3f(1.5f, -3, 2.5f), 1e-5f);
    press(KEY_Z);
    step();  // forwards and back in one step
    expectNear(cameraPosition(), SbVec3f(1.5f, -3, 2.5f), 1e-5f);
    EXPECT_EQ(cameraObject->box, filed);  // free flight leaves the octree alone
    EXPECT_EQ(copiesInTree().count(filed), 1u);

    press(KEY_E);
    step();
    EXPECT_FLOAT_EQ(cameraThrust, -0.002f);  // Z wins over A
    press(KEY_Z, false);
    step();
    EXPECT_FLOAT_EQ(cameraThrust, 0.002f);
    EXPECT_LT((cameraPosition() - SbVec3f(1.5f, -3, 2.5f)).length(), 0.01f);
    press(KEY_A, false);
    step();
    EXPECT_EQ(cameraThrust, 0);
}

}  // namespace
