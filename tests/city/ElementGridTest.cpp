#include <Inventor/nodes/SoCube.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTranslation.h>
#include <gtest/gtest.h>

#include <new>

#include "city/CityElement.h"
#include "city/ElementGrid.h"
#include "tests/city/CitySupport.h"

namespace {

SbVec3f translationOf(SoNode* node) {
    EXPECT_TRUE(node->isOfType(SoTranslation::getClassTypeId()));
    return static_cast<SoTranslation*>(node)->translation.getValue();
}

TEST(CubeElement, BuildsAColouredTexturedCubeOfItsExtent) {
    initCoin();
    CoinMessages quiet;
    CubeElement tile(0, 0, 0, 1, 0.005f, 2, SbColor(0.7f, 0.7f, 0.7f), "tile.jpg");
    SoSeparator* root = tile.build();
    root->ref();
    ASSERT_EQ(root->getNumChildren(), 3);
    EXPECT_EQ(static_cast<SoMaterial*>(root->getChild(0))->ambientColor[0],
              SbColor(0.7f, 0.7f, 0.7f));
    EXPECT_EQ(static_cast<SoTexture2*>(root->getChild(1))->filename.getValue(), "tile.jpg");
    auto* cube = static_cast<SoCube*>(root->getChild(2));
    EXPECT_EQ(SbVec3f(cube->width.getValue(), cube->height.getValue(), cube->depth.getValue()),
              SbVec3f(1, 0.005f, 2));
    root->unref();

    CubeElement plain(0, 0, 0, 1, 1, 1, SbColor(1, 1, 1), nullptr);
    root = plain.build();
    root->ref();
    EXPECT_EQ(root->getNumChildren(), 2) << "no image, no texture node";
    root->unref();
    EXPECT_EQ(CityElement(0, 0, 0, 1, 1, 1, SbColor(1, 1, 1), nullptr).build(), nullptr);
}

TEST(ElementGrid, StartsEmptyAndIgnoresCellsOutsideIt) {
    // Built over garbage, as a heap object might be: no cell may keep it.
    alignas(ElementGrid) unsigned char storage[sizeof(ElementGrid)];
    volatile unsigned char* bytes = storage;  // stores the compiler may not drop
    for (size_t b = 0; b < sizeof storage; ++b) {
        bytes[b] = 0xab;
    }
    ElementGrid* grid = new (storage) ElementGrid(3, 4);
    for (int r = 0; r < ElementGrid::maxSize; ++r) {
        for (int k = 0; k < ElementGrid::maxSize; ++k) {
            EXPECT_EQ(grid->cells[r][k], nullptr);
            EXPECT_EQ(grid->placed[r][k], 0);
        }
    }
    CityElement element(0, 0, 0, 1, 1, 1, SbColor(1, 1, 1), nullptr);
    grid->place(3, 0, &element, true);
    grid->place(0, 4, &element, true);
    grid->place(-1, 0, &element, true);
    grid->place(2, 3, &element, true);
    EXPECT_EQ(grid->cells[3][0], nullptr);
    EXPECT_EQ(grid->cells[0][4], nullptr);
    EXPECT_EQ(grid->cells[2][3], &element);
    grid->~ElementGrid();

    ElementGrid big(12, -1);
    EXPECT_EQ(big.rows, 10);
    EXPECT_EQ(big.columns, 0);
}

TEST(ElementGrid, AddsPlacedElementsBetweenTranslationsThatCancel) {
    initCoin();
    writeFile("tall.txt", "1\n6\n1\n\n\n\n\n\n\n");
    CubeElement street(2, 0.0025f, 3, 1, 0.005f, 1, SbColor(0.7f, 0.7f, 0.7f), nullptr);
    BuildingElement tower(5, 0, 1, 1, 4, 1, SbColor(1, 1, 1), "tall.txt");
    CubeElement hidden(7, 0, 7, 1, 1, 1, SbColor(1, 1, 1), nullptr);
    ElementGrid grid(10, 10);
    grid.place(5, 1, &tower, true);
    grid.place(2, 3, &street, true);
    grid.place(7, 7, &hidden, false);

    SoSeparator* root = new SoSeparator;
    root->ref();
    SoNode* before = new SoCube;
    root->addChild(before);
    grid.addToScene(root);
    ASSERT_EQ(root->getNumChildren(), 1 + 2 * 3);
    EXPECT_EQ(root->getChild(0), before);
    // Row by row: the street at row 2 comes first, y turned upwards.
    EXPECT_EQ(translationOf(root->getChild(1)), SbVec3f(2.5f, -0.005f, 3.5f));
    EXPECT_EQ(translationOf(root->getChild(3)), SbVec3f(-2.5f, 0.005f, -3.5f));
    // The tower stands on its footprint's extent, whatever height its file gives.
    EXPECT_EQ(translationOf(root->getChild(4)), SbVec3f(5.5f, -2, 1.5f));
    EXPECT_EQ(translationOf(root->getChild(6)), SbVec3f(-5.5f, 2, -1.5f));
    EXPECT_EQ(tower.extent, SbVec3f(1, 6, 1));
    root->unref();
}

}  // namespace
