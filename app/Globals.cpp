#include "app/Globals.h"

#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>

#include "octree/CollisionObject.h"
#include "spatialindex/RecordFiling.h"
#include "world/WorldConstants.h"

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
    camera->position.setValue(cameraStartPosition());
    camera->pointAt(camera->position.getValue() + viewDirection, upDirection);
    root->addChild(camera);

    SbBox3f* cameraBox = new SbBox3f(cameraStartBox());
    const SbVec3f start = cameraStartPosition();
    cameraObject = new CollisionObject(start[0], start[1], start[2], cameraBox);
    index.insert(*cameraObject);
}

void releaseFlyingObjectRecords() {
    SbList<CollisionObject*>& records = cityBuilder.flyingObjects;
    for (int i = 0; i < records.getLength(); ++i) {
        delete records[i];
        records[i] = nullptr;
    }
}
