#include "simulation/CameraSteering.h"

#include <Inventor/nodes/SoPerspectiveCamera.h>

#include "app/Globals.h"
#include "app/KeyStateTable.h"
#include "simulation/SimulationState.h"

namespace {

const float thrustStep = 0.002f;

bool held(KeyRow row) {
    return keyDown(row);
}

void turnAndReaim(SbVec3f& a, SbVec3f& b, float frameFactor) {
    turnTowards(a, b, frameFactor);
    reaimCamera();
}

// Turns a towards the negation of b; b is restored to its own sense afterwards.
void turnAwayAndReaim(SbVec3f& a, SbVec3f& b, float frameFactor) {
    b.negate();
    turnTowards(a, b, frameFactor);
    b.negate();
    reaimCamera();
}

}  // namespace

void turnTowards(SbVec3f& a, SbVec3f& b, float frameFactor) {
    const SbVec3f a0 = a;
    const SbVec3f b0 = b;
    a = a0 * turnInertia * frameFactor + b0 * turnWeight;
    a.normalize();
    b = b0 * turnInertia * frameFactor + (-a0) * turnWeight;
    b.normalize();
}

void reaimCamera() {
    camera->pointAt(camera->position.getValue() + viewDirection, upDirection);
}

void steerCamera(float frameFactor) {
    if (held(KEY_W)) {
        turnAndReaim(viewDirection, rightDirection, frameFactor);
    }
    if (held(KEY_Q)) {
        turnAwayAndReaim(viewDirection, rightDirection, frameFactor);
    }
    if (held(KEY_DOWN_ARROW)) {
        turnAndReaim(viewDirection, upDirection, frameFactor);
    }
    if (held(KEY_UP_ARROW)) {
        turnAwayAndReaim(viewDirection, upDirection, frameFactor);
    }
    if (held(KEY_RIGHT_ARROW)) {
        turnAwayAndReaim(rightDirection, upDirection, frameFactor);
    }
    if (held(KEY_LEFT_ARROW)) {
        turnAndReaim(rightDirection, upDirection, frameFactor);
    }
}

void handleMoveKeys(float frameFactor, bool physics) {
    const float stride = (flightSpeed / 3) * frameFactor;
    if (held(KEY_A)) {
        if (physics) {
            cameraThrust = thrustStep;
        } else {
            camera->position.setValue(camera->position.getValue() + viewDirection * stride);
        }
    } else {
        cameraThrust = 0;
    }
    if (held(KEY_Z)) {
        if (physics) {
            cameraThrust = -thrustStep;
        } else {
            camera->position.setValue(camera->position.getValue() - viewDirection * stride);
        }
    }
}
