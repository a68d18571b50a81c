// One physics step (all craft, then the camera) on the real city with 10, 100
// and 1000 craft: through the octree, and with every tried box tested against
// every other box as the baseline. Both start from the same craft.
#include <Inventor/SoDB.h>
#include <Inventor/nodes/SoMatrixTransform.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

#include "app/Globals.h"
#include "city/FlyingObject.h"
#include "octree/CollisionObject.h"
#include "octree/OctTree.h"
#include "simulation/Motion.h"
#include "simulation/Session.h"
#include "simulation/SimulationState.h"
#include "spatialindex/IndexSet.h"
#include "spatialindex/OctTreeIndex.h"
#include "tests/support/SimulationWorld.h"
#include "world/WorldConstants.h"

namespace {

const SbBox3f treeRegion = worldRegion();
const float frameFactor = 1.0f;  // 50 steps per second

// The ground's, streets' and buildings' records, built once.
std::vector<CollisionObject> cityRecords;

void collectRecords(const OctTree* node, std::map<const SbBox3f*, CollisionObject>& found) {
    for (int i = 0; i < node->objectCount; ++i) {
        found.emplace(node->objects[i].box, node->objects[i]);
    }
    for (const OctTree* child : node->children) {
        if (child) {
            collectRecords(child, found);
        }
    }
}

void buildCityOnce() {
    if (!cityRecords.empty()) {
        return;
    }
    if (chdir(BRENNOC_DATA_DIR) != 0) {
        std::abort();
    }
    SoDB::init();
    SoSeparator* scratch = new SoSeparator;
    scratch->ref();
    OctTree tree(treeRegion);
    OctTreeIndex filing(tree);
    cityBuilder.buildEnvironment(scratch, filing);
    cityBuilder.generateCity(filing);
    std::map<const SbBox3f*, CollisionObject> found;
    collectRecords(&tree, found);
    for (const auto& entry : found) {
        cityRecords.push_back(entry.second);
    }
}

// A fresh world: the city, the camera at its start and the given number of craft.
class World {
public:
    explicit World(int craftCount) {
        buildCityOnce();
        root = new SoSeparator;
        root->ref();
        octree = new OctTree(treeRegion);
        for (const CollisionObject& record : cityRecords) {
            octree->insert(record);
        }
        resetSimulationState();
        indexes.reset(new IndexSet(*octree));
        CollisionIndex& filing = indexes->active();
        startCamera(root, filing);
        cameraThrust = 0.002f;
        cameraObjectStale = false;
        std::srand(1);
        cityBuilder.createFlyingObjects(2, craftCount, root, filing);
    }

    ~World() {
        indexes.reset();
        releaseSimulationWorld();
        root->unref();
    }

    SoSeparator* root;
    std::unique_ptr<IndexSet> indexes;
};

bool collidesWithAny(const SbBox3f& tried, const SbBox3f* self) {
    for (const CollisionObject& record : cityRecords) {
        if (OctTree::boxesOverlap(tried, *record.box)) {
            return true;
        }
    }
    const SbList<CollisionObject*>& craft = cityBuilder.flyingObjects;
    for (int i = 0; i < craft.getLength(); ++i) {
        if (craft[i]->box != self && OctTree::boxesOverlap(tried, *craft[i]->box)) {
            return true;
        }
    }
    return cameraObject->box != self && OctTree::boxesOverlap(tried, *cameraObject->box);
}

// The same motion and the same box ownership as the real step, without the tree.
void allPairsStep() {
    const SbList<CollisionObject*>& craft = cityBuilder.flyingObjects;
    for (int i = 0; i < craft.getLength(); ++i) {
        CollisionObject& record = *craft[i];
        FlyingObject& object = *record.owner;
        accelerateFlyingObject(object, frameFactor);
        const SbVec3f at(object.currentPosition[0], object.currentPosition[1],
                         object.currentPosition[2]);
        const SbVec3f next = at + object.velocity;
        SbBox3f* tried = new SbBox3f(next - craftHalfExtent, next + craftHalfExtent);
        if (!collidesWithAny(*tried, record.box)) {
            delete record.box;
            record.box = tried;
            for (int axis = 0; axis < 3; ++axis) {
                object.currentPosition[axis] = next[axis];
            }
            object.transform.setTranslate(next);
            if (object.transformNode) {
                object.transformNode->matrix.setValue(object.transform);
            }
        } else {
            delete tried;
            object.velocity.setValue(0, 0, 0);
            object.steering = false;
        }
        advanceOrbitPhase();
    }
    cityBuilder.showFlyingObjects();

    accelerateCamera(frameFactor);
    const SbVec3f cameraHalf(0.05f, 0.05f, 0.05f);
    const SbVec3f next = camera->position.getValue() + cameraVelocity;
    SbBox3f* tried = new SbBox3f(next - cameraHalf, next + cameraHalf);
    if (!collidesWithAny(*tried, cameraObject->box)) {
        camera->position.setValue(next);
        delete cameraObject->box;
        delete cameraObject;
        cameraObject = new CollisionObject(next[0], next[1], next[2], tried);
    } else {
        delete tried;
        cameraVelocity.setValue(0, 0, 0);
    }
}

void octreeStep(Session& session) {
    moveFlyingObjects(frameFactor, session);
    moveCamera(frameFactor, session);
}

void setCounters(benchmark::State& state, int craftCount) {
    int steering = 0;
    const SbList<CollisionObject*>& craft = cityBuilder.flyingObjects;
    for (int i = 0; i < craft.getLength(); ++i) {
        steering += craft[i]->owner->steering ? 1 : 0;
    }
    state.counters["craft"] = craftCount;
    state.counters["still_steering"] = steering;
}

void BM_OctreeStep(benchmark::State& state) {
    const int craftCount = static_cast<int>(state.range(0));
    World world(craftCount);
    Session session;
    session.indexes = world.indexes.get();
    for (auto _ : state) {
        octreeStep(session);
    }
    state.counters["tree_nodes"] = octree->nodeCount();
    setCounters(state, craftCount);
}

void BM_AllPairsStep(benchmark::State& state) {
    const int craftCount = static_cast<int>(state.range(0));
    World world(craftCount);
    for (auto _ : state) {
        allPairsStep();
    }
    setCounters(state, craftCount);
}

}  // namespace

// Fixed step counts, so that both versions fly the same stretch.
BENCHMARK(BM_AllPairsStep)->Unit(benchmark::kMicrosecond)->Arg(10)->Iterations(2000);
BENCHMARK(BM_OctreeStep)->Unit(benchmark::kMicrosecond)->Arg(10)->Iterations(2000);
BENCHMARK(BM_AllPairsStep)->Unit(benchmark::kMicrosecond)->Arg(100)->Iterations(500);
BENCHMARK(BM_OctreeStep)->Unit(benchmark::kMicrosecond)->Arg(100)->Iterations(500);
BENCHMARK(BM_AllPairsStep)->Unit(benchmark::kMicrosecond)->Arg(1000)->Iterations(100);
BENCHMARK(BM_OctreeStep)->Unit(benchmark::kMicrosecond)->Arg(1000)->Iterations(100);

BENCHMARK_MAIN();
