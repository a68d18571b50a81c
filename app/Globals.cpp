#include "app/Globals.h"

#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>

#include "octree/CollisionObject.h"
#include "spatialindex/RecordFiling.h"

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

void startCamera(SoSeparator* root, RecordFiling& index) {
    viewDirection.setValue(0, 0, 1);
    upDirection.setValue(0, -1, 0);
    rightDirection.setValue(1, 0, 0);

    camera = new SoPerspectiveCamera;
    camera->farDistance = 2048;
    camera->nearDistance = 0.05f;
    camera->position.setValue(1.5f, -3, 1.5f);
    camera->pointAt(camera->position.getValue() + viewDirection, upDirection);
    root->addChild(camera);

    SbBox3f* cameraBox = new SbBox3f(1.45f, -3.05f, 1.45f, 1.55f, -2.95f, 1.55f);
    cameraObject = new CollisionObject(1.5f, -3, 1.5f, cameraBox);
    index.insert(*cameraObject);
}

void releaseFlyingObjectRecords() {
    SbList<CollisionObject*>& records = cityBuilder.flyingObjects;
    for (int i = 0; i < records.getLength(); ++i) {
        delete records[i];
        records[i] = nullptr;
    }
}
