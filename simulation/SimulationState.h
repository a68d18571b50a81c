#pragma once

#include <Inventor/SbLinear.h>

// Mode flags and motion state of the simulation, kept between steps.
extern bool physicsEnabled;
// The camera's record must be rebuilt at the camera's position before it takes
// part in collisions again (free-flight moves never touch the octree).
extern bool cameraObjectStale;
extern float flightSpeed;
extern float cameraThrust;
extern SbVec3f cameraVelocity;
// Phase of the orbit targets in degrees, shared by all flying objects, and
// where it starts and starts again after a full turn.
extern float orbitPhase;
extern const float orbitPhaseStart;

// Puts every value above back to the one it has before the first step.
void resetSimulationState();
