#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoEnvironment.h>
#include <Inventor/nodes/SoIndexedTriangleStripSet.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoPointLight.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTextureCoordinate2.h>
#include <Inventor/nodes/SoTranslation.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "EnvironmentSupport.h"
#include "city/CityBuilder.h"
#include "city/Skybox.h"
#include "octree/OctTree.h"
#include "spatialindex/OctTreeIndex.h"
#include "world/WorldConstants.h"

namespace {

// The builder's grid lives as long as the builder, as in the program.
CityBuilder builder;

class EnvironmentTest : public ::testing::Test {
protected:
    void SetUp() override {
        enterDataFolder();
        root = new SoSeparator;
        root->ref();
        root->addChild(new SoPerspectiveCamera);
    }
    void TearDown() override {
        root->unref();
        releaseTree(tree);
    }
    SoSeparator* root = nullptr;
    OctTree tree{worldRegion()};
    OctTreeIndex filing{tree};
};

bool imageLoaded(const SoTexture2* texture) {
    SbVec2s size;
    int components = 0;
    texture->image.getValue(size, components);
    return size[0] > 0 && size[1] > 0 && components >= 3;
}

TEST_F(EnvironmentTest, RootGainsTheSevenNodesInOrderAndEveryImageIsRead) {
    CoinMessages coin;
    builder.buildEnvironment(root, filing);
    EXPECT_TRUE(coin.messages.empty()) << coin.messages.front();
    ASSERT_NE(std::getenv("COIN_SHOW_FPS_COUNTER"), nullptr);
    EXPECT_STREQ(std::getenv("COIN_SHOW_FPS_COUNTER"), "1");

    const SoType types[8] = {
        SoPerspectiveCamera::getClassTypeId(), SoEnvironment::getClassTypeId(),
        SoPointLight::getClassTypeId(),        SoTranslation::getClassTypeId(),
        SoMaterial::getClassTypeId(),          SoTexture2::getClassTypeId(),
        SoSeparator::getClassTypeId(),         SoTranslation::getClassTypeId()};
    ASSERT_EQ(root->getNumChildren(), 8);
    for (int i = 0; i < 8; ++i) {
        ASSERT_EQ(root->getChild(i)->getTypeId(), types[i]) << "child " << i;
    }
    // The skybox sits over the city, and everything after it is back in place.
    const SbVec3f there = static_cast<SoTranslation*>(root->getChild(3))->translation.getValue();
    const SbVec3f back = static_cast<SoTranslation*>(root->getChild(7))->translation.getValue();
    EXPECT_EQ(there, SbVec3f(15, 0.0005f, 15));
    EXPECT_EQ(there + back, SbVec3f(0, 0, 0));
    auto* grass = static_cast<SoTexture2*>(root->getChild(5));
    EXPECT_EQ(grass->filename.getValue(), "texture/Trava.jpg");
    EXPECT_TRUE(imageLoaded(grass));
}

TEST_F(EnvironmentTest, GroundSlabCollidesOnlyWithWhatReachesPastTheGroundPlane) {
    builder.buildEnvironment(root, filing);
    const std::vector<SbBox3f*> boxes = boxesInTree(tree);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]->getMin(), SbVec3f(-500, 0, -500));
    EXPECT_EQ(boxes[0]->getMax(), SbVec3f(500, 0.001f, 500));

    auto collides = [this](float x, float minY, float maxY) {
        SbBox3f box(x, minY, 2, x + 1, maxY, 3);
        const CollisionObject probe(x + 0.5f, (minY + maxY) / 2, 2.5f, &box);
        const bool hit = tree.insertAndCheck(probe);
        tree.remove(probe);
        return hit;
    };
    // Near the city and at both ends of the tree's region.
    for (float x : {1.0f, -59.0f, 55.0f}) {
        EXPECT_FALSE(collides(x, -1, 0)) << "ending on the ground plane, x " << x;
        EXPECT_TRUE(collides(x, -1, 0.0001f)) << "reaching past it, x " << x;
        EXPECT_TRUE(collides(x, 0, 0.5f)) << "starting on it, x " << x;
        EXPECT_FALSE(collides(x, 0.001f, 0.5f)) << "wholly below the slab, x " << x;
    }
}

TEST_F(EnvironmentTest, SkyboxFacesCloseTheBoxAndShowTheirImagesUpright) {
    CoinMessages coin;
    SoSeparator* skybox = createSkybox();
    skybox->ref();
    EXPECT_TRUE(coin.messages.empty()) << coin.messages.front();
    ASSERT_EQ(skybox->getNumChildren(), 14);
    ASSERT_TRUE(skybox->getChild(0)->isOfType(SoCoordinate3::getClassTypeId()));
    ASSERT_TRUE(skybox->getChild(1)->isOfType(SoTextureCoordinate2::getClassTypeId()));
    const SoMFVec3f& corners = static_cast<SoCoordinate3*>(skybox->getChild(0))->point;
    const SoMFVec2f& uv = static_cast<SoTextureCoordinate2*>(skybox->getChild(1))->point;
    ASSERT_EQ(corners.getNum(), 8);
    ASSERT_EQ(uv.getNum(), 4);

    const char* const images[6] = {"Texture\\skybox\\1.jpg", "Texture\\skybox\\4.jpg",
                                   "Texture\\skybox\\3.jpg", "Texture\\skybox\\2.jpg",
                                   "Texture\\skybox\\5.jpg", "Texture\\trava.jpg"};
    // Each face's constant coordinate: walls at z = 1000, x = 1000, z = -1000,
    // x = -1000, then the sky and the floor.
    const int axis[6] = {2, 0, 2, 0, 1, 1};
    const float plane[6] = {1000, 1000, -1000, -1000, -500, 0};
    SbVec3f panoramaStart[4], panoramaEnd[4];
    for (int f = 0; f < 6; ++f) {
        auto* texture = static_cast<SoTexture2*>(skybox->getChild(2 + 2 * f));
        auto* strip = static_cast<SoIndexedTriangleStripSet*>(skybox->getChild(3 + 2 * f));
        ASSERT_TRUE(texture->isOfType(SoTexture2::getClassTypeId())) << "face " << f;
        ASSERT_TRUE(strip->isOfType(SoIndexedTriangleStripSet::getClassTypeId())) << "face " << f;
        EXPECT_EQ(texture->filename.getValue(), images[f]);
        EXPECT_EQ(texture->model.getValue(), SoTexture2::DECAL);
        EXPECT_EQ(texture->wrapS.getValue(), SoTexture2::CLAMP);
        EXPECT_EQ(texture->wrapT.getValue(), SoTexture2::CLAMP);
        EXPECT_TRUE(imageLoaded(texture)) << images[f];
        ASSERT_EQ(strip->coordIndex.getNum(), 5);
        ASSERT_EQ(strip->textureCoordIndex.getNum(), 5);
        EXPECT_EQ(strip->coordIndex[4], -1);
        EXPECT_EQ(strip->textureCoordIndex[4], -1);
        for (int k = 0; k < 4; ++k) {
            const SbVec3f corner = corners[strip->coordIndex[k]];
            const SbVec2f st = uv[strip->textureCoordIndex[k]];
            EXPECT_EQ(corner[axis[f]], plane[f]) << "face " << f << " corner " << k;
            if (f < 4) {
                // A wall's image stands on the floor and reaches the sky.
                EXPECT_EQ(st[1], corner[1] == 0 ? 0 : 1) << "face " << f << " corner " << k;
                if (corner[1] == 0) {
                    (st[0] == 0 ? panoramaStart : panoramaEnd)[f] = corner;
                }
            }
        }
    }
    // Walls 1, 2, 3, 4 (faces 0, 3, 2, 1) continue one another round the box.
    const int order[4] = {0, 3, 2, 1};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(panoramaEnd[order[k]], panoramaStart[order[(k + 1) % 4]]) << "wall " << k + 1;
    }
    skybox->unref();
}

}  // namespace
