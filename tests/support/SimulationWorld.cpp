#include "tests/support/SimulationWorld.h"

#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>

#include "app/Globals.h"
#include "city/FlyingObject.h"
#include "octree/CollisionObject.h"
#include "octree/OctTree.h"
#include "simulation/SimulationState.h"

void placeCameraAtStart(SoSeparator* root) {
    camera = new SoPerspectiveCamera;
    root->addChild(camera);
    camera->position.setValue(1.5f, -3, 1.5f);
    viewDirection.setValue(0, 0, 1);
    cameraVelocity.setValue(0, 0, 0);
    cameraObject = new CollisionObject(1.5f, -3, 1.5f,
                                       new SbBox3f(1.45f, -3.05f, 1.45f, 1.55f, -2.95f, 1.55f));
    octree->insert(*cameraObject);
    gravity.setValue(0, 0.00015f, 0);
    orbitPhase = 0.001f;
}

void releaseSimulationWorld() {
    SbList<CollisionObject*>& craft = cityBuilder.flyingObjects;
    for (int i = 0; i < craft.getLength(); ++i) {
        if (craft[i]) {  // the program's tear-down leaves null entries
            delete craft[i]->owner;
            delete craft[i]->box;
            delete craft[i];
        }
    }
    craft.truncate(0);
    // A swarm's node goes with the scene it was added to.
    cityBuilder.swarm = nullptr;
    cityBuilder.swarmFirst = 0;
    if (cameraObject) {
        delete cameraObject->box;
        delete cameraObject;
        cameraObject = nullptr;
    }
    delete octree;
    octree = nullptr;
}
