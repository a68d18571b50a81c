#include <Inventor/SoDB.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/sensors/SoOneShotSensor.h>
#include <gtest/gtest.h>

#include "app/FrameTick.h"
#include "app/Globals.h"
#include "perfgraph/SoPerfGraph.h"
#include "simulation/Session.h"

namespace {

TEST(FrameTick, FirstTickOnlyRecordsTheTimeLaterTicksStepOnce) {
    SoDB::init();
    SoPerfGraph::initClass();
    SoPerfGraph* graph = new SoPerfGraph;
    graph->ref();
    fpsGraph = graph;
    SoPerspectiveCamera* cam = new SoPerspectiveCamera;
    cam->ref();
    camera = cam;

    Session session;
    SoOneShotSensor sensor(frameTick, &session);
    lastTickTime = SbTime::zero();

    SbTime before = SbTime::getTimeOfDay();
    frameTick(&session, &sensor);
    EXPECT_EQ(session.ticks, 0u) << "the first tick runs no step";
    EXPECT_GE(lastTickTime.getValue(), before.getValue());
    EXPECT_TRUE(sensor.isScheduled()) << "the tick schedules itself again";
    sensor.unschedule();

    // A tick 20 ms later runs exactly one step and records its time.
    lastTickTime = SbTime::getTimeOfDay() - SbTime(0.02);
    SbTime previous = lastTickTime;
    frameTick(&session, &sensor);
    EXPECT_EQ(session.ticks, 1u);
    EXPECT_GT(lastTickTime.getValue(), previous.getValue());
    EXPECT_TRUE(sensor.isScheduled());
    sensor.unschedule();

    // After a pause of the loop the next tick only takes the time again: the
    // pause is no step's interval.
    lastTickTime = SbTime::getTimeOfDay() - SbTime(30.0);
    restartFrameTick();
    frameTick(&session, &sensor);
    EXPECT_EQ(session.ticks, 1u);
    EXPECT_GT(lastTickTime.getValue(), previous.getValue());
    sensor.unschedule();

    // A clock that went back (or did not move) gives no step and no sample;
    // the next tick measures from the new reading.
    lastTickTime = SbTime::getTimeOfDay() + SbTime(3600.0);
    frameTick(&session, &sensor);
    EXPECT_EQ(session.ticks, 1u);
    EXPECT_LT(lastTickTime.getValue(), SbTime::getTimeOfDay().getValue() + 1.0);
    EXPECT_TRUE(sensor.isScheduled());
    sensor.unschedule();

    fpsGraph = nullptr;
    camera = nullptr;
    graph->unref();
    cam->unref();
}

}  // namespace
