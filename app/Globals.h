#pragma once

#include <Inventor/SbLinear.h>

#include "city/CityBuilder.h"

class CollisionObject;
class OctTree;
class RecordFiling;
class SoOneShotSensor;
class SoPerfGraph;
class SoPerspectiveCamera;
class SoSeparator;

// The application's globals, set up by main and shared with the simulation.
extern OctTree* octree;
extern SoPerspectiveCamera* camera;
extern CollisionObject* cameraObject;
extern SoOneShotSensor* tickSensor;
extern SoPerfGraph* costGraph;
extern SoPerfGraph* fpsGraph;
extern SbVec3f viewDirection;
extern SbVec3f upDirection;
extern SbVec3f rightDirection;
extern SbVec3f gravity;
extern float turnWeight;
extern float turnInertia;
extern CityBuilder cityBuilder;

// Start-up's camera: the three directions set to their start, camera made
// at (1.5, -3, 1.5) looking along viewDirection and added to root, and
// cameraObject made around it and filed in the index.
void startCamera(SoSeparator* root, RecordFiling& index);

// Deletes the flying craft's records, which the program owns, and nulls their
// entries in cityBuilder.flyingObjects: after the main loop, or just before
// Escape ends the process from inside it.
void releaseFlyingObjectRecords();
