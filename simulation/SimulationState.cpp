#include "simulation/SimulationState.h"

namespace {

const SbVec3f atRest(0, 0, 0);
const float phaseStart = 0.001f;

}  // namespace

bool physicsEnabled = false;
bool cameraObjectStale = true;
float flightSpeed = 1.0f;
float cameraThrust = 0.0f;
SbVec3f cameraVelocity = atRest;
float orbitPhase = phaseStart;

void resetSimulationState() {
    physicsEnabled = false;
    cameraObjectStale = true;
    flightSpeed = 1.0f;
    cameraThrust = 0.0f;
    cameraVelocity = atRest;
    orbitPhase = phaseStart;
}
