#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoSwitch.h>
#include <Inventor/nodes/SoTexture2.h>
#include <gtest/gtest.h>

#include "city/CityElement.h"
#include "city/TextureSharing.h"
#include "tests/city/CitySupport.h"

namespace {

SoTexture2* texture(const char* name) {
    SoTexture2* node = new SoTexture2;
    node->filename.setValue(name);
    return node;
}

SoNode* faceTexture(SoGroup* building, int face) {
    return building->getChild(3 + 3 * face);
}

class TextureSharing : public ::testing::Test {
protected:
    void SetUp() override {
        initCoin();
        root = new SoSeparator;
        root->ref();
    }
    void TearDown() override { root->unref(); }

    SoSeparator* addBuilding(const char* file) {
        BuildingElement building(0, 0, 0, 1, 1, 1, SbColor(1, 1, 1), file);
        SoSeparator* subtree = building.build();
        root->addChild(subtree);
        return subtree;
    }

    CoinMessages quiet;  // the images named here do not exist
    SoSeparator* root = nullptr;
};

TEST_F(TextureSharing, FacesAndBuildingsOfOneFileEndWithOneNodePerImage) {
    writeFile("same.txt", "1\n1\n1\ns.jpg\ns.jpg\ns.jpg\ns.jpg\ns.jpg\ns.jpg\n");
    writeFile("mixed.txt", "1\n1\n1\na.jpg\nb.jpg\nc.jpg\nd.jpg\ne.jpg\nf.jpg\n");
    SoSeparator* same = addBuilding("same.txt");
    SoNode* first = faceTexture(same, 0);
    SoSeparator* mixed[3] = {addBuilding("mixed.txt"), addBuilding("mixed.txt"),
                             addBuilding("mixed.txt")};
    SoNode* mixedFaces[6];
    for (int f = 0; f < 6; ++f) {
        mixedFaces[f] = faceTexture(mixed[0], f);
    }
    shareTextures(root);
    for (int f = 0; f < 6; ++f) {
        EXPECT_EQ(faceTexture(same, f), first) << "face " << f;
        for (SoSeparator* building : mixed) {
            EXPECT_EQ(faceTexture(building, f), mixedFaces[f]) << "face " << f;
        }
        for (int g = 0; g < f; ++g) {
            EXPECT_NE(faceTexture(mixed[2], f), faceTexture(mixed[2], g));
        }
    }
    // A replaced node is released by its parent: only the kept one is left.
    EXPECT_EQ(first->getRefCount(), 6);
}

TEST_F(TextureSharing, EmptyAndDifferentlySpelledNamesStayApart) {
    SoNode* nodes[] = {texture(""),
                       texture(""),
                       texture("texture/Trava.jpg"),
                       texture("Texture\\trava.jpg"),
                       texture("texture/trava.jpg"),
                       texture("texture/Trava.jpg ")};
    for (SoNode* node : nodes) {
        root->addChild(node);
    }
    shareTextures(root);
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(root->getChild(k), nodes[k]) << k;
    }
}

TEST_F(TextureSharing, ReachesInactiveChildrenAndLeavesSharedNodesAlone) {
    SoTexture2* kept = texture("k.jpg");
    SoSwitch* off = new SoSwitch;  // shows no child
    off->addChild(texture("k.jpg"));
    SoSeparator* left = new SoSeparator;
    SoSeparator* right = new SoSeparator;
    SoTexture2* shared = texture("two.jpg");
    left->addChild(shared);
    right->addChild(shared);
    root->addChild(kept);
    root->addChild(off);
    root->addChild(left);
    root->addChild(right);
    shareTextures(root);
    EXPECT_EQ(off->getChild(0), kept);
    EXPECT_EQ(left->getChild(0), shared);
    EXPECT_EQ(right->getChild(0), shared);

    shareTextures(nullptr);
    SoSeparator* bare = new SoSeparator;
    bare->ref();
    shareTextures(bare);
    EXPECT_EQ(bare->getNumChildren(), 0);
    bare->unref();
}

}  // namespace
