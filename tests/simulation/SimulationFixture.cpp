#include "SimulationFixture.h"

#include <Inventor/SoDB.h>
#include <Inventor/nodes/SoEventCallback.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>

#include "app/Globals.h"
#include "app/KeyStateTable.h"
#include "city/FlyingObject.h"
#include "octree/CollisionObject.h"
#include "octree/OctTree.h"
#include "simulation/Motion.h"
#include "simulation/Simulation.h"
#include "simulation/SimulationState.h"
#include "spatialindex/IndexSet.h"
#include "tests/support/KeyEvents.h"
#include "tests/support/SimulationWorld.h"

namespace {

void collect(const OctTree* node, std::map<const SbBox3f*, int>& copies) {
    for (int i = 0; i < node->objectCount; ++i) {
        ++copies[node->objects[i].box];
    }
    for (const OctTree* child : node->children) {
        if (child) {
            collect(child, copies);
        }
    }
}

}  // namespace

std::map<const SbBox3f*, int> copiesInTree() {
    std::map<const SbBox3f*, int> copies;
    collect(octree, copies);
    return copies;
}

SbVec3f centreOf(const SbBox3f& box) {
    return (box.getMin() + box.getMax()) / 2;
}

SbVec3f positionOf(const FlyingObject& object) {
    const float* p = object.currentPosition;
    return SbVec3f(p[0], p[1], p[2]);
}

SbVec3f cameraPosition() {
    return camera->position.getValue();
}

void SimulationTest::SetUp() {
    SoDB::init();
    root = new SoSeparator;
    root->ref();
    startWorld(root, session, indexes);
    keyboard = new SoSeparator;
    keyboard->ref();
    SoEventCallback* callback = new SoEventCallback;
    callback->addEventCallback(SoKeyboardEvent::getClassTypeId(), onKeyboardEvent, keyboard);
    keyboard->addChild(callback);
}

void SimulationTest::TearDown() {
    indexes.reset();
    releaseSimulationWorld();
    keyboard->unref();
    root->unref();
}

void SimulationTest::placeCamera(const SbVec3f& position) {
    if (cameraObject) {
        session.index().remove(*cameraObject);
        delete cameraObject->box;
        delete cameraObject;
    }
    camera->position.setValue(position);
    const SbVec3f half(0.05f, 0.05f, 0.05f);
    cameraObject = new CollisionObject(position[0], position[1], position[2],
                                       new SbBox3f(position - half, position + half));
    session.index().insert(*cameraObject);
}

void SimulationTest::addObstacle(const SbVec3f& min, const SbVec3f& max) {
    obstacles.push_back(std::make_unique<SbBox3f>(min, max));
    session.index().insert(CollisionObject(0, 0, 0, obstacles.back().get()));
}

FlyingObject* SimulationTest::addCraft(const SbVec3f& centre, bool steering) {
    FlyingObject* object =
        new FlyingObject(centre[0], centre[1], centre[2], 0, 0, SbVec3f(0, 0, 0), 2, root);
    object->steering = steering;
    CollisionObject* record = new CollisionObject(
        1, 0.5f, 1, centre[0], centre[1], centre[2],
        new SbBox3f(centre - craftHalfExtent, centre + craftHalfExtent), object);
    session.index().insert(*record);
    cityBuilder.flyingObjects.append(record);
    return object;
}

void SimulationTest::press(int row, bool pressed) {
    KeyStateTable[row].pressed = pressed;
}

void SimulationTest::tap(SoKeyboardEvent::Key key) {
    sendKeyEvent(keyboard, key, SoButtonEvent::DOWN);
    sendKeyEvent(keyboard, key, SoButtonEvent::UP);
}

void SimulationTest::step(double seconds) {
    simulationStep(SbTime(seconds), session);
}
