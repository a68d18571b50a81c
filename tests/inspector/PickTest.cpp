#include <Inventor/SbViewVolume.h>
#include <Inventor/SbViewportRegion.h>
#include <Inventor/SoDB.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "inspector/MoverChoice.h"
#include "inspector/PickRay.h"
#include "octree/CollisionObject.h"

namespace {

// Craft records at the given boxes (null for an empty entry), owning them.
class Records {
public:
    explicit Records(const std::vector<SbBox3f*>& boxes) {
        for (SbBox3f* box : boxes) {
            list.append(box ? new CollisionObject(0, 0, 0, box) : nullptr);
        }
    }
    ~Records() {
        for (int i = 0; i < list.getLength(); ++i) {
            if (list[i]) {
                delete list[i]->box;
                delete list[i];
            }
        }
    }
    SbList<CollisionObject*> list;
};

SbBox3f* cube(const SbVec3f& centre, float half) {
    return new SbBox3f(centre - SbVec3f(half, half, half), centre + SbVec3f(half, half, half));
}

// A camera at the origin looking down -z, as Coin's default orientation.
struct PickTest : ::testing::Test {
    void SetUp() override {
        SoDB::init();
        camera = new SoPerspectiveCamera;
        camera->ref();
        camera->position.setValue(0, 0, 0);
        camera->heightAngle = float(M_PI / 4);
    }
    void TearDown() override { camera->unref(); }

    int pickAt(const SbVec2f& point, const SbList<CollisionObject*>& records,
               const SbViewportRegion& viewport = SbViewportRegion(800, 600)) {
        return pickCraft(pickRay(shownViewVolume(*camera, viewport), point), records);
    }

    SoPerspectiveCamera* camera;
};

TEST_F(PickTest, TheNearestBoxOnTheRayIsPickedWhateverTheOrder) {
    // Far and near boxes on the line of sight, one beside it, one behind.
    Records records({cube(SbVec3f(0, 0, -30), 1), nullptr, cube(SbVec3f(0, 0, -10), 1),
                     cube(SbVec3f(6, 0, -10), 1), cube(SbVec3f(0, 0, 10), 1)});
    EXPECT_EQ(pickAt(SbVec2f(0.5f, 0.5f), records.list), 2);

    // The one to the right, where it shows in the picture.
    SbVec3f onScreen;
    shownViewVolume(*camera, SbViewportRegion(800, 600))
        .projectToScreen(SbVec3f(6, 0, -10), onScreen);
    EXPECT_GT(onScreen[0], 0.6f);
    EXPECT_EQ(pickAt(SbVec2f(onScreen[0], onScreen[1]), records.list), 3);
}

TEST_F(PickTest, EmptySkyAndBoxesBehindTheEyePickNothing) {
    Records records({cube(SbVec3f(0, 0, 10), 1), cube(SbVec3f(0, -20, -10), 1)});
    EXPECT_EQ(pickAt(SbVec2f(0.5f, 0.5f), records.list), -1);
    EXPECT_EQ(pickAt(SbVec2f(0.1f, 0.9f), records.list), -1);
    Records none({});
    EXPECT_EQ(pickAt(SbVec2f(0.5f, 0.5f), none.list), -1);
}

TEST_F(PickTest, ATallViewportWidensTheVolumeUpAndDownNotAcross) {
    // In a viewport half as wide as tall the height angle spans the width: a
    // box just inside the right edge, at 21 degrees off the line of sight,
    // is under a pointer near that edge.
    const float angle = float(21 * M_PI / 180);
    Records records({cube(SbVec3f(10 * std::tan(angle), 0, -10), 0.3f)});
    SbVec3f onScreen;
    const SbViewportRegion tall(300, 600);
    shownViewVolume(*camera, tall).projectToScreen(records.list[0]->box->getCenter(), onScreen);
    EXPECT_NEAR(onScreen[0], 0.5f + 0.5f * std::tan(angle) / std::tan(M_PI / 8), 1e-3);
    EXPECT_EQ(pickAt(SbVec2f(onScreen[0], 0.5f), records.list, tall), 0);
}

TEST_F(PickTest, ARayFromInsideABoxMeetsItAtOnce) {
    float distance = -1;
    EXPECT_TRUE(rayMeetsBox(SbVec3f(0, 0, 0), SbVec3f(0, 0, -1),
                            *std::unique_ptr<SbBox3f>(cube(SbVec3f(0, 0, 0), 1)), distance));
    EXPECT_EQ(distance, 0);
    // Parallel to a face and outside its slab: never met.
    const SbBox3f box(1, 1, -5, 2, 2, -4);
    EXPECT_FALSE(rayMeetsBox(SbVec3f(0, 0, 0), SbVec3f(0, 0, -1), box, distance));
    EXPECT_TRUE(rayMeetsBox(SbVec3f(1.5f, 1.5f, 0), SbVec3f(0, 0, -1), box, distance));
    EXPECT_FLOAT_EQ(distance, 4);
}

TEST(MoverChoiceTest, TabGoesThroughTheCraftThenTheCameraAndRound) {
    EXPECT_EQ(nextMover(noMover, 3, 1), 0);
    EXPECT_EQ(nextMover(0, 3, 1), 1);
    EXPECT_EQ(nextMover(2, 3, 1), cameraMover);
    EXPECT_EQ(nextMover(cameraMover, 3, 1), 0);
    // Shift+Tab the other way.
    EXPECT_EQ(nextMover(noMover, 3, -1), cameraMover);
    EXPECT_EQ(nextMover(cameraMover, 3, -1), 2);
    EXPECT_EQ(nextMover(0, 3, -1), cameraMover);
    EXPECT_EQ(nextMover(1, 3, -1), 0);
    // One craft: it and the camera in turn.
    EXPECT_EQ(nextMover(0, 1, 1), cameraMover);
    EXPECT_EQ(nextMover(cameraMover, 1, 1), 0);
    EXPECT_EQ(nextMover(0, 1, -1), cameraMover);
}

TEST(MoverChoiceTest, WithoutCraftTabSelectsTheCamera) {
    for (int step : {1, -1}) {
        EXPECT_EQ(nextMover(noMover, 0, step), cameraMover);
        EXPECT_EQ(nextMover(cameraMover, 0, step), cameraMover);
    }
    // A number past the craft there are counts as the camera.
    EXPECT_EQ(nextMover(7, 3, 1), 0);
}

}  // namespace
