#include <Inventor/nodes/SoPerspectiveCamera.h>

#include <cstdlib>
#include <vector>

#include "SimulationFixture.h"
#include "app/Globals.h"
#include "app/KeyStateTable.h"
#include "city/FlyingObject.h"
#include "simulation/SimulationState.h"

namespace {

std::vector<float> samples;

void recordSample(float microseconds) {
    samples.push_back(microseconds);
}

class StepTest : public SimulationTest {
protected:
    void SetUp() override {
        SimulationTest::SetUp();
        samples.clear();
        costSink = recordSample;
    }
};

TEST_F(StepTest, PhysicsSwitchAndItsCostSamples) {
    FlyingObject* craft = addCraft(SbVec3f(-30, -90, -30), true);
    craft->velocity.setValue(0.01f, 0, 0);
    const SbVec3f parked = positionOf(*craft);
    for (int i = 0; i < 10; ++i) {
        step();
    }
    EXPECT_TRUE(samples.empty());
    EXPECT_EQ(positionOf(*craft), parked);  // frozen in free flight
    EXPECT_TRUE(cameraObjectStale);

    cameraVelocity.setValue(1, 1, 1);
    press(KEY_E);
    press(KEY_R);
    step();
    EXPECT_FALSE(physicsEnabled);
    EXPECT_EQ(cameraVelocity, SbVec3f(0, 0, 0));
    EXPECT_TRUE(samples.empty());
    EXPECT_TRUE(cameraObjectStale);

    press(KEY_R, false);
    for (int i = 0; i < 5; ++i) {
        step();  // held E resets the velocity every step: one step of gravity
        EXPECT_NEAR(cameraVelocity[1], 0.00015f, 1e-9f);
    }
    EXPECT_TRUE(physicsEnabled);
    EXPECT_FALSE(cameraObjectStale);
    EXPECT_NE(positionOf(*craft), parked);
    ASSERT_EQ(samples.size(), 5u);
    for (float sample : samples) {
        EXPECT_GE(sample, 0);
        EXPECT_LT(sample, 1e6f);
    }

    press(KEY_E, false);
    press(KEY_R);
    step();
    EXPECT_FALSE(physicsEnabled);
    EXPECT_TRUE(cameraObjectStale);
    EXPECT_EQ(samples.size(), 5u);
}

TEST_F(StepTest, StepLengthScalesTheFreeFlightStride) {
    press(KEY_A);
    step(0.04);  // frameFactor 0.5
    EXPECT_NEAR(cameraPosition()[2], 1.5f + 1.0f / 6, 1e-6f);
}

TEST_F(StepTest, EmptyOrBackwardIntervalChangesNothing) {
    FlyingObject* craft = addCraft(SbVec3f(-30, -90, -30), true);
    press(KEY_E);
    step();
    samples.clear();
    const SbVec3f craftAt = positionOf(*craft);
    const SbVec3f cameraAt = cameraPosition();
    const float phase = orbitPhase;
    press(KEY_W);
    press(KEY_A);
    press(KEY_R);
    for (double interval : {0.0, -0.02, 1e-320}) {
        step(interval);
    }
    EXPECT_EQ(viewDirection, SbVec3f(0, 0, 1));
    EXPECT_EQ(cameraPosition(), cameraAt);
    EXPECT_EQ(positionOf(*craft), craftAt);
    EXPECT_EQ(orbitPhase, phase);
    EXPECT_TRUE(physicsEnabled);
    EXPECT_TRUE(samples.empty());
}

TEST_F(StepTest, EscapeEndsTheProcessWithSuccess) {
    press(KEY_ESCAPE);
    press(KEY_W);
    EXPECT_EXIT(step(), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(step(0), ::testing::ExitedWithCode(0), "");
}

}  // namespace
