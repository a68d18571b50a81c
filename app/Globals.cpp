#include "app/Globals.h"

#include "octree/CollisionObject.h"

OctTree* octree = nullptr;
SoPerspectiveCamera* camera = nullptr;
CollisionObject* cameraObject = nullptr;
SoOneShotSensor* tickSensor = nullptr;
SoPerfGraph* costGraph = nullptr;
SoPerfGraph* fpsGraph = nullptr;
SbVec3f viewDirection(0, 0, 1);
SbVec3f upDirection(0, -1, 0);
SbVec3f rightDirection(1, 0, 0);
SbVec3f gravity(0, 0.00015f, 0);
float turnWeight = 1.0f;
float turnInertia = 25.132741f;
CityBuilder cityBuilder;

void releaseFlyingObjectRecords() {
    SbList<CollisionObject*>& records = cityBuilder.flyingObjects;
    for (int i = 0; i < records.getLength(); ++i) {
        delete records[i];
        records[i] = nullptr;
    }
}
