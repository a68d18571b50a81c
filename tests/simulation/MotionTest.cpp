#include <Inventor/nodes/SoMatrixTransform.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>

#include <vector>

#include "SimulationFixture.h"
#include "app/Globals.h"
#include "app/KeyStateTable.h"
#include "city/FlyingObject.h"
#include "octree/CollisionObject.h"
#include "octree/OctTree.h"
#include "simulation/Motion.h"
#include "simulation/Session.h"
#include "simulation/SimulationState.h"

namespace {

using MotionTest = SimulationTest;

TEST_F(MotionTest, OrbitTargetsFollowThePhaseQuadrantsAndThePhaseWraps) {
    FlyingObject* craft = addCraft(SbVec3f(3, -8, 4), true);
    craft->orbitRadius = 10;
    const float cases[][3] = {{60, 0.5233710f, 9.9862947f},
                              {100, 0.3141049f, -9.9950657f},
                              {200, -0.1570973f, -9.9987659f},
                              {300, -0.1047232f, 9.9994516f},
                              {0.001f, 0, 10}};
    for (const auto& c : cases) {
        const SbVec3f target = orbitTarget(*craft, c[0]);
        // b = sqrt(r^2 - a^2) is ill-conditioned while a is close to r.
        EXPECT_NEAR(target[0], 3 + c[1], 2e-4f) << c[0];
        EXPECT_FLOAT_EQ(target[1], -8) << c[0];
        EXPECT_NEAR(target[2], 4 + c[2], 1e-5f) << c[0];
    }

    addCraft(SbVec3f(-30, -100, -30), true);
    addCraft(SbVec3f(30, -100, 30), true);
    physicsEnabled = true;
    step();
    EXPECT_FLOAT_EQ(orbitPhase, 1.501f);  // half a degree per craft
    orbitPhase = 359.0f;
    step();  // 359.5, then 360 wraps to 0.001, then 0.501
    EXPECT_FLOAT_EQ(orbitPhase, 0.501f);
}

TEST_F(MotionTest, FallAndThrustApproachTheirTerminalSpeeds) {
    FlyingObject* craft = addCraft(SbVec3f(-30, -100, -30), false);
    const CollisionObject* record = cityBuilder.flyingObjects[0];
    placeCamera(SbVec3f(-40, -100, -50));
    press(KEY_E);
    step();
    press(KEY_E, false);
    press(KEY_A);
    for (int i = 0; i < 600; ++i) {
        step();
    }
    EXPECT_NEAR(craft->velocity[1], 0.0075f, 1e-5f);
    EXPECT_EQ(craft->velocity[0], 0);
    EXPECT_NEAR(cameraVelocity[2], 0.1f, 1e-4f);
    EXPECT_NEAR(cameraVelocity[1], 0.0075f, 1e-5f);
    // The drawn craft and both records follow the movers.
    SbVec3f shown;
    craft->transformNode->matrix.getValue().multVecMatrix(SbVec3f(0, 0, 0), shown);
    EXPECT_LT((shown - positionOf(*craft)).length(), 1e-5f);
    EXPECT_LT((centreOf(*record->box) - positionOf(*craft)).length(), 1e-5f);
    EXPECT_LT((centreOf(*cameraObject->box) - cameraPosition()).length(), 1e-4f);

    // At 100 steps per second the thrust per step halves: the same speed per second.
    for (int i = 0; i < 600; ++i) {
        step(0.01);
    }
    EXPECT_NEAR(cameraVelocity[2], 0.05f, 1e-4f);
}

TEST_F(MotionTest, CraftThatWouldCollideStaysStopsAndGivesUpSteering) {
    addGround();
    FlyingObject* craft = addCraft(SbVec3f(2, -0.2f, 2), true);
    CollisionObject* record = cityBuilder.flyingObjects[0];
    craft->velocity.setValue(0.01f, 0.1f, 0);
    const SbBox3f* box = record->box;
    physicsEnabled = true;
    step();
    EXPECT_EQ(positionOf(*craft), SbVec3f(2, -0.2f, 2));
    EXPECT_EQ(craft->velocity, SbVec3f(0, 0, 0));
    EXPECT_FALSE(craft->steering);
    EXPECT_EQ(record->box, box);
    EXPECT_EQ(copiesInTree().size(), 3u);  // ground, camera, craft under its old box
    EXPECT_GT(copiesInTree()[box], 0);

    // From rest it falls again until its box would reach into the ground.
    for (int i = 0; i < 200; ++i) {
        step();
    }
    EXPECT_EQ(craft->velocity, SbVec3f(0, 0, 0));
    EXPECT_LE(record->box->getMax()[1], 0);
    EXPECT_GT(record->box->getMax()[1], -0.001f);
    EXPECT_EQ(copiesInTree().size(), 3u);
}

TEST_F(MotionTest, CameraStopsAtTheGroundAndItsRecordIsRebuiltWherePhysicsResumes) {
    addGround();
    placeCamera(SbVec3f(1, -0.0502f, 1));
    press(KEY_E);
    step();  // one step of gravity still fits above the ground
    press(KEY_E, false);
    const SbVec3f landed = cameraPosition();
    ASSERT_NEAR(landed[1], -0.05005f, 1e-6f);
    step();  // the next would take the box into the slab
    EXPECT_EQ(cameraVelocity, SbVec3f(0, 0, 0));
    EXPECT_EQ(cameraPosition(), landed);
    EXPECT_LT((centreOf(*cameraObject->box) - landed).length(), 1e-6f);
    EXPECT_EQ(copiesInTree().size(), 2u);

    // Free flight elsewhere leaves the record behind; the first physics step
    // files it around the camera again, even when that step's move is refused.
    press(KEY_R);
    step();
    press(KEY_R, false);
    const SbVec3f elsewhere(5, -0.0501f, 5);
    camera->position.setValue(elsewhere);
    press(KEY_E);
    step();
    EXPECT_EQ(cameraPosition(), elsewhere);
    EXPECT_LT((centreOf(*cameraObject->box) - elsewhere).length(), 1e-6f);
    const std::map<const SbBox3f*, int> copies = copiesInTree();
    EXPECT_EQ(copies.size(), 2u);
    EXPECT_EQ(copies.count(cameraObject->box), 1u);
}

struct SeenMove {
    const FlyingObject* owner;
    SbBox3f tried;
    bool refused;
};

void recordMove(void* seen, const CollisionObject& tried, bool refused) {
    static_cast<std::vector<SeenMove>*>(seen)->push_back(
        SeenMove{tried.owner, *tried.box, refused});
}

TEST_F(MotionTest, AnObserverIsToldOfEveryTriedMoveWithItsBoxAndWhetherItWasRefused) {
    addGround();
    FlyingObject* craft = addCraft(SbVec3f(2, -0.2f, 2), true);
    craft->velocity.setValue(0.01f, 0.1f, 0);  // into the ground: refused
    placeCamera(SbVec3f(5, -20, 5));
    std::vector<SeenMove> seen;
    session.moveObserver = recordMove;
    session.moveObserverData = &seen;
    physicsEnabled = true;
    step();
    session.moveObserver = nullptr;

    ASSERT_EQ(seen.size(), 2u) << "the craft's move, then the camera's";
    EXPECT_EQ(seen[0].owner, craft);
    EXPECT_TRUE(seen[0].refused);
    // About one step of its velocity (0.1 down) on from where it stays.
    EXPECT_NEAR(centreOf(seen[0].tried)[1], -0.2f + 0.1f * 0.98f, 1e-3f);
    EXPECT_NEAR(centreOf(seen[0].tried)[0], 2.01f, 5e-3f);
    EXPECT_EQ(seen[0].tried.getMax()[0] - seen[0].tried.getMin()[0], 1.0f);
    EXPECT_EQ(seen[1].owner, nullptr);
    EXPECT_FALSE(seen[1].refused);
    EXPECT_EQ(seen[1].tried, *cameraObject->box) << "the accepted box is the camera's new one";

    step();
    EXPECT_EQ(seen.size(), 2u) << "no observer, no reports";
}

// Watches one mover: explains its move when told of it beforehand, and keeps
// what it is told afterwards.
class OneMoverWatch : public MoveWatcher {
public:
    explicit OneMoverWatch(const FlyingObject* mover) : mover(mover) {}
    bool watches(const FlyingObject* owner) const override { return owner == mover; }
    void beforeMove(const CollisionIndex& index, const CollisionObject& filed,
                    const CollisionObject& tried) override {
        index.explainMove(filed, tried, explained, false);
        ++before;
    }
    void afterMove(const FlyingObject* owner, const CollisionObject&, bool refused, bool edge,
                   double) override {
        told.push_back({owner, refused, edge});
    }

    struct Told {
        const FlyingObject* owner;
        bool refused;
        bool edge;
    };
    const FlyingObject* mover;
    MoveExplanation explained;
    int before = 0;
    std::vector<Told> told;
};

TEST_F(MotionTest, AWatcherIsToldOfItsMoverAloneAndSeesTheIndexBeforeTheMove) {
    addGround();
    FlyingObject* watched = addCraft(SbVec3f(2, -0.2f, 2), true);
    watched->velocity.setValue(0.01f, 0.1f, 0);  // into the ground: refused
    addCraft(SbVec3f(-5, -20, -5), true);
    placeCamera(SbVec3f(5, -20, 5));
    OneMoverWatch watch(watched);
    session.moveWatchers.push_back(&watch);
    physicsEnabled = true;
    step();
    ASSERT_EQ(watch.told.size(), 1u);
    EXPECT_EQ(watch.before, 1);
    EXPECT_TRUE(watch.told[0].refused);
    EXPECT_FALSE(watch.told[0].edge);
    EXPECT_TRUE(watch.explained.refused) << "explained on the index as the move found it";

    // Sent past the region's top face: refused at the edge, no index asked.
    const SbBox3f& region = session.indexes->region();
    watched->velocity.setValue(0, 0, 0);
    watch.told.clear();
    OneMoverWatch camera(nullptr);
    session.moveWatchers.push_back(&camera);
    placeCamera(SbVec3f(5, region.getMax()[1] - 0.06f, 5));
    cameraVelocity.setValue(0, 1, 0);
    step();
    session.moveWatchers.clear();
    ASSERT_EQ(camera.told.size(), 1u);
    EXPECT_EQ(camera.told[0].owner, nullptr);
    EXPECT_TRUE(camera.told[0].refused);
    EXPECT_TRUE(camera.told[0].edge);
    EXPECT_EQ(camera.before, 0);
    EXPECT_EQ(watch.told.size(), 1u);
}

}  // namespace
