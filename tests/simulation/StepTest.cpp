#include <cmath>
#include <vector>

#include "SimulationFixture.h"
#include "app/Globals.h"
#include "app/KeyStateTable.h"
#include "city/FlyingObject.h"
#include "simulation/SimulationState.h"

namespace {

using StepTest = SimulationTest;

TEST_F(StepTest, PhysicsSwitchesWithEAndRAndOnlyPhysicsStepsAreTimed) {
    FlyingObject* craft = addCraft(SbVec3f(-30, -90, -30), true);
    const SbVec3f parked = positionOf(*craft);
    cameraVelocity.setValue(1, 1, 1);
    press(KEY_E);
    press(KEY_R);
    step();
    EXPECT_FALSE(physicsEnabled);
    EXPECT_EQ(cameraVelocity, SbVec3f(0, 0, 0));
    EXPECT_EQ(positionOf(*craft), parked);  // frozen in free flight
    EXPECT_TRUE(cameraObjectStale);

    press(KEY_R, false);
    for (int i = 0; i < 5; ++i) {
        step();  // held E resets the velocity: one step of gravity each time
        EXPECT_NEAR(cameraVelocity[1], 0.00015f, 1e-9f);
    }
    EXPECT_FALSE(cameraObjectStale);
    EXPECT_NE(positionOf(*craft), parked);
    EXPECT_EQ(session.physicsSteps, 5u);
    EXPECT_GE(session.physicsMicroseconds, 0);

    press(KEY_E, false);
    press(KEY_R);
    step();
    EXPECT_TRUE(cameraObjectStale);
    EXPECT_EQ(session.physicsSteps, 5u);
}

// Each physics step gives the lower graph one sample: the step's whole cost,
// or with indexCost only what that step spent inside index calls.
TEST_F(StepTest, TheGraphGetsTheWholeStepOrOnlyItsIndexShare) {
    session.indexTiming = true;
    for (int i = 0; i < 3; ++i) {
        addCraft(SbVec3f(-30 + 5 * i, -90, -30), true);
    }
    press(KEY_E);
    double wholeSteps = 0;
    for (bool indexShare : {false, true, false}) {
        session.indexCost = indexShare;
        const Session before = session;
        for (int i = 0; i < 20; ++i) {
            step();
        }
        ASSERT_EQ(session.physicsSteps - before.physicsSteps, 20u);
        const double spans = session.physicsMicroseconds - before.physicsMicroseconds;
        const double indexTime = session.indexMicroseconds - before.indexMicroseconds;
        const double graphed = session.graphMicroseconds - before.graphMicroseconds;
        EXPECT_GT(indexTime, 0);
        if (indexShare) {
            // Sample by sample the same sums, as floats: a loose bound.
            EXPECT_NEAR(graphed, indexTime, 1e-3 * indexTime + 1e-3);
            EXPECT_LE(graphed, spans);
        } else {
            EXPECT_DOUBLE_EQ(graphed, spans);
            wholeSteps += spans;
        }
    }
    EXPECT_GT(wholeSteps, 0);
}

TEST_F(StepTest, EmptyOrBackwardIntervalChangesNothing) {
    press(KEY_E);
    step();
    const SbVec3f cameraAt = cameraPosition();
    press(KEY_W);
    press(KEY_A);
    press(KEY_R);
    for (double interval : {0.0, -0.02, 1e-320}) {
        step(interval);
    }
    EXPECT_EQ(viewDirection, SbVec3f(0, 0, 1));
    EXPECT_EQ(cameraPosition(), cameraAt);
    EXPECT_TRUE(physicsEnabled);
    EXPECT_EQ(session.physicsSteps, 1u);
}

TEST_F(StepTest, EscapeEndsTheProcessWithSuccess) {
    press(KEY_ESCAPE);
    EXPECT_EXIT(step(), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(step(0), ::testing::ExitedWithCode(0), "");
}

// A quick tap: the press and its release both arrive before the step that
// follows. The step acts on it as on a key held through it, and only that step.
TEST_F(StepTest, KeyTappedBetweenStepsActsInTheNextStepOnce) {
    tap(SoKeyboardEvent::E);
    step();
    EXPECT_TRUE(physicsEnabled) << "E tapped between steps switches physics on";
    EXPECT_NEAR(cameraVelocity[1], 0.00015f, 1e-9f);
    step();
    EXPECT_GT(cameraVelocity[1], 0.00025f) << "the tap reset the velocity in the later step too";
    EXPECT_EQ(session.physicsSteps, 2u);

    tap(SoKeyboardEvent::Z);
    step();
    EXPECT_EQ(cameraThrust, -0.002f) << "Z tapped gives backward thrust for one step";
    step();
    EXPECT_EQ(cameraThrust, 0.0f);

    tap(SoKeyboardEvent::R);
    step();
    EXPECT_FALSE(physicsEnabled) << "R tapped between steps switches physics off";

    const SbVec3f before = cameraPosition();
    tap(SoKeyboardEvent::A);
    step();
    step();
    EXPECT_NEAR((cameraPosition() - before).length(), 1 / 3.0f, 1e-5f)
        << "A tapped in free flight moves the camera by one stride";

    tap(SoKeyboardEvent::DOWN_ARROW);
    step();
    step();
    EXPECT_NEAR(std::acos(viewDirection[2]), std::atan(1 / 25.132741f), 1e-5f)
        << "an arrow tapped turns the view by one step's angle";

    tap(SoKeyboardEvent::ESCAPE);
    EXPECT_EXIT(step(), ::testing::ExitedWithCode(0), "");
}

// P, N and I as the render area hands them over: press, then release.
void sessionKey(Session& session, SoKeyboardEvent::Key key) {
    for (SoButtonEvent::State state : {SoButtonEvent::DOWN, SoButtonEvent::UP}) {
        SoKeyboardEvent event;
        event.setKey(key);
        event.setState(state);
        EXPECT_TRUE(session.handleKey(&event)) << key;
    }
}

// Paused, only N moves anything: one physics step each, integrated over the
// interval of the last step that ran unpaused (0.02 s here, not the 0.04 s
// the paused ticks measure).
TEST_F(StepTest, PausedPhysicsStepsOnlyOnNWithTheLastRealInterval) {
    FlyingObject* craft = addCraft(SbVec3f(-30, -90, -30), true);
    press(KEY_E);
    step();
    press(KEY_E, false);
    sessionKey(session, SoKeyboardEvent::P);
    const SbVec3f parked = positionOf(*craft);
    const SbVec3f velocity = cameraVelocity;
    press(KEY_A);
    step(0.04);
    step(0.04);
    EXPECT_EQ(positionOf(*craft), parked);
    EXPECT_EQ(cameraVelocity, velocity);
    EXPECT_EQ(session.physicsSteps, 1u);

    sessionKey(session, SoKeyboardEvent::N);
    step(0.04);
    step(0.04);
    EXPECT_NE(positionOf(*craft), parked);
    EXPECT_EQ(session.physicsSteps, 2u) << "one step per N";
    EXPECT_NEAR(cameraVelocity[2], 0.002f, 1e-7f) << "the thrust of a 0.02 s step";

    sessionKey(session, SoKeyboardEvent::P);
    step();
    EXPECT_EQ(session.physicsSteps, 3u) << "P resumes";
}

}  // namespace
