#include <gtest/gtest.h>
#include <pthread.h>

#include <string>
#include <vector>

#include "octree/OctTree.h"
#include "spatialindex/OctTreeIndex.h"
#include "tests/octree/TreeProbe.h"
#include "tests/support/CityWorkload.h"
#include "tests/support/TreeCheck.h"
#include "world/WorldConstants.h"

namespace {

const std::string overflowLine =
    "V maximalni hloubce stromu je vice objektu, nez je kapacita OctTree!\n";

SbBox3f rootBox() {
    return worldRegion();
}

CollisionObject recordOf(SbBox3f& box) {
    return CollisionObject(0, 0, 0, &box);
}

// Each operation of these tests is followed by the check of the invariants.
void insertChecked(OctTree& root, SbBox3f& box) {
    root.insert(recordOf(box));
    EXPECT_EQ(firstBrokenInvariant(root), "");
}

bool insertAndCheckChecked(OctTree& root, SbBox3f& box) {
    const bool collided = root.insertAndCheck(recordOf(box));
    EXPECT_EQ(firstBrokenInvariant(root), "");
    return collided;
}

void removeChecked(OctTree& root, SbBox3f& box) {
    root.remove(recordOf(box));
    EXPECT_EQ(firstBrokenInvariant(root), "");
}

// Four upright boxes meeting along the vertical line x = z = at, and a fifth
// covering that line.
std::vector<SbBox3f> quartersAndCover(float at) {
    return {
        SbBox3f(at - 1, -10, at - 1, at, 10, at),         SbBox3f(at, -10, at - 1, at + 1, 10, at),
        SbBox3f(at - 1, -10, at, at, 10, at + 1),         SbBox3f(at, -10, at, at + 1, 10, at + 1),
        SbBox3f(at - 2, -10, at - 2, at + 2, 10, at + 2),
    };
}

int occurrences(const std::string& text, const std::string& line) {
    int count = 0;
    for (std::size_t at = text.find(line); at != std::string::npos;
         at = text.find(line, at + line.size())) {
        ++count;
    }
    return count;
}

TEST(OctTreeBound, SharedPointGoesDownToMaxDepth) {
    OctTree root(rootBox());
    std::vector<SbBox3f> points(7, SbBox3f(5, -3, 5, 5, -3, 5));
    testing::internal::CaptureStdout();
    for (int i = 0; i < 4; ++i) {
        insertChecked(root, points[i]);
    }
    insertChecked(root, points[4]);
    EXPECT_EQ(occurrences(testing::internal::GetCapturedStdout(), overflowLine), 1);

    // One used child per level, all eight created: 1 + 8 * 1000 nodes.
    EXPECT_EQ(root.nodeCount(), 8001);
    EXPECT_EQ(root.treeNodes, 8001);
    EXPECT_EQ(deepestDepth(root), 1000);
    EXPECT_EQ(largestLeaf(root), 4);
    EXPECT_EQ(copiesOf(root, &points[4]), 0) << "the refused record is filed nowhere";
    EXPECT_EQ(copiesOf(root, &points[0]), 1);

    testing::internal::CaptureStdout();
    insertChecked(root, points[5]);
    EXPECT_FALSE(insertAndCheckChecked(root, points[6]));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), overflowLine + overflowLine);
    EXPECT_EQ(root.nodeCount(), 8001);

    // Another point in the same deepest leaf's region is refused there too,
    // while one elsewhere is filed.
    SbBox3f elsewhere(5, -3, 6, 5, -3, 6);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(insertAndCheckChecked(root, elsewhere));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(copiesOf(root, &elsewhere), 1);
}

void* fileChain(void* result) {
    OctTree root(rootBox());
    std::vector<SbBox3f> points(5, SbBox3f(1, 1, 1, 1, 1, 1));
    testing::internal::CaptureStdout();
    for (SbBox3f& p : points) {
        root.insertAndCheck(recordOf(p));
    }
    testing::internal::GetCapturedStdout();
    for (SbBox3f& p : points) {
        root.remove(recordOf(p));
    }
    *static_cast<int*>(result) = deepestDepth(root);
    return nullptr;
}

// The chain to depth 1000 recurses once per level; it must fit in far less
// than the 8 MiB a main thread gets.
TEST(OctTreeBound, ChainFitsInASmallStack) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 1 << 20);
    int depth = 0;
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attributes, fileChain, &depth), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    EXPECT_EQ(depth, 1000);
}

TEST(OctTreeBound, CrowdOfEqualBoxesStaysInOneLeaf) {
    OctTree root(rootBox());
    // Crosses no plane of the root's first levels: the crowd travels down
    // until a node is small enough for it to straddle one.
    std::vector<SbBox3f> crowd(40, SbBox3f(3.2f, -7.3f, 4.1f, 4.2f, -7.05f, 5.1f));
    for (int i = 0; i < 5; ++i) {
        insertChecked(root, crowd[i]);
    }
    const int afterFive = root.nodeCount();
    EXPECT_LT(afterFive, 100);
    EXPECT_EQ(largestLeaf(root), 5);
    for (std::size_t i = 5; i < crowd.size(); ++i) {
        EXPECT_TRUE(insertAndCheckChecked(root, crowd[i]));
    }
    EXPECT_EQ(root.nodeCount(), afterFive);
    EXPECT_EQ(root.treeNodes, afterFive);
    for (SbBox3f& b : crowd) {
        EXPECT_EQ(copiesOf(root, &b), 1);
    }

    // A newcomer that overlaps the crowd collides; one beside it does not and
    // is filed normally.
    SbBox3f touchingCrowd(3.5f, -7.1f, 4.5f, 3.6f, -7.0f, 4.6f);
    EXPECT_TRUE(insertAndCheckChecked(root, touchingCrowd));
    removeChecked(root, touchingCrowd);
    SbBox3f beside(20, -7.3f, 20, 21, -7.05f, 21);
    EXPECT_FALSE(insertAndCheckChecked(root, beside));
    EXPECT_EQ(copiesOf(root, &beside), 1);

    // A record that meets the crowd only face to face shares no region with
    // it: the leaf splits, and the contact face, off every dividing plane,
    // would split on and on. The crowd settles lower down, still colliding.
    SbBox3f inside(4.15f, -7.1f, 5.05f, 4.19f, -7.06f, 5.09f);
    SbBox3f againstFace(4.2f, -7.1f, 5.05f, 4.25f, -7.06f, 5.09f);
    EXPECT_TRUE(insertAndCheckChecked(root, inside));
    EXPECT_TRUE(insertAndCheckChecked(root, againstFace));
    EXPECT_LT(root.nodeCount(), 2000);
    EXPECT_GT(copiesOf(root, &againstFace), 0);
    EXPECT_EQ(root.treeNodes, root.nodeCount());

    // Emptying the crowd leaves an ordinary tree.
    for (SbBox3f& b : crowd) {
        removeChecked(root, b);
    }
    EXPECT_LE(largestLeaf(root), 4);
    EXPECT_EQ(root.findCollidingNode(&root), nullptr);
}

TEST(OctTreeBound, FlatCrowdAndBoxesMeetingOnALine) {
    // Zero height: the boxes never collide, but every node inside their
    // square would still take all of them.
    OctTree flat(rootBox());
    std::vector<SbBox3f> squares(8, SbBox3f(-5.3f, -2, -5.3f, 5.3f, -2, 5.3f));
    for (SbBox3f& b : squares) {
        EXPECT_FALSE(insertAndCheckChecked(flat, b));
    }
    EXPECT_LT(flat.nodeCount(), 1000);

    // Four boxes meeting along a line, with a fifth over the line: no region
    // is common to all five, yet every node on the line takes them all, two
    // more per level, until a node keeps them: their closed boxes share the
    // line.
    OctTree line(rootBox());
    const float c = 1.0f / 3.0f;
    std::vector<SbBox3f> boxes = quartersAndCover(c);
    for (SbBox3f& b : boxes) {
        EXPECT_TRUE(insertAndCheckChecked(line, b) == (&b == &boxes[4]));
    }
    EXPECT_LT(line.nodeCount(), 20000);
    EXPECT_GT(largestLeaf(line), 4);
    for (SbBox3f& b : boxes) {
        EXPECT_GT(copiesOf(line, &b), 0);
    }
    // Still a working index: overlaps near the line are found, and once the
    // covering box has gone, a record inside one quarter collides with it only.
    SbBox3f probe(c - 0.5f, 0, c - 0.5f, c - 0.4f, 1, c - 0.4f);
    EXPECT_TRUE(insertAndCheckChecked(line, probe));
    removeChecked(line, boxes[4]);
    removeChecked(line, probe);
    EXPECT_EQ(line.findCollidingNode(&line), nullptr);
    SbBox3f inQuarter(c + 0.1f, 0, c + 0.1f, c + 0.2f, 1, c + 0.2f);
    EXPECT_TRUE(insertAndCheckChecked(line, inQuarter));

    // The same five along x = z = 7.5, where the tree's planes fall two
    // levels below the first node that takes them all: there they part, no
    // leaf keeps them, and a record that overlaps nothing collides with
    // nothing, though it lies in that node.
    OctTree onPlanes(rootBox());
    std::vector<SbBox3f> parted = quartersAndCover(7.5f);
    for (SbBox3f& b : parted) {
        EXPECT_TRUE(insertAndCheckChecked(onPlanes, b) == (&b == &parted[4]));
    }
    EXPECT_LE(largestLeaf(onPlanes), 4);
    SbBox3f away(20, 0, 20, 21, 1, 21);
    EXPECT_FALSE(insertAndCheckChecked(onPlanes, away));
}

// Five thin slabs 0.001 apart share no point: a split deep enough separates
// them, so no leaf may keep them together, and a record beside them, which
// overlaps nothing, must not be reported colliding because a leaf it reaches
// holds another overlapping pair.
TEST(OctTreeBound, ThinDisjointSlabsAreSeparated) {
    OctTree root(rootBox());
    std::vector<SbBox3f> slabs;
    for (int i = 0; i < 5; ++i) {
        slabs.emplace_back(0.01f, -49.999f + 0.002f * i, 0.005f, 0.02f, -49.998f + 0.002f * i,
                           0.006f);
    }
    for (SbBox3f& slab : slabs) {
        EXPECT_FALSE(insertAndCheckChecked(root, slab));
    }
    EXPECT_LE(largestLeaf(root), 4);
    EXPECT_GE(deepestDepth(root), 14);

    SbBox3f overSlab0(0.012f, -49.9985f, 0.005f, 0.018f, -49.9975f, 0.006f);
    insertChecked(root, overSlab0);
    SbBox3f apart(0.001f, -49.98f, 0.02f, 0.002f, -49.979f, 0.021f);
    EXPECT_FALSE(insertAndCheckChecked(root, apart));
    EXPECT_LE(largestLeaf(root), 4);
    // The pair that does overlap is still found by a record that reaches it.
    SbBox3f onThePair(0.013f, -49.9984f, 0.0052f, 0.014f, -49.9983f, 0.0053f);
    EXPECT_TRUE(insertAndCheckChecked(root, onThePair));
}

// 125,000 disjoint small boxes need more nodes than a fixed budget of 100,000
// would allow: the budget grows with the records, so the tree is the one the
// filing rules alone build, no leaf over capacity, and its answers are exact.
TEST(OctTreeBound, ManyDisjointBoxesBuildTheWholeTree) {
    OctTree root(rootBox());
    const int side = 50;
    const float pitch = 120.0f / side;
    std::vector<SbBox3f> boxes;
    boxes.reserve(side * side * side);
    for (int i = 0; i < side; ++i) {
        for (int j = 0; j < side; ++j) {
            for (int k = 0; k < side; ++k) {
                const SbVec3f min(-59.9f + pitch * i, -109.9f + pitch * j, -59.9f + pitch * k);
                boxes.emplace_back(min, min + SbVec3f(0.5f, 0.5f, 0.5f));
            }
        }
    }
    int collisions = 0;
    for (SbBox3f& b : boxes) {
        collisions += root.insertAndCheck(recordOf(b));
    }
    EXPECT_EQ(collisions, 0);
    EXPECT_GT(root.treeNodes, OctTree::defaultNodeBudget);
    EXPECT_LE(largestLeaf(root), 4);
    ASSERT_EQ(firstBrokenInvariant(root), "");

    // A probe collides exactly where it overlaps one of the boxes.
    for (int n = 0; n < 200; ++n) {
        const SbBox3f& target = boxes[(n * 7919) % boxes.size()];
        const SbVec3f corner = target.getMin() + SbVec3f(0.4f, 0.4f, 0.4f);
        SbBox3f onOne(corner, corner + SbVec3f(0.2f, 0.2f, 0.2f));
        SbBox3f between(corner + SbVec3f(0.2f, 0, 0), corner + SbVec3f(0.4f, 0.2f, 0.2f));
        EXPECT_TRUE(root.insertAndCheck(recordOf(onOne))) << n;
        root.remove(recordOf(onOne));
        EXPECT_FALSE(root.insertAndCheck(recordOf(between))) << n;
        root.remove(recordOf(between));
    }
    EXPECT_EQ(firstBrokenInvariant(root), "");
}

TEST(OctTreeBound, NodeBudget) {
    OctTree root(rootBox());
    root.nodeBudget = 100;
    root.nodesPerRecord = 0;
    // A grid of separate small boxes that would need many more nodes.
    std::vector<SbBox3f> boxes;
    for (int i = 0; i < 20; ++i) {
        for (int j = 0; j < 20; ++j) {
            boxes.emplace_back(i * 2.0f, -5, j * 2.0f, i * 2.0f + 1, -4, j * 2.0f + 1);
        }
    }
    for (SbBox3f& b : boxes) {
        EXPECT_FALSE(insertAndCheckChecked(root, b));
    }
    EXPECT_LE(root.nodeCount(), 100);
    EXPECT_EQ(root.treeNodes, root.nodeCount());
    EXPECT_GT(largestLeaf(root), 4);
    for (SbBox3f& b : boxes) {
        ASSERT_GT(copiesOf(root, &b), 0);
    }
    SbBox3f onOne(10.5f, -4.5f, 10.5f, 11, -4, 11);
    EXPECT_TRUE(insertAndCheckChecked(root, onOne));
    removeChecked(root, onOne);
    SbBox3f between(11.25f, -4.5f, 11.25f, 11.75f, -4, 11.75f);
    EXPECT_FALSE(insertAndCheckChecked(root, between));
}

// The bound must never touch the city's own use: with the city's records and
// ten craft moving for a while, no leaf ever holds more than four records, so
// the tree is exactly the one the filing rules alone would build.
TEST(OctTreeBound, CityNeverReachesIt) {
    for (unsigned seed : {1u, 2u, 3u, 4u}) {
        OctTree root(worldRegion());
        for (SbBox3f* b : cityBoxes(seed)) {
            insertChecked(root, *b);
        }
        CraftSwarm swarm(10, seed);
        OctTreeIndex index(root);
        swarm.fileAll(index);
        for (int step = 0; step < 3000; ++step) {
            swarm.step(index);
            if (step % 500 == 0) {
                ASSERT_LE(largestLeaf(root), 4) << "seed " << seed << " step " << step;
                ASSERT_EQ(firstBrokenInvariant(root), "") << "seed " << seed << " step " << step;
            }
        }
        EXPECT_LE(largestLeaf(root), 4) << "seed " << seed;
        EXPECT_LT(root.treeNodes, root.nodeBudget / 4);
        EXPECT_EQ(root.treeNodes, root.nodeCount());
    }
}

}  // namespace
