#pragma once

#include <Inventor/SbLinear.h>

class SoMatrixTransform;
class SoSeparator;

// Motion state and scene nodes of one flying craft.
class FlyingObject {
public:
    // Builds the craft's subtree under group and draws its colour; with a
    // null group (a craft of a swarm, drawn by the swarm's node) it builds no
    // nodes, draws nothing and leaves transformNode null.
    FlyingObject(float x, float y, float z, float auxFactor, float thrustFactor, SbVec3f motion,
                 int kind, SoSeparator* group);

    SbVec3f thrustDirection;
    SbVec3f velocity;
    SbVec3f orbitCentre;
    float orbitRadius;
    float auxFactor;
    float thrustFactor;
    int kind;
    SbMatrix transform;
    SoMatrixTransform* transformNode;
    SoSeparator* parentGroup;
    float currentPosition[3];
    bool steering;
};
