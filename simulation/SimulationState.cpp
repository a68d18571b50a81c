#include "simulation/SimulationState.h"

namespace {

const SbVec3f atRest(0, 0, 0);

}  // namespace

bool physicsEnabled = false;
bool cameraObjectStale = true;
float flightSpeed = 1.0f;
float cameraThrust = 0.0f;
SbVec3f cameraVelocity = atRest;
const float orbitPhaseStart = 0.001f;
float orbitPhase = orbitPhaseStart;

void resetSimulationState() {
    physicsEnabled = false;
    cameraObjectStale = true;
    flightSpeed = 1.0f;
    cameraThrust = 0.0f;
    cameraVelocity = atRest;
    orbitPhase = orbitPhaseStart;
}
