#pragma once

#include <Inventor/SbLinear.h>

// Rotates the pair (a, b) in their plane, a towards b, by atan(turnWeight /
// (turnInertia * frameFactor)); both stay unit vectors.
void turnTowards(SbVec3f& a, SbVec3f& b, float frameFactor);

// Points the camera along viewDirection with upDirection as its up vector.
void reaimCamera();

// The six turn keys, in their fixed order, each followed by a re-aim.
void steerCamera(float frameFactor);

// A and Z: move the camera in free flight, set its thrust in physics mode.
void handleMoveKeys(float frameFactor, bool physics);
