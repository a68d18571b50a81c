// Moves in a crowd over the city: tryMove against the four calls.
#include <gtest/gtest.h>

#include <vector>

#include "octree/OctTree.h"
#include "spatialindex/CollisionIndex.h"
#include "tests/octree/TreeProbe.h"
#include "tests/support/CityWorkload.h"

namespace {

// Craft released into one block over the city, most inside one another, the
// crowd the program flies with many craft: every move through tryMove leaves
// the tree the four calls leave.
class TwoWays : public CollisionIndex {
public:
    TwoWays() : moved(cityRootBox()), byCalls(cityRootBox()) {}

    const char* name() const override { return "two octrees"; }
    void insert(const CollisionObject& record) override {
        moved.insert(record);
        byCalls.insert(record);
    }
    void remove(const CollisionObject& record) override {
        moved.remove(record);
        byCalls.remove(record);
    }
    bool insertAndCheck(const CollisionObject& record) override {
        const bool hit = moved.insertAndCheck(record);
        EXPECT_EQ(hit, byCalls.insertAndCheck(record));
        return hit;
    }
    bool tryMove(const CollisionObject& filed, const CollisionObject& tried) override {
        const bool hit = moved.tryMove(filed, tried);
        byCalls.remove(filed);
        if (byCalls.insertAndCheck(tried)) {
            byCalls.remove(tried);
            byCalls.insert(filed);
            EXPECT_TRUE(hit);
            return true;
        }
        EXPECT_FALSE(hit);
        return false;
    }
    void collect(std::vector<CollisionObject>&) const override {}

    OctTree moved;
    OctTree byCalls;
};

TEST(OctTreeRemoveWalk, CrowdOverTheCityMovesAsByFourCalls) {
    TwoWays trees;
    Movers crowd(400, 3, cityBoxes(5), RELEASE_CROWDED);
    crowd.fileAll(trees, cityBoxes(5));
    const int filedNodes = trees.moved.treeNodes;
    std::vector<bool> outcomes;
    int collided = 0;
    for (int step = 0; step < 12; ++step) {
        collided += crowd.step(trees, outcomes);
        ASSERT_EQ(firstDifference(trees.moved, trees.byCalls, "root/"), "") << "step " << step;
        ASSERT_EQ(trees.moved.recordsFiled, trees.byCalls.recordsFiled);
        ASSERT_EQ(trees.moved.treeNodes, trees.byCalls.treeNodes);
    }
    // Both answers came up often, and the tree grew on the way.
    EXPECT_GT(collided, 1000);
    EXPECT_GT(static_cast<int>(outcomes.size()) - collided, 500);
    EXPECT_GT(trees.moved.treeNodes, filedNodes);
    EXPECT_EQ(trees.moved.brokenInvariant(), "");
}

}  // namespace
