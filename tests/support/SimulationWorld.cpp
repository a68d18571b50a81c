#include "tests/support/SimulationWorld.h"

#include "app/Globals.h"
#include "city/FlyingObject.h"
#include "octree/CollisionObject.h"
#include "octree/OctTree.h"

void releaseSimulationWorld() {
    SbList<CollisionObject*>& craft = cityBuilder.flyingObjects;
    for (int i = 0; i < craft.getLength(); ++i) {
        delete craft[i]->owner;
        delete craft[i]->box;
        delete craft[i];
    }
    craft.truncate(0);
    if (cameraObject) {
        delete cameraObject->box;
        delete cameraObject;
        cameraObject = nullptr;
    }
    delete octree;
    octree = nullptr;
}
