// The pruned remove and the move decided before filing (tryMove) against the
// walk over every node and the four calls: the same random sequences of
// insert, insertAndCheck, remove and moves on two trees must give the same
// answers and leave every node's list identical, in order, after every
// operation, and print the same overflow lines. A move is tryMove on the first
// tree; on the second it is removeEverywhere, insertAndCheck and, on a
// collision, removeEverywhere of the tried box and insert of the old one.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "octree/OctTree.h"
#include "tests/octree/OctTreeTestAccess.h"
#include "tests/octree/TreeProbe.h"
#include "tests/support/TreeCheck.h"

namespace {

struct Bounds {
    int nodeBudget;
    int nodesPerRecord;
};

// Boxes on a half-unit lattice over a 16-unit root, so that many start or end
// on dividing planes; some are flat or thin, some reach outside the root.
class BoxSource {
public:
    // With crowd, half the boxes hold the point (8, 8, 8), the centre of the
    // region: leaves there keep more than their capacity.
    BoxSource(unsigned seed, bool crowd) : engine(seed), crowd(crowd) {}

    SbBox3f* fresh() {
        SbVec3f lo;
        SbVec3f hi;
        const bool aroundCentre = crowd && pick(0, 1) == 0;
        for (int axis = 0; axis < 3; ++axis) {
            lo[axis] = aroundCentre ? 8 - pick(1, 4) / 2.0f : pick(-4, 36) / 2.0f;
            hi[axis] = aroundCentre ? 8 + pick(0, 4) / 2.0f : lo[axis] + widths[pick(0, 5)];
        }
        boxes.emplace_back(lo, hi);
        return &boxes.back();
    }

    // A box of the same size a lattice step or none away on each axis.
    SbBox3f* near(const SbBox3f* box) {
        const SbVec3f step(pick(-1, 1) / 2.0f, pick(-1, 1) / 2.0f, pick(-1, 1) / 2.0f);
        boxes.emplace_back(box->getMin() + step, box->getMax() + step);
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
    bool crowd;
    std::deque<SbBox3f> boxes;
};

// What an operation printed on standard output: the overflow lines.
template <class Operation>
std::string printedBy(Operation operation) {
    testing::internal::CaptureStdout();
    operation();
    return testing::internal::GetCapturedStdout();
}

struct Tally {
    int copiesRemoved = 0;
    int collisions = 0;
    int deepest = 0;
    int largestLeaf = 0;
    int moves = 0;
    // Moves that left the tree's shape as it was, refused or gone ahead, and
    // those whose filing split a leaf.
    int refusedInPlace = 0;
    int aheadInPlace = 0;
    int splitting = 0;
    // Operations that printed the overflow line, and moves among them.
    int printing = 0;
    int printingMoves = 0;
};

// Where two lists of filed boxes keep the one given; bookkeeping for picks.
void forget(std::vector<SbBox3f*>& boxes, const SbBox3f* box) {
    boxes.erase(std::remove(boxes.begin(), boxes.end(), box), boxes.end());
}

// Runs one random sequence and adds what it exercised to the tally.
// maxDepth: the tree's; a shallow one makes full leaves at the deepest level
// refuse records with the overflow line.
void runSequence(unsigned seed, const Bounds& bounds, bool crowd, int operations, Tally& tally,
                 int maxDepth = 40) {
    const SbBox3f region(0, 0, 0, 16, 16, 16);
    OctTree pruned(region);
    OctTree full(region);
    for (OctTree* tree : {&pruned, &full}) {
        // Chains of shared points end soon, with the overflow line.
        tree->maxDepth = maxDepth;
        tree->nodeBudget = bounds.nodeBudget;
        tree->nodesPerRecord = bounds.nodesPerRecord;
    }

    BoxSource source(seed, crowd);
    std::vector<SbBox3f*> filed;
    std::vector<SbBox3f*> gone;
    std::map<const SbBox3f*, FlyingObject*> owners;
    for (int op = 0; op < operations; ++op) {
        const int roll = source.pick(0, 99);
        std::string what;
        // What each tree's operation printed; removals never print.
        std::string printed;
        std::string fullPrinted;
        if (roll == 99) {
            // A record without a box is refused by both forms of filing.
            what = "filing without a box";
            pruned.insert(CollisionObject());
            full.insert(CollisionObject());
            EXPECT_FALSE(pruned.insertAndCheck(CollisionObject()));
            EXPECT_FALSE(full.insertAndCheck(CollisionObject()));
            EXPECT_FALSE(pruned.tryMove(CollisionObject(), CollisionObject()));
        } else if (roll >= 40 && roll < 60 && !filed.empty()) {
            // A filed thing tries a move, mostly a small step; now and then
            // one that is no longer filed, onto its own box, onto another
            // filed box, or far away.
            what = "move";
            SbBox3f* from = filed[source.pick(0, static_cast<int>(filed.size()) - 1)];
            if (roll == 40 && !gone.empty()) {
                from = gone[source.pick(0, static_cast<int>(gone.size()) - 1)];
            }
            SbBox3f* to = roll == 41   ? filed[source.pick(0, static_cast<int>(filed.size()) - 1)]
                          : roll == 42 ? source.fresh()
                          : roll == 43 ? from
                                       : source.near(from);
            const int before = copiesOf(full, from);
            const int nodesBefore = pruned.treeNodes;
            bool hit = false;
            bool fullHit = false;
            // Mostly the thing's own owner, so that the root's hint for it is
            // often its leaf, boxes on the planes included; now and then
            // another's, whose hint names some other leaf.
            FlyingObject*& thingsOwner = owners[from];
            if (thingsOwner == nullptr) {
                thingsOwner = fakeOwner(static_cast<int>(owners.size()));
            }
            FlyingObject* owner =
                source.pick(0, 3) == 0 ? fakeOwner(source.pick(0, 255)) : thingsOwner;
            printed = printedBy([&] {
                hit = pruned.tryMove(CollisionObject(0, 0, 0, 0, 0, 0, from, owner),
                                     CollisionObject(0, 0, 0, 0, 0, 0, to, owner));
            });
            fullPrinted = printedBy([&] {
                full.removeEverywhere(CollisionObject(0, 0, 0, from));
                fullHit = full.insertAndCheck(CollisionObject(0, 0, 0, to));
                if (fullHit) {
                    full.removeEverywhere(CollisionObject(0, 0, 0, to));
                    full.insert(CollisionObject(0, 0, 0, from));
                }
            });
            tally.printingMoves += !printed.empty();
            ASSERT_EQ(hit, fullHit) << "seed " << seed << " op " << op;
            tally.copiesRemoved += std::max(0, before - copiesOf(full, from));
            tally.collisions += hit;
            ++tally.moves;
            const bool inPlace = pruned.treeNodes == nodesBefore;
            tally.refusedInPlace += hit && inPlace;
            tally.aheadInPlace += !hit && inPlace;
            tally.splitting += !inPlace;
            owners[to] = thingsOwner;
            SbBox3f* stays = hit ? from : to;
            SbBox3f* leaves = hit ? to : from;
            forget(filed, leaves);
            forget(gone, stays);
            filed.push_back(stays);
            gone.push_back(leaves);
        } else if (roll < 55 || filed.empty()) {
            // A new thing, or now and then a second copy of a filed one.
            SbBox3f* box = (roll % 10 == 0 && !filed.empty())
                               ? filed[source.pick(0, static_cast<int>(filed.size()) - 1)]
                               : source.fresh();
            const CollisionObject record(0, 0, 0, box);
            if (roll % 2 == 0) {
                what = "insert";
                printed = printedBy([&] { pruned.insert(record); });
                fullPrinted = printedBy([&] { full.insert(record); });
            } else {
                what = "insertAndCheck";
                bool hit = false;
                bool fullHit = false;
                printed = printedBy([&] { hit = pruned.insertAndCheck(record); });
                fullPrinted = printedBy([&] { fullHit = full.insertAndCheck(record); });
                ASSERT_EQ(hit, fullHit) << "seed " << seed << " op " << op;
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
        ASSERT_EQ(printed, fullPrinted) << "seed " << seed << ", op " << op << " (" << what << ")";
        tally.printing += !printed.empty();
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
        // Four sequences spread over the region and two crowded, then two
        // whose deepest leaves, two levels down, refuse records.
        for (unsigned seed = 1; seed <= 8; ++seed) {
            const bool crowd = seed == 5 || seed == 6;
            runSequence(seed, bounds, crowd, crowd ? 600 : 1500, total, seed > 6 ? 2 : 40);
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
        EXPECT_GT(total.refusedInPlace, 50) << "budget " << bounds.nodeBudget;
        EXPECT_GT(total.aheadInPlace, 200) << "budget " << bounds.nodeBudget;
        EXPECT_GT(total.splitting, 10) << "budget " << bounds.nodeBudget;
        if (bounds.nodeBudget != roomy.nodeBudget) {
            EXPECT_GT(total.largestLeaf, 4) << "crowded leaves keep more than a full leaf";
        }
        EXPECT_GT(total.printing, 100) << "budget " << bounds.nodeBudget;
        EXPECT_GT(total.printingMoves, 20) << "budget " << bounds.nodeBudget;
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

// A move whose tried box reaches a full leaf at maxDepth: refused there with
// the overflow line, as the four calls refuse it, even where the node budget,
// spent on the chain down to it, would have the leaf keep the record.
TEST(OctTreeRemoveWalk, MoveIntoAFullLeafAtMaxDepth) {
    const SbBox3f region(0, 0, 0, 16, 16, 16);
    OctTree moved(region);
    OctTree byCalls(region);
    // Five points chain down to the leaf [5, 5.25) at depth 6; the mover sits
    // in the leaf beside it and tries a box over both.
    std::vector<SbBox3f> points(5, SbBox3f(5, 5, 5, 5, 5, 5));
    SbBox3f mover(5.3f, 5.1f, 5.1f, 5.4f, 5.2f, 5.2f);
    SbBox3f overBoth(5.1f, 5.1f, 5.1f, 5.35f, 5.2f, 5.2f);
    for (OctTree* tree : {&moved, &byCalls}) {
        tree->maxDepth = 6;
        tree->nodeBudget = 1 + 8 * 6;
        tree->nodesPerRecord = 0;
        testing::internal::CaptureStdout();
        for (int i = 0; i < 5; ++i) {
            tree->insert(CollisionObject(0, 0, 0, &points[i]));
        }
        tree->insert(CollisionObject(0, 0, 0, &mover));
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "V maximalni hloubce stromu je vice objektu, nez je kapacita OctTree!\n");
    }
    const CollisionObject from(0, 0, 0, &mover);
    const CollisionObject to(0, 0, 0, &overBoth);
    testing::internal::CaptureStdout();
    const bool hit = moved.tryMove(from, to);
    const std::string printed = testing::internal::GetCapturedStdout();
    testing::internal::CaptureStdout();
    byCalls.remove(from);
    EXPECT_EQ(hit, byCalls.insertAndCheck(to));
    EXPECT_EQ(printed, testing::internal::GetCapturedStdout());
    EXPECT_FALSE(printed.empty());
    EXPECT_EQ(moved.treeNodes, moved.nodeBudget);
    EXPECT_EQ(firstDifference(moved, byCalls, "root/"), "");
    EXPECT_EQ(moved.recordsFiled, byCalls.recordsFiled);
}

// A refused move whose filed box also reaches a full leaf at maxDepth, where
// it was refused with the overflow line when it was filed: filed back in one
// walk, the mover is refused there again with the line, as insert of the four
// calls refuses it.
TEST(OctTreeRemoveWalk, RefusedMoveFilesBackWithTheOverflowLine) {
    const SbBox3f region(0, 0, 0, 16, 16, 16);
    OctTree moved(region);
    OctTree byCalls(region);
    // Five points chain down to the leaf [5, 5.25) at depth 6, which keeps
    // four; the mover reaches it and the leaf beside it, where a blocker is.
    std::vector<SbBox3f> points(5, SbBox3f(5, 5, 5, 5, 5, 5));
    SbBox3f mover(5.2f, 5.1f, 5.1f, 5.3f, 5.2f, 5.2f);
    SbBox3f blocker(5.4f, 5.1f, 5.1f, 5.45f, 5.2f, 5.2f);
    SbBox3f ontoBlocker(5.32f, 5.1f, 5.1f, 5.42f, 5.2f, 5.2f);
    const std::string line =
        "V maximalni hloubce stromu je vice objektu, nez je kapacita OctTree!\n";
    for (OctTree* tree : {&moved, &byCalls}) {
        tree->maxDepth = 6;
        const std::string filing = printedBy([&] {
            for (SbBox3f& point : points) {
                tree->insert(CollisionObject(0, 0, 0, &point));
            }
            tree->insert(CollisionObject(0, 0, 0, &mover));
            tree->insert(CollisionObject(0, 0, 0, &blocker));
        });
        EXPECT_EQ(filing, line + line);
    }
    const CollisionObject from(0, 0, 0, &mover);
    const CollisionObject to(0, 0, 0, &ontoBlocker);
    const int nodesBefore = moved.treeNodes;
    bool hit = false;
    const std::string printed = printedBy([&] { hit = moved.tryMove(from, to); });
    bool byCallsHit = false;
    const std::string byCallsPrinted = printedBy([&] {
        byCalls.remove(from);
        byCallsHit = byCalls.insertAndCheck(to);
        byCalls.remove(to);
        byCalls.insert(from);
    });
    EXPECT_TRUE(hit);
    EXPECT_TRUE(byCallsHit);
    EXPECT_EQ(printed, line);
    EXPECT_EQ(printed, byCallsPrinted);
    EXPECT_EQ(moved.treeNodes, nodesBefore);
    EXPECT_EQ(firstDifference(moved, byCalls, "root/"), "");
    EXPECT_EQ(moved.recordsFiled, byCalls.recordsFiled);
    EXPECT_EQ(firstBrokenInvariant(moved), "");
}

// A mover whose hint names its leaf moves onto that leaf's upper plane: a flat
// box there lies in the next leaf, and the move must go there, as the four
// calls file it; one that ends on the plane stays.
TEST(OctTreeRemoveWalk, HintedMoveOntoTheLeafsUpperPlane) {
    const SbBox3f region(0, 0, 0, 16, 16, 16);
    OctTree moved(region);
    OctTree byCalls(region);
    std::deque<SbBox3f> boxes;
    // One small box in each of four upper octants, then the mover: the root
    // splits.
    for (int k = 4; k < 8; ++k) {
        const SbVec3f at(8 + 1.0f, (k & 2) ? 9.0f : 1.0f, (k & 1) ? 9.0f : 1.0f);
        boxes.emplace_back(at, at + SbVec3f(1, 1, 1));
    }
    boxes.emplace_back(7.5f, 1, 1, 7.5f, 2, 2);
    for (SbBox3f& box : boxes) {
        moved.insert(CollisionObject(0, 0, 0, &box));
        byCalls.insert(CollisionObject(0, 0, 0, &box));
    }
    ASSERT_NE(moved.children[0], nullptr);
    FlyingObject* owner = fakeOwner(0);
    SbBox3f* filed = &boxes.back();
    // Flat at 7, ending on the plane at 8, flat on the plane at 8.
    for (const SbBox3f& next :
         {SbBox3f(7, 1, 1, 7, 2, 2), SbBox3f(7, 1, 1, 8, 2, 2), SbBox3f(8, 1, 1, 8, 2, 2)}) {
        boxes.push_back(next);
        SbBox3f* tried = &boxes.back();
        const bool hit = moved.tryMove(CollisionObject(0, 0, 0, 0, 0, 0, filed, owner),
                                       CollisionObject(0, 0, 0, 0, 0, 0, tried, owner));
        byCalls.remove(CollisionObject(0, 0, 0, filed));
        ASSERT_FALSE(byCalls.insertAndCheck(CollisionObject(0, 0, 0, tried)));
        ASSERT_FALSE(hit);
        ASSERT_EQ(firstDifference(moved, byCalls, "root/"), "") << next.getMin()[0];
        filed = tried;
    }
    EXPECT_EQ(OctTreeTestAccess::hint(moved, owner), moved.children[4]);
}

// Swarm sequences: small movers released apart on a lattice, then all moved
// in turn, step after step, as the program moves its craft, each by a seeded
// random walk that drifts towards one corner, so that they crowd there and
// their filings split the leaves of others. After every move both trees
// must match as above.
struct SwarmTally {
    int moves = 0;
    int refused = 0;
    // Accepted moves whose tried box went to other leaves than the filed one.
    int crossing = 0;
    // Moves whose filing split a leaf that held another mover.
    int splittingAnother = 0;
    // Moves after which the mover's record lay in one leaf, and those where
    // the root's hint for its next move named that leaf.
    int inOneLeaf = 0;
    int hinted = 0;
};

// The leaves holding a copy of the box.
std::vector<const OctTree*> leavesHolding(const OctTree& tree, const SbBox3f* box) {
    std::vector<const OctTree*> leaves;
    forEachNode(tree, [&](const OctTree& node) {
        for (int i = 0; i < node.objectCount; ++i) {
            if (node.objects[i].box == box) {
                leaves.push_back(&node);
                break;
            }
        }
    });
    return leaves;
}

void runSwarm(unsigned seed, const Bounds& bounds, int count, int steps, SwarmTally& tally) {
    const SbBox3f region(0, 0, 0, 16, 16, 16);
    OctTree moved(region);
    OctTree byCalls(region);
    for (OctTree* tree : {&moved, &byCalls}) {
        tree->maxDepth = 12;
        tree->nodeBudget = bounds.nodeBudget;
        tree->nodesPerRecord = bounds.nodesPerRecord;
    }
    std::mt19937 engine(seed);
    std::uniform_real_distribution<float> kick(-0.08f, 0.08f);
    const SbVec3f half(0.25f, 0.0625f, 0.25f);
    // Two boxes a mover, as the workload's craft: the filed one and the tried.
    struct Walker {
        SbVec3f at;
        SbVec3f velocity;
        SbBox3f boxes[2];
        int current;
    };
    std::vector<Walker> walkers(static_cast<std::size_t>(count));
    for (int n = 0; n < count; ++n) {
        Walker& w = walkers[static_cast<std::size_t>(n)];
        w.at.setValue(2.1f + (n % 8) * 1.5f, 2.1f + (n / 8 % 8) * 0.6f, 2.1f + (n / 64) * 1.5f);
        w.velocity.setValue(0, 0, 0);
        w.boxes[0].setBounds(w.at - half, w.at + half);
        w.current = 0;
        for (OctTree* tree : {&moved, &byCalls}) {
            tree->insert(CollisionObject(0, 0, 0, &w.boxes[0]));
        }
    }
    const SbVec3f corner(11.5f, 11.5f, 11.5f);
    for (int step = 0; step < steps; ++step) {
        for (Walker& w : walkers) {
            w.velocity *= 0.9f;
            w.velocity +=
                SbVec3f(kick(engine), kick(engine), kick(engine)) + (corner - w.at) * 0.002f;
            // Now and then a jump over several leaves.
            const bool jump = std::uniform_int_distribution<int>(0, 49)(engine) == 0;
            const SbVec3f next = w.at + (jump ? w.velocity * 20.0f : w.velocity);
            SbBox3f* from = &w.boxes[w.current];
            SbBox3f* to = &w.boxes[1 - w.current];
            to->setBounds(next - half, next + half);

            const std::vector<const OctTree*> fromLeaves = leavesHolding(moved, from);
            std::vector<const OctTree*> othersLeaves;
            forEachNode(moved, [&](const OctTree& node) {
                if (node.objectCount > 0 &&
                    !(node.objectCount == 1 && node.objects[0].box == from)) {
                    othersLeaves.push_back(&node);
                }
            });
            bool hit = false;
            bool byCallsHit = false;
            FlyingObject* owner = fakeOwner(static_cast<int>(&w - walkers.data()));
            const std::string printed = printedBy([&] {
                hit = moved.tryMove(CollisionObject(0, 0, 0, 0, 0, 0, from, owner),
                                    CollisionObject(0, 0, 0, 0, 0, 0, to, owner));
            });
            const std::string byCallsPrinted = printedBy([&] {
                byCalls.removeEverywhere(CollisionObject(0, 0, 0, from));
                byCallsHit = byCalls.insertAndCheck(CollisionObject(0, 0, 0, to));
                if (byCallsHit) {
                    byCalls.removeEverywhere(CollisionObject(0, 0, 0, to));
                    byCalls.insert(CollisionObject(0, 0, 0, from));
                }
            });
            ASSERT_EQ(hit, byCallsHit) << "seed " << seed << " step " << step;
            ASSERT_EQ(printed, byCallsPrinted) << "seed " << seed << " step " << step;
            ASSERT_EQ(firstDifference(moved, byCalls, "root/"), "")
                << "seed " << seed << " step " << step;
            ASSERT_EQ(moved.recordsFiled, byCalls.recordsFiled) << "seed " << seed;
            ++tally.moves;
            if (hit) {
                ++tally.refused;
                w.velocity.setValue(0, 0, 0);
            } else {
                tally.crossing += leavesHolding(moved, to) != fromLeaves;
                w.at = next;
                w.current = 1 - w.current;
            }
            const std::vector<const OctTree*> nowIn = leavesHolding(moved, hit ? from : to);
            if (nowIn.size() == 1) {
                ++tally.inOneLeaf;
                tally.hinted += OctTreeTestAccess::hint(moved, owner) == nowIn[0];
            }
            for (const OctTree* leaf : othersLeaves) {
                if (leaf->objectCount == 0 && leaf->children[0] != nullptr) {
                    ++tally.splittingAnother;
                    break;
                }
            }
        }
        ASSERT_EQ(firstBrokenInvariant(moved), "") << "seed " << seed << " step " << step;
    }
}

TEST(OctTreeRemoveWalk, SwarmMovesLeaveTheSameTree) {
    const Bounds roomy{1000000, OctTree::defaultNodesPerRecord};
    const Bounds tight{200, 1};
    for (const Bounds& bounds : {roomy, tight}) {
        SwarmTally total;
        for (unsigned seed = 1; seed <= 3; ++seed) {
            runSwarm(seed, bounds, 128, 40, total);
            ASSERT_FALSE(HasFailure()) << "budget " << bounds.nodeBudget;
        }
        // The sequences reached what a move in one walk must get right.
        EXPECT_GT(total.crossing, 2000) << "budget " << bounds.nodeBudget;
        EXPECT_GT(total.splittingAnother, 10) << "budget " << bounds.nodeBudget;
        EXPECT_GT(total.refused, 200) << "budget " << bounds.nodeBudget;
        EXPECT_GT(total.moves - total.refused, 5000) << "budget " << bounds.nodeBudget;
        // Most moves started in the leaf the mover's last one left it in.
        EXPECT_GT(total.hinted, total.inOneLeaf * 9 / 10) << "budget " << bounds.nodeBudget;
    }
}

}  // namespace
