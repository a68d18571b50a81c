// Moves in a crowd over the city: tryMove against the four calls.
#include <gtest/gtest.h>

#include <vector>

#include "octree/OctTree.h"
#include "tests/octree/TreeProbe.h"
#include "tests/support/CityWorkload.h"

namespace {

// Craft released into one block over the city, most inside one another, the
// crowd the program flies with many craft: every move through tryMove leaves
// the tree the four calls leave.
struct TwoWays {
    TwoWays() : moved(cityRootBox()), byCalls(cityRootBox()) {}

    void addStatic(const SbBox3f* box) { add(box); }
    void addMover(int, SbBox3f* box) { add(box); }
    void add(const SbBox3f* box) {
        const CollisionObject record(0, 0, 0, const_cast<SbBox3f*>(box));
        moved.insert(record);
        byCalls.insert(record);
    }
    bool tryMove(int, SbBox3f* from, SbBox3f* to) {
        const CollisionObject old(0, 0, 0, from);
        const CollisionObject tried(0, 0, 0, to);
        const bool hit = moved.tryMove(old, tried);
        byCalls.remove(old);
        if (byCalls.insertAndCheck(tried)) {
            byCalls.remove(tried);
            byCalls.insert(old);
            EXPECT_TRUE(hit);
            return true;
        }
        EXPECT_FALSE(hit);
        return false;
    }
    void endStep() {}

    OctTree moved;
    OctTree byCalls;
};

TEST(OctTreeRemoveWalk, CrowdOverTheCityMovesAsByFourCalls) {
    TwoWays trees;
    Movers crowd(400, 3, cityBoxes(5), Release::crowded);
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
