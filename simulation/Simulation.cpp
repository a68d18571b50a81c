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
#include "simulation/SimulationState.h"

namespace {

unsigned long physicsSteps = 0;
unsigned long cameraStillSteps = 0;

// With BRENNOC_CAMERA_TRACE set, Escape reports where the camera ended, so that
// a test driving the real program can see it.
void reportCamera() {
    if (!std::getenv("BRENNOC_CAMERA_TRACE") || !camera) {
        return;
    }
    const SbVec3f at = camera->position.getValue();
    printMachineLine(stderr, "\ncamera at %.6f %.6f %.6f after %lu physics steps, still for %lu\n",
                     at[0], at[1], at[2], physicsSteps, cameraStillSteps);
}

}  // namespace

void simulationStep(SbTime interval) {
    const float frameFactor = static_cast<float>(1.0 / (interval.getValue() * 50));
    if (keyDown(KEY_ESCAPE)) {
        reportCamera();
        // main's tear-down never runs after this exit.
        releaseFlyingObjectRecords();
        std::exit(0);
    }
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

    if (physicsEnabled) {
        const SbTime start = SbTime::getTimeOfDay();
        moveFlyingObjects(frameFactor);
        const bool cameraMoved = moveCamera(frameFactor);
        const SbTime end = SbTime::getTimeOfDay();
        costSink(static_cast<float>((end - start).getValue() * 1e6));
        ++physicsSteps;
        cameraStillSteps = cameraMoved ? 0 : cameraStillSteps + 1;
    } else {
        cameraObjectStale = true;
    }
}
