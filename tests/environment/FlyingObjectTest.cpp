#include <Inventor/SbImage.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/misc/SoChildList.h>
#include <Inventor/nodes/SoCube.h>
#include <Inventor/nodes/SoFile.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoMatrixTransform.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTexture2.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "EnvironmentSupport.h"
#include "city/CityBuilder.h"
#include "city/CraftRelease.h"
#include "city/ElementGrid.h"
#include "city/FlyingObject.h"
#include "octree/OctTree.h"
#include "spatialindex/OctTreeIndex.h"
#include "swarm/SoSwarm.h"
#include "world/WorldConstants.h"

namespace {

CityBuilder builder;

int nextDraw() {
    return std::rand() / (RAND_MAX / 32768 + 1);
}

class FlyingObjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        enterDataFolder();
        root = new SoSeparator;
        root->ref();
    }
    void TearDown() override {
        for (int i = 0; i < builder.flyingObjects.getLength(); ++i) {
            delete builder.flyingObjects[i]->owner;
            delete builder.flyingObjects[i];
        }
        builder.flyingObjects.truncate(0);
        root->unref();
        releaseTree(tree);
    }
    // The 15-bit draws that follow srand(seed); reseeds so that they come again.
    static std::vector<int> drawsAfter(unsigned seed, int count) {
        std::srand(seed);
        std::vector<int> draws;
        for (int i = 0; i < count; ++i) {
            draws.push_back(nextDraw());
        }
        std::srand(seed);
        return draws;
    }
    SoSeparator* root = nullptr;
    OctTree tree{worldRegion()};
    OctTreeIndex filing{tree};
};

TEST_F(FlyingObjectTest, TenCraftDrawSixTimesEachAndAreFiledAndListedInOrder) {
    const std::vector<int> draws = drawsAfter(4242, 61);
    CoinMessages coin;
    builder.createFlyingObjects(2, 10, root, filing);
    EXPECT_EQ(nextDraw(), draws[60]) << "exactly six draws per craft";
    EXPECT_TRUE(coin.messages.empty()) << coin.messages.front();

    ASSERT_EQ(root->getNumChildren(), 10);
    ASSERT_EQ(builder.flyingObjects.getLength(), 10);
    std::vector<SbBox3f*> boxes = boxesInTree(tree);
    std::sort(boxes.begin(), boxes.end());
    ASSERT_EQ(boxes.size(), 10u);
    for (int i = 0; i < 10; ++i) {
        const CollisionObject& record = *builder.flyingObjects[i];
        ASSERT_NE(record.owner, nullptr);
        const SbVec3f p(record.owner->currentPosition);
        // Draws z, y, x, then blue, green, red.
        const int* r = &draws[6 * i];
        EXPECT_FLOAT_EQ(p[2], static_cast<float>(r[0] / 32768.0 * 25)) << i;
        EXPECT_FLOAT_EQ(p[1], static_cast<float>(r[1] / 32768.0 * 3 - 10)) << i;
        EXPECT_FLOAT_EQ(p[0], static_cast<float>(r[2] / 32768.0 * 25)) << i;
        EXPECT_TRUE(p[0] >= 0 && p[0] < 25 && p[2] >= 0 && p[2] < 25 && p[1] >= -10 && p[1] < -7)
            << i;
        EXPECT_EQ(record.box->getMin(), SbVec3f(p[0] - 0.5f, p[1] - 0.25f, p[2])) << i;
        EXPECT_EQ(record.box->getMax(), p + SbVec3f(0.25f, 0.25f, 0.5f)) << i;
        EXPECT_TRUE(std::binary_search(boxes.begin(), boxes.end(), record.box)) << i;
        EXPECT_EQ(record.owner->orbitRadius, 5);

        // The root's i-th subtree is this craft's.
        auto* subtree = static_cast<SoSeparator*>(root->getChild(i));
        ASSERT_EQ(subtree->getNumChildren(), 3);
        EXPECT_EQ(subtree->getChild(0), static_cast<SoNode*>(record.owner->transformNode));
        const SbColor colour = static_cast<SoMaterial*>(subtree->getChild(1))->diffuseColor[0];
        // Each component the draw as it stands, not scaled to 0 ... 1.
        EXPECT_EQ(colour, SbColor(float(r[5]), float(r[4]), float(r[3]))) << i;
        ASSERT_TRUE(subtree->getChild(2)->isOfType(SoFile::getClassTypeId()));
        EXPECT_EQ(static_cast<SoFile*>(subtree->getChild(2))->name.getValue(), "/models/Ufo1.wrl");
    }
}

TEST_F(FlyingObjectTest, MoreThanTenAreOneSwarmNodeWithTheSameDrawsInTheirOwnCells) {
    const int count = 11;
    const std::vector<int> draws = drawsAfter(4242, 6 * count + 1);
    CoinMessages coin;
    builder.createFlyingObjects(2, count, root, filing);
    EXPECT_EQ(nextDraw(), draws[6 * count]) << "exactly six draws per craft";
    EXPECT_TRUE(coin.messages.empty()) << coin.messages.front();

    ASSERT_EQ(root->getNumChildren(), 1);
    SoSwarm* swarm = builder.swarm;
    ASSERT_EQ(root->getChild(0), static_cast<SoNode*>(swarm));
    ASSERT_EQ(swarm->position.getNum(), count);
    ASSERT_EQ(swarm->diffuseColor.getNum(), count);
    ASSERT_NE(swarm->model.getValue(), nullptr);
    ASSERT_EQ(builder.flyingObjects.getLength(), count);
    EXPECT_EQ(boxesInTree(tree).size(), size_t(count));
    const CraftRelease release(count);
    for (int i = 0; i < count; ++i) {
        const CollisionObject& record = *builder.flyingObjects[i];
        const SbVec3f p(record.owner->currentPosition);
        const int* r = &draws[6 * i];
        EXPECT_EQ(p, release.position(i, r[0], r[1], r[2])) << i;
        EXPECT_EQ(swarm->position[i], p) << i;
        EXPECT_EQ(swarm->diffuseColor[i], SbColor(float(r[5]), float(r[4]), float(r[3]))) << i;
        EXPECT_EQ(record.box->getMin(), SbVec3f(p[0] - 0.5f, p[1] - 0.25f, p[2])) << i;
        EXPECT_EQ(record.owner->transformNode, nullptr) << i;
        EXPECT_EQ(record.owner->orbitRadius, 5);
    }
    // The swarm follows the records when asked to.
    builder.flyingObjects[3]->owner->currentPosition[1] -= 2;
    builder.showFlyingObjects();
    EXPECT_EQ(swarm->position[3], SbVec3f(builder.flyingObjects[3]->owner->currentPosition));
    builder.swarm = nullptr;
}

TEST(CraftRelease, CrowdsStartApartInsideTheSpaceAndAboveTheCity) {
    for (int count : {11, 100, 1000, 10000}) {
        const CraftRelease release(count);
        // Every craft's reach in either of its boxes, from draws at both
        // ends of their range and between.
        std::vector<SbBox3f> reach;
        for (int n = 0; n < count; ++n) {
            const int r[3] = {n % 3 == 0 ? 0 : 32767, n % 2 ? 0 : 32767, (n * 7919) % 32768};
            const SbVec3f p = release.position(n, r[n % 3], r[(n + 1) % 3], r[(n + 2) % 3]);
            reach.emplace_back(p - SbVec3f(0.5f, 0.25f, 0.5f), p + SbVec3f(0.5f, 0.25f, 0.5f));
            const SbVec3f low = reach.back().getMin(), high = reach.back().getMax();
            EXPECT_TRUE(low[0] > -60 && low[1] > -110 && low[2] > -60 && high[0] < 60 &&
                        high[1] < -4 && high[2] < 60)
                << count << " craft: craft " << n << " outside the space above the city";
        }
        // No two reaches touch: sweep along x.
        std::sort(reach.begin(), reach.end(),
                  [](const SbBox3f& a, const SbBox3f& b) { return a.getMin()[0] < b.getMin()[0]; });
        int touching = 0;
        for (size_t i = 0; i < reach.size(); ++i) {
            for (size_t j = i + 1; j < reach.size() && reach[j].getMin()[0] <= reach[i].getMax()[0];
                 ++j) {
                touching += reach[i].intersect(reach[j]) ? 1 : 0;
            }
        }
        EXPECT_EQ(touching, 0) << count << " craft";
        // The block grows with the count: at least 100 cubic units a craft.
        const SbVec3f size = release.blockMax - release.blockMin;
        EXPECT_GE(size[0] * size[1] * size[2], 100.0f * count) << count;
    }
}

TEST_F(FlyingObjectTest, ModelIsFoundAndIsASmallSaucer) {
    builder.createFlyingObjects(2, 1, root, filing);
    auto* model = static_cast<SoFile*>(static_cast<SoSeparator*>(root->getChild(0))->getChild(2));
    ASSERT_GT(model->getChildren()->getLength(), 0) << "the model was not read";
    if (std::filesystem::exists("/models/Ufo1.wrl")) {
        GTEST_SKIP() << "the model at /models/Ufo1.wrl is read instead of the project's";
    }
    SoGetBoundingBoxAction measure(SbViewportRegion(100, 100));
    measure.apply(model);
    float width, height, depth;
    measure.getBoundingBox().getSize(width, height, depth);
    EXPECT_NEAR(width, 1, 0.05);
    EXPECT_NEAR(depth, 1, 0.05);
    EXPECT_NEAR(height, 0.5, 0.05);
    EXPECT_NEAR(measure.getBoundingBox().getCenter()[1], 0, 0.05);
}

TEST_F(FlyingObjectTest, KindOneIsATexturedCubeAndBadArgumentsDoNothing) {
    const std::vector<int> draws = drawsAfter(7, 7);
    CoinMessages coin;
    for (int kind : {0, 3, -1}) {
        builder.createFlyingObjects(kind, 10, root, filing);
    }
    builder.createFlyingObjects(2, 0, root, filing);
    builder.createFlyingObjects(1, -3, root, filing);
    EXPECT_EQ(root->getNumChildren(), 0);
    EXPECT_EQ(builder.flyingObjects.getLength(), 0);
    EXPECT_TRUE(boxesInTree(tree).empty());

    builder.createFlyingObjects(1, 1, root, filing);
    EXPECT_EQ(nextDraw(), draws[6]) << "no draws for a bad kind or count";
    EXPECT_TRUE(coin.messages.empty()) << coin.messages.front();
    ASSERT_EQ(builder.flyingObjects.getLength(), 1);
    const CollisionObject& record = *builder.flyingObjects[0];
    const SbVec3f p(record.owner->currentPosition);
    EXPECT_EQ(record.box->getMin(), p - SbVec3f(0.5f, 0.25f, 0.5f));
    EXPECT_EQ(record.box->getMax(), p + SbVec3f(0.5f, 0.25f, 0.5f));
    EXPECT_EQ(record.owner->orbitRadius, 10);

    auto* subtree = static_cast<SoSeparator*>(root->getChild(0));
    ASSERT_EQ(subtree->getNumChildren(), 4);
    auto* texture = static_cast<SoTexture2*>(subtree->getChild(2));
    auto* cube = static_cast<SoCube*>(subtree->getChild(3));
    ASSERT_TRUE(texture->isOfType(SoTexture2::getClassTypeId()));
    ASSERT_TRUE(cube->isOfType(SoCube::getClassTypeId()));
    EXPECT_EQ(texture->filename.getValue(), "texture/LetajiciObjekt1.jpg");
    EXPECT_GT(texture->image.getValue().getSize()[0], 0) << "the craft's image was not read";
    EXPECT_EQ(SbVec3f(cube->width.getValue(), cube->height.getValue(), cube->depth.getValue()),
              SbVec3f(1, 0.25f, 1));
}

TEST_F(FlyingObjectTest, NodesBelongToTheGroupAndRecordsOutliveTheBuilder) {
    // A kind without a shape still hands its placement and material to the group.
    FlyingObject shapeless(1, -8, 1, 0, 0, SbVec3f(0, 0, 0), 3, root);
    ASSERT_EQ(root->getNumChildren(), 1);
    auto* subtree = static_cast<SoSeparator*>(root->getChild(0));
    EXPECT_EQ(subtree->findChild(shapeless.transformNode), 0);
    EXPECT_EQ(subtree->getNumChildren(), 2) << "the material is missing";
    EXPECT_EQ(shapeless.transformNode->getRefCount(), 1);

    // The records are the program's to delete; the builder going away leaves them.
    CollisionObject* record = nullptr;
    {
        CityBuilder local;
        local.createFlyingObjects(2, 1, root, filing);
        record = local.flyingObjects[0];
        delete local.grid;
    }
    const std::vector<SbBox3f*> boxes = boxesInTree(tree);
    ASSERT_EQ(boxes.size(), 1u);
    ASSERT_EQ(record->box, boxes[0]) << "the record was freed with the builder";
    EXPECT_EQ(record->owner->orbitRadius, 5);
    delete record->owner;
    delete record;
}

}  // namespace
