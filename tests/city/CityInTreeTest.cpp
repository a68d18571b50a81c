#include <gtest/gtest.h>

#include <set>

#include "CitySupport.h"
#include "city/CityBuilder.h"
#include "city/ElementGrid.h"
#include "octree/OctTree.h"

namespace {

void collectBoxes(const OctTree* node, std::set<const SbBox3f*>& boxes) {
    for (int c = 0; c < 8; ++c) {
        if (node->children[c]) {
            collectBoxes(node->children[c], boxes);
        }
    }
    for (int k = 0; k < node->objects.getLength(); ++k) {
        boxes.insert(node->objects[k].box);
    }
}

bool collides(OctTree& tree, float x0, float y0, float z0, float x1, float y1, float z1) {
    SbBox3f probe(x0, y0, z0, x1, y1, z1);
    const CollisionObject record(x0, y0, z0, &probe);
    const bool hit = tree.insertAndCheck(record);
    tree.remove(record);
    return hit;
}

// The layout's records in the real octree, over the hand-computed crossing city.
TEST(CityInTree, EveryTileAndBuildingIsFiledWithItsBox) {
    useScriptedDraws(crossingDraws(), 32767);
    // Kept reachable to the end: the tree's records point into the layout's boxes.
    static CityBuilder builder;
    static OctTree* tree = new OctTree(SbBox3f(-60, -110, -60, 60, 10, 60));
    builder.generateCity(*tree);
    restoreDraws();

    std::set<const SbBox3f*> boxes;
    collectBoxes(tree, boxes);
    EXPECT_EQ(boxes.size(), 16u + 16u);

    // Inside the 2 x 2 building at (0, 0); inside the 1 x 1 tower at (9, 3)
    // near its top; in a street tile's thin slab.
    EXPECT_TRUE(collides(*tree, 0.4f, -0.6f, 0.4f, 0.6f, -0.4f, 0.6f));
    EXPECT_TRUE(collides(*tree, 9.4f, -3.9f, 3.4f, 9.6f, -3.8f, 3.6f));
    EXPECT_TRUE(collides(*tree, 2.4f, -0.004f, 0.4f, 2.6f, -0.001f, 0.6f));
    // Above that tile, above the low building, and in the empty cell (5, 2).
    EXPECT_FALSE(collides(*tree, 2.4f, -0.5f, 0.4f, 2.6f, -0.3f, 0.6f));
    EXPECT_FALSE(collides(*tree, 0.4f, -1.5f, 0.4f, 0.6f, -1.1f, 0.6f));
    EXPECT_FALSE(collides(*tree, 5.2f, -0.5f, 2.2f, 5.8f, -0.1f, 2.8f));
}

}  // namespace
