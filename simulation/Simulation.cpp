#include "simulation/Simulation.h"

#include <cmath>
#include <cstdlib>

#include "app/KeyStateTable.h"
#include "simulation/CameraSteering.h"
#include "simulation/Motion.h"
#include "simulation/SimulationState.h"

void simulationStep(SbTime interval) {
    const float frameFactor = static_cast<float>(1.0 / (interval.getValue() * 50));
    if (KeyStateTable[KEY_ESCAPE].pressed) {
        std::exit(0);
    }
    // A zero or backward interval makes frameFactor infinite or negative, which
    // would flip the turn weights and the thrust: such a step does nothing.
    if (!(frameFactor > 0) || std::isinf(frameFactor)) {
        return;
    }

    steerCamera(frameFactor);

    if (KeyStateTable[KEY_E].pressed) {
        physicsEnabled = true;
        cameraVelocity.setValue(0, 0, 0);
    }
    if (KeyStateTable[KEY_R].pressed) {
        physicsEnabled = false;
    }

    handleMoveKeys(frameFactor, physicsEnabled);

    if (physicsEnabled) {
        const SbTime start = SbTime::getTimeOfDay();
        moveFlyingObjects(frameFactor);
        moveCamera(frameFactor);
        const SbTime end = SbTime::getTimeOfDay();
        costSink(static_cast<float>((end - start).getValue() * 1e6));
    } else {
        cameraObjectStale = true;
    }
}
