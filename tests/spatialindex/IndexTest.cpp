#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

#include "octree/OctTree.h"
#include "spatialindex/IndexSet.h"
#include "spatialindex/MoveProtocol.h"
#include "tests/support/CityWorkload.h"
#include "tests/support/IndexContents.h"

namespace {

class IndexTest : public ::testing::Test {
protected:
    OctTree tree{worldRegion()};
    IndexSet set{tree};
    CollisionIndex* const all[IndexSet::count] = {&set.at(IndexSet::OCTREE),
                                                  &set.at(IndexSet::DBVT), &set.at(IndexSet::FLAT)};
};

// A city whose boxes only touch and a row of boxes across the region's edge,
// and tried boxes on a quarter-unit grid, so that many meet a filed box face
// to face; those near the edge overlap what is filed beyond it, where nothing
// collides.
TEST_F(IndexTest, AllDecideTriedBoxesAlikeWhereNoFiledBoxesOverlap) {
    std::vector<SbBox3f> edge;
    for (float x = 57.5f; x < 66; x += 2) {
        edge.emplace_back(x, -20, 0, x + 1, -19, 1);
    }
    for (CollisionIndex* index : all) {
        for (SbBox3f* box : cityBoxes(7)) {
            index->insert(recordOf(box));
        }
        for (SbBox3f& box : edge) {
            index->insert(recordOf(&box));
        }
        index->filedAll();
    }
    std::mt19937 engine(5);
    std::uniform_int_distribution<int> corner(-4, 48);
    std::uniform_int_distribution<int> size(1, 6);
    int collided = 0, free = 0;
    for (int n = 0; n < 4000; ++n) {
        SbVec3f min, max;
        for (int axis = 0; axis < 3; ++axis) {
            // Mostly over the city; every tenth at the region's edge.
            const float offset =
                n % 10 == 0 ? (axis == 1 ? -21 : (axis == 0 ? 56 : -2)) : (axis == 1 ? -6 : -1);
            min[axis] = offset + corner(engine) * 0.25f;
            max[axis] = min[axis] + size(engine) * 0.25f;
        }
        SbBox3f tried(min, max);
        bool answers[IndexSet::count];
        for (int i = 0; i < IndexSet::count; ++i) {
            answers[i] = all[i]->insertAndCheck(recordOf(&tried));
            all[i]->remove(recordOf(&tried));
        }
        ASSERT_EQ(answers[1], answers[0]) << "dbvt, box " << n;
        ASSERT_EQ(answers[2], answers[0]) << "flat, box " << n;
        (answers[0] ? collided : free) += 1;
    }
    EXPECT_GT(collided, 400);
    EXPECT_GT(free, 400);
}

// The octree's answer is whether a leaf the record reached holds two
// overlapping records: where two filed ones overlap, it refuses also a third
// that overlaps neither. The others answer for the tried box alone.
TEST_F(IndexTest, WhereTwoFiledOverlapTheOctreeAloneRefusesAThird) {
    SbBox3f first(1, -3, 1, 2, -2, 2), second(1.5f, -3, 1.5f, 2.5f, -2, 2.5f);
    SbBox3f third(3, -3, 3, 3.5f, -2.5f, 3.5f);
    for (CollisionIndex* index : all) {
        index->insert(recordOf(&first));
        index->insert(recordOf(&second));
    }
    EXPECT_TRUE(set.at(IndexSet::OCTREE).insertAndCheck(recordOf(&third)));
    EXPECT_FALSE(set.at(IndexSet::DBVT).insertAndCheck(recordOf(&third)));
    EXPECT_FALSE(set.at(IndexSet::FLAT).insertAndCheck(recordOf(&third)));
}

TEST_F(IndexTest, ChoosingMovesEveryThingOnceAndLeavesTheOldEmpty) {
    const std::vector<SbBox3f*>& city = cityBoxes(3);
    for (SbBox3f* box : city) {
        set.active().insert(recordOf(box));
    }
    const std::map<const SbBox3f*, int> start = held(set.at(IndexSet::OCTREE));
    ASSERT_EQ(start.size(), city.size());
    for (const auto& entry : start) {
        ASSERT_EQ(entry.second, 1) << "collect gives each thing once";
    }
    for (int number : {IndexSet::DBVT, IndexSet::FLAT, IndexSet::OCTREE}) {
        const CollisionIndex& before = set.active();
        EXPECT_EQ(set.cycle(), static_cast<int>(city.size()));
        EXPECT_EQ(set.activeNumber(), number);
        EXPECT_TRUE(held(before).empty()) << before.name();
        EXPECT_EQ(held(set.active()), start) << set.active().name();
    }
    EXPECT_EQ(set.choose(IndexSet::OCTREE), 0) << "choosing the active one moves nothing";
}

// An index emptied at once (as a switch away from it does) holds nothing,
// the dynamic tree not one proxy, and decides as before once refilled.
TEST_F(IndexTest, AnIndexEmptiedAtOnceHoldsNothingAndWorksAgain) {
    const std::vector<SbBox3f*>& city = cityBoxes(3);
    SbBox3f free(-50, -100, -50, -49, -99, -49), into(*city.front());
    for (CollisionIndex* index : all) {
        for (int round = 0; round < 2; ++round) {
            for (SbBox3f* box : city) {
                index->insert(recordOf(box));
            }
            std::vector<CollisionObject> records;
            index->collect(records);
            ASSERT_EQ(records.size(), city.size()) << index->name();
            index->removeAll(records);
            EXPECT_TRUE(held(*index).empty()) << index->name();
            EXPECT_EQ(
                index->walkBoxes([](void*, const SbBox3f&, IndexBoxKind, int) {}, nullptr).leaves,
                0)
                << index->name() << ": nothing left in its structure";
        }
        for (SbBox3f* box : city) {
            index->insert(recordOf(box));
        }
        EXPECT_TRUE(index->insertAndCheck(recordOf(&into))) << index->name();
        index->remove(recordOf(&into));
        EXPECT_FALSE(index->insertAndCheck(recordOf(&free))) << index->name();
        index->remove(recordOf(&free));
        EXPECT_EQ(held(*index).size(), city.size()) << index->name();
    }
}

TEST_F(IndexTest, ARefusedMoveFilesTheMoverBackAndAnAcceptedOneUnderItsNewBox) {
    SbBox3f wall(5, -4, 0, 6, 0, 10), at(3, -1, 3, 4, -0.5f, 4);
    SbBox3f clear(3.5f, -1, 3, 4.5f, -0.5f, 4), into(4.5f, -1, 3, 5.5f, -0.5f, 4);
    for (CollisionIndex* index : all) {
        index->insert(recordOf(&wall));
        index->insert(recordOf(&at));
        EXPECT_TRUE(index->tryMove(recordOf(&at), recordOf(&into))) << index->name();
        EXPECT_EQ(held(*index), (std::map<const SbBox3f*, int>{{&wall, 1}, {&at, 1}}))
            << index->name();
        EXPECT_FALSE(index->tryMove(recordOf(&at), recordOf(&clear))) << index->name();
        EXPECT_EQ(held(*index), (std::map<const SbBox3f*, int>{{&wall, 1}, {&clear, 1}}))
            << index->name();
    }
}

}  // namespace
