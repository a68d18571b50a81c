// The pruned remove against the walk over every node: the same random
// sequences of insert, insertAndCheck, remove and moves on two trees (a move
// being remove, or removeEverywhere on the second, and then insertAndCheck)
// must give the same answers and leave every node's list identical, in order,
// after every operation.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "octree/OctTree.h"
#include "tests/octree/TreeProbe.h"
#include "tests/support/TreeCheck.h"

namespace {

// Where the two trees first differ, or an empty string.
std::string firstDifference(const OctTree& pruned, const OctTree& full, const std::string& at) {
    if (pruned.objectCount != full.objectCount || boxesIn(pruned) != boxesIn(full)) {
        return "lists differ at " + at;
    }
    for (int k = 0; k < 8; ++k) {
        if ((pruned.children[k] == nullptr) != (full.children[k] == nullptr)) {
            return "shape differs at " + at;
        }
        if (pruned.children[k] != nullptr) {
            std::string diff =
                firstDifference(*pruned.children[k], *full.children[k], at + std::to_string(k));
            if (!diff.empty()) {
                return diff;
            }
        }
    }
    return "";
}

struct Bounds {
    int nodeBudget;
    int nodesPerRecord;
};

// Boxes on a half-unit lattice over a 16-unit root, so that many start or end
// on dividing planes; some are flat or thin, some reach outside the root.
class BoxSource {
public:
    explicit BoxSource(unsigned seed) : engine(seed) {}

    SbBox3f* fresh() {
        SbVec3f lo;
        SbVec3f hi;
        for (int axis = 0; axis < 3; ++axis) {
            lo[axis] = pick(-4, 36) / 2.0f;
            hi[axis] = lo[axis] + widths[pick(0, 5)];
        }
        boxes.emplace_back(lo, hi);
        return &boxes.back();
    }

    // Another box with the same corners: a different thing to the tree.
    SbBox3f* twin(const SbBox3f* box) {
        boxes.push_back(*box);
        return &boxes.back();
    }

    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(engine); }

private:
    const float widths[6] = {0.0f, 0.5f, 1.0f, 2.0f, 4.0f, 9.0f};
    std::mt19937 engine;
    std::deque<SbBox3f> boxes;
};

struct Tally {
    int copiesRemoved = 0;
    int collisions = 0;
    int deepest = 0;
    int largestLeaf = 0;
    int moves = 0;
};

// Runs one random sequence and adds what it exercised to the tally.
void runSequence(unsigned seed, const Bounds& bounds, int operations, Tally& tally) {
    const SbBox3f region(0, 0, 0, 16, 16, 16);
    OctTree pruned(region);
    OctTree full(region);
    for (OctTree* tree : {&pruned, &full}) {
        // Chains of shared points end soon, with the overflow line.
        tree->maxDepth = 40;
        tree->nodeBudget = bounds.nodeBudget;
        tree->nodesPerRecord = bounds.nodesPerRecord;
    }

    BoxSource source(seed);
    std::vector<SbBox3f*> filed;
    std::vector<SbBox3f*> gone;
    for (int op = 0; op < operations; ++op) {
        const int roll = source.pick(0, 99);
        std::string what;
        if (roll == 99) {
            // A record without a box is refused by both forms of filing.
            what = "filing without a box";
            pruned.insert(CollisionObject());
            full.insert(CollisionObject());
            EXPECT_FALSE(pruned.insertAndCheck(CollisionObject()));
            EXPECT_FALSE(full.insertAndCheck(CollisionObject()));
        } else if (roll >= 40 && roll < 60 && !filed.empty()) {
            // A filed thing moves, now and then one that is no longer filed or
            // onto a box that is already filed.
            what = "move";
            const int index = source.pick(0, static_cast<int>(filed.size()) - 1);
            SbBox3f* from = filed[index];
            if (roll == 40 && !gone.empty()) {
                from = gone[source.pick(0, static_cast<int>(gone.size()) - 1)];
            } else {
                filed.erase(filed.begin() + index);
                gone.push_back(from);
            }
            SbBox3f* to = roll == 41 && !filed.empty()
                              ? filed[source.pick(0, static_cast<int>(filed.size()) - 1)]
                              : source.fresh();
            const int before = copiesOf(full, from);
            pruned.remove(CollisionObject(0, 0, 0, from));
            const bool hit = pruned.insertAndCheck(CollisionObject(0, 0, 0, to));
            full.removeEverywhere(CollisionObject(0, 0, 0, from));
            ASSERT_EQ(hit, full.insertAndCheck(CollisionObject(0, 0, 0, to)))
                << "seed " << seed << " op " << op;
            tally.copiesRemoved += before - copiesOf(full, from);
            tally.collisions += hit;
            ++tally.moves;
            filed.push_back(to);
        } else if (roll < 55 || filed.empty()) {
            // A new thing, or now and then a second copy of a filed one.
            SbBox3f* box = (roll % 10 == 0 && !filed.empty())
                               ? filed[source.pick(0, static_cast<int>(filed.size()) - 1)]
                               : source.fresh();
            const CollisionObject record(0, 0, 0, box);
            if (roll % 2 == 0) {
                what = "insert";
                pruned.insert(record);
                full.insert(record);
            } else {
                what = "insertAndCheck";
                const bool hit = pruned.insertAndCheck(record);
                ASSERT_EQ(hit, full.insertAndCheck(record)) << "seed " << seed << " op " << op;
                tally.collisions += hit;
            }
            filed.push_back(box);
        } else {
            SbBox3f* box = nullptr;
            if (roll < 90) {
                what = "remove of a filed thing";
                const int index = source.pick(0, static_cast<int>(filed.size()) - 1);
                box = filed[index];
                filed.erase(filed.begin() + index);
                gone.push_back(box);
            } else if (roll < 95 || gone.empty()) {
                what = "remove of a twin";
                box = source.twin(filed[source.pick(0, static_cast<int>(filed.size()) - 1)]);
            } else {
                what = "remove of a removed thing";
                box = gone[source.pick(0, static_cast<int>(gone.size()) - 1)];
            }
            const int before = copiesOf(full, box);
            pruned.remove(CollisionObject(0, 0, 0, box));
            full.removeEverywhere(CollisionObject(0, 0, 0, box));
            tally.copiesRemoved += before - copiesOf(full, box);
            EXPECT_EQ(copiesOf(full, box), 0);
        }
        const std::string diff = firstDifference(pruned, full, "root/");
        ASSERT_EQ(diff, "") << "seed " << seed << ", op " << op << " (" << what << ")";
        ASSERT_EQ(pruned.recordsFiled, full.recordsFiled) << "seed " << seed << ", op " << op;
        ASSERT_EQ(firstBrokenInvariant(pruned), "")
            << "seed " << seed << ", op " << op << " (" << what << ")";
    }
    tally.deepest = std::max(tally.deepest, deepestDepth(full));
    tally.largestLeaf = std::max(tally.largestLeaf, largestLeaf(full));
}

TEST(OctTreeRemoveWalk, PrunedWalkLeavesTheSameTree) {
    // A budget never reached, so that only records sharing a point crowd a
    // leaf and chains of shared points go down to the deepest level; and a
    // tight fixed budget that makes leaves keep records wherever it is spent.
    const Bounds roomy{1000000, OctTree::defaultNodesPerRecord};
    const Bounds tight{300, 0};
    // And a budget that grows with the records and is soon spent: its
    // decisions depend on how many records a move leaves filed.
    const Bounds counted{150, 2};
    for (const Bounds& bounds : {roomy, tight, counted}) {
        Tally total;
        for (unsigned seed = 1; seed <= 4; ++seed) {
            testing::internal::CaptureStdout();
            runSequence(seed, bounds, 1500, total);
            const std::string printed = testing::internal::GetCapturedStdout();
            if (HasFailure()) {
                std::cout << printed;
            }
            ASSERT_FALSE(HasFailure()) << "budget " << bounds.nodeBudget;
            if (HasFatalFailure()) {
                return;
            }
        }
        // The sequences reached what the pruning must get right.
        EXPECT_GT(total.copiesRemoved, 1000) << "budget " << bounds.nodeBudget;
        EXPECT_GT(total.collisions, 50) << "budget " << bounds.nodeBudget;
        EXPECT_GE(total.deepest, 4) << "budget " << bounds.nodeBudget;
        EXPECT_GT(total.moves, 500) << "budget " << bounds.nodeBudget;
        if (bounds.nodeBudget != roomy.nodeBudget) {
            EXPECT_GT(total.largestLeaf, 4) << "crowded leaves keep more than a full leaf";
        }
    }
}

TEST(OctTreeRemoveWalk, RootListBeforeTheFirstSplit) {
    // Before the first split the root keeps records wherever their boxes lie,
    // also outside its region; a record without a box is refused.
    OctTree pruned(SbBox3f(0, 0, 0, 16, 16, 16));
    SbBox3f outside(40, 40, 40, 41, 41, 41);
    SbBox3f inside(1, 1, 1, 2, 2, 2);
    const CollisionObject records[] = {CollisionObject(0, 0, 0, &outside),
                                       CollisionObject(0, 0, 0, &inside), CollisionObject()};
    for (const CollisionObject& record : records) {
        pruned.insert(record);
    }
    EXPECT_EQ(boxesIn(pruned), (std::vector<const SbBox3f*>{&outside, &inside}));
    pruned.remove(records[0]);
    EXPECT_EQ(boxesIn(pruned), (std::vector<const SbBox3f*>{&inside}));
    pruned.remove(records[2]);
    EXPECT_EQ(boxesIn(pruned), (std::vector<const SbBox3f*>{&inside}));
}

}  // namespace
