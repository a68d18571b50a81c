// Placeholder so that the tree links; the flying craft replace this file.
#include "city/FlyingObject.h"

#include "city/CityBuilder.h"

FlyingObject::FlyingObject(float x, float y, float z, float auxFactor, float thrustFactor,
                           SbVec3f motion, int kind, SoSeparator* group)
    : thrustDirection(motion),
      velocity(motion),
      orbitCentre(x, y, z),
      orbitRadius(0),
      auxFactor(auxFactor),
      thrustFactor(thrustFactor),
      kind(kind),
      transformNode(nullptr),
      parentGroup(group),
      currentPosition{x, y, z},
      steering(true) {}

void CityBuilder::createFlyingObjects(int, int, SoSeparator*, OctTree&) {}
