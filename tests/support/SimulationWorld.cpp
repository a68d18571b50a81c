#include "tests/support/SimulationWorld.h"

#include <Inventor/SbTime.h>
#include <Inventor/SoDB.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>

#include "app/Globals.h"
#include "app/KeyStateTable.h"
#include "city/CityElement.h"
#include "city/ElementGrid.h"
#include "city/FlyingObject.h"
#include "octree/CollisionObject.h"
#include "octree/OctTree.h"
#include "simulation/Simulation.h"
#include "simulation/SimulationState.h"
#include "world/BuildWorld.h"
#include "world/WorldConstants.h"

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

void releaseCity(CityBuilder& builder) {
    if (!builder.grid) {
        return;
    }
    for (auto& row : builder.grid->cells) {
        for (CityElement*& element : row) {
            delete element;
            element = nullptr;
        }
    }
    delete builder.grid;
    builder.grid = nullptr;
}

namespace {

// Coin, the step's and the key table's start values, and the octree over the
// world's region with a fresh set of indexes in the session.
void prepareWorld(Session& session, std::unique_ptr<IndexSet>& indexes) {
    SoDB::init();
    releaseHeldKeys();
    clearPressesSinceStep();
    resetSimulationState();
    octree = new OctTree(worldRegion());
    indexes.reset(new IndexSet(*octree));
    session.indexes = indexes.get();
}

}  // namespace

void startWorld(SoSeparator* root, Session& session, std::unique_ptr<IndexSet>& indexes) {
    prepareWorld(session, indexes);
    startCamera(root, session.index());
}

SeededWorld::SeededWorld(int seed, int craft, int index) {
    SoDB::init();
    root = new SoSeparator;
    root->ref();
    prepareWorld(session, indexes);
    indexes->choose(index);
    buildWorld(root, *indexes, seed, craft);
}

SeededWorld::~SeededWorld() {
    // The boxes of the ground, the streets and the buildings are held by the
    // index alone: all but the movers' go with it.
    std::vector<CollisionObject> records;
    session.index().collect(records);
    for (const CollisionObject& record : records) {
        if (record.owner == nullptr && record.box != cameraObject->box) {
            delete record.box;
        }
    }
    indexes.reset();
    releaseSimulationWorld();
    // The program's builder gets the empty grid it starts with, for the next
    // world.
    releaseCity(cityBuilder);
    cityBuilder.grid = new ElementGrid(10, 10);
    root->unref();
    // The swarm's node, if the craft had one, went with the scene.
    cityBuilder.swarm = nullptr;
}

void SeededWorld::step() {
    simulationStep(SbTime(0.02), session);
}

std::vector<SbVec3f> SeededWorld::positions() const {
    std::vector<SbVec3f> at;
    const SbList<CollisionObject*>& craft = cityBuilder.flyingObjects;
    for (int i = 0; i < craft.getLength(); ++i) {
        at.emplace_back(craft[i]->owner->currentPosition);
    }
    at.push_back(camera->position.getValue());
    return at;
}

int SeededWorld::overlappingPairs() const {
    std::vector<CollisionObject> records;
    indexes->active().collect(records);
    int pairs = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        for (std::size_t j = i + 1; j < records.size(); ++j) {
            pairs += OctTree::boxesOverlap(*records[i].box, *records[j].box) ? 1 : 0;
        }
    }
    return pairs;
}
