#include "simulation/Simulation.h"

#include <Inventor/nodes/SoPerspectiveCamera.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/Globals.h"
#include "app/KeyStateTable.h"
#include "app/MachineLine.h"
#include "simulation/CameraSteering.h"
#include "simulation/Motion.h"
#include "simulation/Session.h"
#include "simulation/SimulationState.h"

namespace {

// With the camera trace chosen, Escape reports where the camera ended, so that
// a test driving the real program can see it.
void reportCamera(const Session& session) {
    if (!session.cameraTrace || !camera) {
        return;
    }
    const SbVec3f at = camera->position.getValue();
    printMachineLine(stderr, "\ncamera at %.6f %.6f %.6f after %lu physics steps, still for %lu\n",
                     at[0], at[1], at[2], session.physicsSteps, session.cameraStillSteps);
}

// The longest interval one step integrates. A tick after a stall (the process
// stopped, a debugger, a busy machine) measures the whole stall; integrated in
// one step, it would turn the steering and thrust divisors to nearly nothing
// and fling every craft far away. Longer intervals count as this one: the
// simulation falls behind the clock instead. Well above any slow frame.
const double longestStepSeconds = 0.25;

SbTime boundedInterval(const SbTime& interval) {
    return interval.getValue() > longestStepSeconds ? SbTime(longestStepSeconds) : interval;
}

float frameFactorOf(const SbTime& interval) {
    return static_cast<float>(1.0 / (interval.getValue() * 50));
}

// The frame factor this step's physics integrates with, or 0 when, paused, it
// has no single step to make.
float physicsFrameFactor(const SbTime& interval, Session& session) {
    if (!session.paused) {
        session.lastPhysicsInterval = interval;
        return frameFactorOf(interval);
    }
    if (session.singleStepsAsked == 0) {
        return 0;
    }
    --session.singleStepsAsked;
    const bool unpausedBefore = session.lastPhysicsInterval > SbTime::zero();
    return frameFactorOf(unpausedBefore ? session.lastPhysicsInterval : interval);
}

}  // namespace

void simulationStep(SbTime measured, Session& session) {
    const SbTime interval = boundedInterval(measured);
    const float frameFactor = frameFactorOf(interval);
    if (keyDown(KEY_ESCAPE)) {
        reportCamera(session);
        countMoversOutside(session);
        // main's tear-down never runs after this exit.
        releaseFlyingObjectRecords();
        std::exit(session.exitCode);
    }
    // After Escape: queued switches never delay the end.
    session.switchIndexAsked();
    // A zero or backward interval makes frameFactor infinite or negative, which
    // would flip the turn weights and the thrust: such a step does nothing.
    if (!(frameFactor > 0) || std::isinf(frameFactor)) {
        return;
    }

    steerCamera(frameFactor);

    if (keyDown(KEY_E)) {
        physicsEnabled = true;
        cameraVelocity.setValue(0, 0, 0);
    }
    if (keyDown(KEY_R)) {
        physicsEnabled = false;
    }

    handleMoveKeys(frameFactor, physicsEnabled);
    clearPressesSinceStep();

    if (!physicsEnabled) {
        cameraObjectStale = true;
        session.singleStepsAsked = 0;
        return;
    }
    const float physicsFactor = physicsFrameFactor(interval, session);
    if (physicsFactor > 0) {
        // The lower graph shows the moves alone: the swarm's drawing data and
        // the index's upkeep come after the end reading.
        const SbTime start = SbTime::getTimeOfDay();
        moveFlyingObjects(physicsFactor, session);
        const bool cameraMoved = moveCamera(physicsFactor, session);
        const SbTime end = SbTime::getTimeOfDay();
        cityBuilder.showFlyingObjects();
        finishMoves(session);
        session.physicsStepTaken(static_cast<float>((end - start).getValue() * 1e6), end);
        session.cameraStillSteps = cameraMoved ? 0 : session.cameraStillSteps + 1;
    }
}
