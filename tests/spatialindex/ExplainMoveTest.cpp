#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <vector>

#include "octree/OctTree.h"
#include "spatialindex/IndexSet.h"
#include "tests/support/CityWorkload.h"
#include "tests/support/IndexContents.h"
#include "world/WorldConstants.h"

namespace {

// A world small enough to count by hand, in a region of 16 units a side whose
// octree splits once into octants of 8: four fillers high up, a building and a
// street tile in the low corner octant with the mover, and a craft in the
// octant across.
class ExplainMoveTest : public ::testing::Test {
protected:
    ExplainMoveTest() {
        for (SbBox3f* box :
             {&filler[0], &filler[1], &filler[2], &filler[3], &building, &craft, &street, &mover}) {
            for (CollisionIndex* index : all) {
                index->insert(recordOf(box));
            }
        }
    }

    MoveExplanation explain(const CollisionIndex& index, SbBox3f& tried) {
        const std::map<const SbBox3f*, int> before = held(index);
        MoveExplanation explanation;
        index.explainMove(recordOf(&mover), recordOf(&tried), explanation, true);
        EXPECT_EQ(held(index), before) << index.name() << ": explaining changed the index";
        return explanation;
    }

    OctTree tree{SbBox3f(0, 0, 0, 16, 16, 16)};
    IndexSet set{tree};
    CollisionIndex& octree = set.at(IndexSet::OCTREE);
    CollisionIndex& dbvt = set.at(IndexSet::DBVT);
    CollisionIndex& flat = set.at(IndexSet::FLAT);
    CollisionIndex* const all[IndexSet::count] = {&octree, &dbvt, &flat};

    SbBox3f filler[4] = {SbBox3f(13, 13, 13, 14, 14, 14), SbBox3f(1, 13, 1, 2, 14, 2),
                         SbBox3f(13, 13, 1, 14, 14, 2), SbBox3f(1, 13, 13, 2, 14, 14)};
    SbBox3f building{2, 1, 2, 4, 5, 4};
    SbBox3f craft{10, 1, 10, 11, 1.5f, 11};
    SbBox3f street{0, 0, 0, 8, 1, 8};
    SbBox3f mover{5, 1, 5, 6, 1.5f, 6};
    static constexpr int others = 7;
};

TEST_F(ExplainMoveTest, AMoveIntoAnEmptyLeafTestsNothingInTheOctreeAndEverythingInTheList) {
    SbBox3f tried(5, 1, 9, 6, 1.5f, 10);
    const MoveExplanation inOctree = explain(octree, tried);
    EXPECT_EQ(inOctree.visited, 1);
    EXPECT_EQ(inOctree.tested, 0);
    EXPECT_FALSE(inOctree.refused);
    EXPECT_EQ(inOctree.refusedBy.box, nullptr);
    ASSERT_EQ(inOctree.visitedBoxes.size(), 1u);
    EXPECT_EQ(inOctree.visitedBoxes[0], SbBox3f(0, 0, 8, 8, 8, 16));

    const MoveExplanation inList = explain(flat, tried);
    EXPECT_EQ(inList.visited, others);
    EXPECT_EQ(inList.tested, others);
    EXPECT_EQ(inList.testedRecords.size(), std::size_t(others));

    const MoveExplanation inTree = explain(dbvt, tried);
    EXPECT_EQ(inTree.tested, 0);
    EXPECT_GE(inTree.visited, 1);
    EXPECT_EQ(inTree.visitedBoxes.size(), std::size_t(inTree.visited));
}

TEST_F(ExplainMoveTest, BesideABuildingTheOctreeTestsItsLeafsOthersAndTheirPair) {
    SbBox3f tried(4.5f, 1, 4.5f, 5.5f, 1.5f, 5.5f);
    const MoveExplanation inOctree = explain(octree, tried);
    EXPECT_EQ(inOctree.visited, 1);
    // The tried box against the building and the street, then the two in a pair.
    EXPECT_EQ(inOctree.tested, 3);
    EXPECT_EQ(inOctree.visitedTests, std::vector<int>{3});
    EXPECT_FALSE(inOctree.refused);
    EXPECT_EQ(explain(flat, tried).tested, others);
    // The street's top face meets the tried box's bottom: a candidate of the
    // tree's closed test, no overlap under the half-open one.
    const MoveExplanation inTree = explain(dbvt, tried);
    EXPECT_EQ(inTree.tested, 1);
    ASSERT_EQ(inTree.testedRecords.size(), 1u);
    EXPECT_EQ(inTree.testedRecords[0].box, &street);
    for (CollisionIndex* index : all) {
        EXPECT_FALSE(index->tryMove(recordOf(&mover), recordOf(&tried))) << index->name();
    }
}

TEST_F(ExplainMoveTest, AcrossLeafBoundariesEveryLeafReachedIsVisited) {
    SbBox3f tried(7.5f, 1, 7.5f, 8.5f, 1.5f, 8.5f);
    const MoveExplanation inOctree = explain(octree, tried);
    EXPECT_EQ(inOctree.visited, 4);
    // 3 in the mover's leaf, none in the two empty ones, 1 against the craft.
    EXPECT_EQ(inOctree.tested, 4);
    EXPECT_EQ(inOctree.visitedTests, (std::vector<int>{3, 0, 0, 1}));
    EXPECT_EQ(inOctree.testedRecords.size(), 3u);
}

TEST_F(ExplainMoveTest, ARefusedMoveNamesTheCraftInEveryIndexAndAgreesWithTheMove) {
    SbBox3f tried(9.5f, 1, 9.5f, 10.5f, 1.5f, 10.5f);
    const int listPlace = 5;  // fillers, building, then the craft
    for (CollisionIndex* index : all) {
        const MoveExplanation explanation = explain(*index, tried);
        EXPECT_TRUE(explanation.refused) << index->name();
        EXPECT_EQ(explanation.refusedBy.box, &craft) << index->name();
        EXPECT_TRUE(index->tryMove(recordOf(&mover), recordOf(&tried))) << index->name();
    }
    EXPECT_EQ(explain(octree, tried).tested, 1);
    EXPECT_EQ(explain(flat, tried).tested, listPlace + 1);
}

TEST_F(ExplainMoveTest, TwoOverlappingOthersInALeafRefuseInTheOctreeAndTheFirstIsNamed) {
    SbBox3f inside(2.5f, 2, 2.5f, 3, 2.5f, 3);
    octree.insert(recordOf(&inside));
    SbBox3f tried(4.5f, 1, 4.5f, 5.5f, 1.5f, 5.5f);
    const MoveExplanation explanation = explain(octree, tried);
    EXPECT_TRUE(explanation.refused);
    EXPECT_EQ(explanation.refusedBy.box, &building);
    EXPECT_TRUE(octree.tryMove(recordOf(&mover), recordOf(&tried)));
}

// Craft flown at random through a city in every index: each explained move
// gives the answer the move then gives, and names a record its box overlaps.
TEST(ExplainMoveCity, TheExplanationsAnswerIsTheMovesInEveryIndex) {
    for (int number = 0; number < IndexSet::count; ++number) {
        OctTree tree{worldRegion()};
        IndexSet set{tree};
        set.choose(number);
        CollisionIndex& index = set.active();
        for (SbBox3f* box : cityBoxes(7)) {
            index.insert(recordOf(box));
        }
        std::mt19937 engine(11);
        std::uniform_real_distribution<float> place(-6, 6), step(-0.6f, 0.6f);
        std::vector<std::unique_ptr<SbBox3f>> boxes;
        for (int n = 0; n < 30; ++n) {
            const SbVec3f at(place(engine), -4 + place(engine) / 3, place(engine));
            boxes.emplace_back(
                new SbBox3f(at - SbVec3f(0.5f, 0.125f, 0.5f), at + SbVec3f(0.5f, 0.125f, 0.5f)));
            index.insert(recordOf(boxes.back().get()));
        }
        int refused = 0;
        for (int move = 0; move < 3000; ++move) {
            std::unique_ptr<SbBox3f>& box = boxes[move % boxes.size()];
            const SbVec3f by(step(engine), step(engine) / 4, step(engine));
            std::unique_ptr<SbBox3f> tried(new SbBox3f(box->getMin() + by, box->getMax() + by));
            MoveExplanation explanation;
            index.explainMove(recordOf(box.get()), recordOf(tried.get()), explanation, false);
            const bool answer = index.tryMove(recordOf(box.get()), recordOf(tried.get()));
            ASSERT_EQ(explanation.refused, answer) << index.name() << " move " << move;
            if (answer) {
                ++refused;
                ASSERT_NE(explanation.refusedBy.box, nullptr);
                EXPECT_TRUE(number == IndexSet::OCTREE ||
                            OctTree::boxesOverlap(*tried, *explanation.refusedBy.box));
            } else {
                box = std::move(tried);
            }
        }
        EXPECT_GT(refused, 100) << index.name();
        EXPECT_LT(refused, 2900) << index.name();
    }
}

}  // namespace
