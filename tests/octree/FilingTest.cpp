#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "octree/OctTree.h"
#include "tests/octree/TreeProbe.h"
#include "world/WorldConstants.h"

namespace {

SbBox3f rootBox() {
    return worldRegion();
}

CollisionObject recordOf(SbBox3f& box) {
    return CollisionObject(0, 0, 0, &box);
}

// Five records in the root's low x, low y quarter: A lies in octant 1 only,
// B and C in octant 0 only, D and E straddle z = 0 into both. Child 0 then
// holds four of them and child 1 three, so neither splits again.
std::vector<SbBox3f> fiveBoxes() {
    return {
        SbBox3f(-10, -60, 1, -9, -59, 2),         // A
        SbBox3f(-10, -60, -2, -9, -59, -1),       // B
        SbBox3f(-20, -60, -2, -19, -59, -1),      // C
        SbBox3f(-10, -70, -1, -9, -69, 1),        // D
        SbBox3f(-20, -70, -1.5f, -19, -69, 1.5f)  // E
    };
}

TEST(OctTreeFiling, SplitHandsRecordsDownInRemoveFastOrder) {
    OctTree root(rootBox());
    std::vector<SbBox3f> boxes = fiveBoxes();
    for (int i = 0; i < 4; ++i) {
        root.insert(recordOf(boxes[i]));
    }
    EXPECT_EQ(root.objectCount, 4);
    EXPECT_EQ(boxesIn(root),
              (std::vector<const SbBox3f*>{&boxes[0], &boxes[1], &boxes[2], &boxes[3]}));
    EXPECT_EQ(root.children[0], nullptr);

    root.insert(recordOf(boxes[4]));
    EXPECT_EQ(root.objectCount, 0);
    EXPECT_EQ(root.objects.getLength(), 0);
    EXPECT_EQ(root.nodeCount(), 9);
    EXPECT_EQ(root.treeNodes, 9);
    for (int k = 0; k < 8; ++k) {
        ASSERT_NE(root.children[k], nullptr);
        EXPECT_EQ(root.children[k]->depth, 1);
        EXPECT_EQ(root.children[k]->parent, &root);
    }
    // A, B, C, D then E leave in the order A, E, D, C, B.
    EXPECT_EQ(boxesIn(*root.children[0]),
              (std::vector<const SbBox3f*>{&boxes[4], &boxes[3], &boxes[2], &boxes[1]}));
    EXPECT_EQ(boxesIn(*root.children[1]),
              (std::vector<const SbBox3f*>{&boxes[0], &boxes[4], &boxes[3]}));
    EXPECT_EQ(root.children[1]->objectCount, 3);
    for (int k = 2; k < 8; ++k) {
        EXPECT_EQ(root.children[k]->objectCount, 0);
    }
}

TEST(OctTreeFiling, RecordsGoOnlyWhereTheyOverlap) {
    OctTree root(rootBox());
    std::vector<SbBox3f> filler = fiveBoxes();
    for (int i = 0; i < 4; ++i) {
        root.insert(recordOf(filler[i]));
    }
    // Splits the root; lies in octant 7 only.
    SbBox3f upper(10, -40, 10, 11, -39, 11);
    root.insert(recordOf(upper));
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(copiesOf(*root.children[k], &upper), k == 7 ? 1 : 0) << "child " << k;
    }

    // On the plane x = 0: starting there is upper side only, ending there lower only.
    SbBox3f startsOnPlane(0, -40, 10, 1, -39, 11);
    SbBox3f endsOnPlane(-1, -40, 10, 0, -39, 11);
    SbBox3f straddles(-1, -40, 10, 1, -39, 11);
    root.insert(recordOf(startsOnPlane));
    root.insert(recordOf(endsOnPlane));
    root.insert(recordOf(straddles));
    EXPECT_EQ(root.objectCount, 0);
    EXPECT_EQ(copiesOf(*root.children[7], &startsOnPlane), 1);
    EXPECT_EQ(copiesOf(*root.children[3], &startsOnPlane), 0);
    EXPECT_EQ(copiesOf(*root.children[7], &endsOnPlane), 0);
    EXPECT_EQ(copiesOf(*root.children[3], &endsOnPlane), 1);
    EXPECT_EQ(copiesOf(*root.children[3], &straddles), 1);
    EXPECT_EQ(copiesOf(*root.children[7], &straddles), 1);

    // Outside the root: dropped without trace once the root has children.
    SbBox3f outside(100, 0, 100, 101, 1, 101);
    root.insert(recordOf(outside));
    EXPECT_EQ(copiesOf(root, &outside), 0);

    // Values where a faster octant test could part from the half-open rule:
    // empty boxes on the planes, a signed zero, infinities and NaN. Each one
    // goes to exactly the octants boxesOverlap names, and leaves with remove.
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<SbBox3f> edges = {
        SbBox3f(0, -40, 10, 0, -39, 11),       // empty in x, on the plane
        SbBox3f(0, -50, 0, 0, -50, 0),         // a point where three planes meet
        SbBox3f(-0.0f, -40, 10, 1, -39, 11),   // starts on the plane at -0
        SbBox3f(-1, -40, 10, -0.0f, -39, 11),  // ends on the plane at -0
        SbBox3f(-inf, -inf, -inf, inf, inf, inf),
        SbBox3f(inf, -40, 10, inf, -39, 11),
        SbBox3f(-1, -40, 10, inf, -39, 11),
        SbBox3f(nan, -40, 10, 1, -39, 11),
        SbBox3f(1, -40, 10, nan, -39, 11),
        SbBox3f(-1, nan, -1, 1, nan, 1),
        SbBox3f(-60, -110, -60, -60, -110, -60),  // the root's corner
        SbBox3f(60, 10, 60, 60, 10, 60),          // its far corner, outside
        SbBox3f(-61, -40, 10, -60, -39, 11),      // ends on the root's face, outside
    };
    for (SbBox3f& edge : edges) {
        root.insert(recordOf(edge));
        for (int k = 0; k < 8; ++k) {
            EXPECT_EQ(copiesOf(*root.children[k], &edge),
                      OctTree::boxesOverlap(root.octants[k], edge) ? 1 : 0)
                << "child " << k << ", box " << (&edge - edges.data());
        }
        root.remove(recordOf(edge));
        EXPECT_EQ(copiesOf(root, &edge), 0);
    }
}

TEST(OctTreeFiling, FullChildSplitsOnItsOwn) {
    OctTree root(rootBox());
    std::vector<SbBox3f> boxes = fiveBoxes();
    for (SbBox3f& b : boxes) {
        root.insert(recordOf(b));
    }
    // Child 0 holds E, D, C, B; a fifth record in its region splits it alone.
    SbBox3f fifth(-50, -100, -50, -49, -99, -49);
    root.insert(recordOf(fifth));
    OctTree* child = root.children[0];
    ASSERT_NE(child->children[0], nullptr);
    EXPECT_EQ(child->objectCount, 0);
    EXPECT_EQ(root.children[1]->children[0], nullptr);
    EXPECT_EQ(root.children[1]->objectCount, 3);
    EXPECT_EQ(root.nodeCount(), 17);
    EXPECT_EQ(root.treeNodes, 17);
    EXPECT_EQ(child->children[7]->depth, 2);
    EXPECT_EQ(child->children[7]->parent, child);
    EXPECT_EQ(boxesIn(*child->children[0]), (std::vector<const SbBox3f*>{&fifth}));
    // The same hand-down order one level lower: E, fifth, B, C, D.
    EXPECT_EQ(boxesIn(*child->children[7]),
              (std::vector<const SbBox3f*>{&boxes[4], &boxes[1], &boxes[2], &boxes[3]}));
}

TEST(OctTreeRemoval, ByBoxIdentityEverywhere) {
    OctTree root(rootBox());
    std::vector<SbBox3f> boxes = fiveBoxes();
    SbBox3f lookalike = boxes[4];
    for (SbBox3f& b : boxes) {
        root.insert(recordOf(b));
    }
    // Same coordinates, another box: nothing goes.
    root.remove(recordOf(lookalike));
    EXPECT_EQ(copiesOf(root, &boxes[4]), 2);

    // A record built separately around the same box removes every copy.
    root.remove(CollisionObject(9, 9, 9, &boxes[4]));
    EXPECT_EQ(copiesOf(root, &boxes[4]), 0);
    EXPECT_EQ(copiesOf(root, &boxes[3]), 2);
    EXPECT_EQ(root.children[0]->objectCount, 3);
    EXPECT_EQ(root.children[0]->objects.getLength(), 3);
    EXPECT_EQ(root.children[1]->objectCount, 2);

    // Twice filed, once removed; also when the copies sit next to each other
    // and last in the list, where removeFast moves one onto the other.
    SbBox3f twice(1, -49, 1, 2, -48, 2);
    OctTree leaf(rootBox());
    leaf.insert(recordOf(boxes[0]));
    leaf.insert(recordOf(twice));
    leaf.insert(recordOf(twice));
    leaf.insert(recordOf(twice));
    leaf.remove(recordOf(twice));
    EXPECT_EQ(boxesIn(leaf), (std::vector<const SbBox3f*>{&boxes[0]}));
    EXPECT_EQ(leaf.objectCount, 1);

    // Emptying the tree keeps its nodes; new records descend through them.
    for (SbBox3f& b : boxes) {
        root.remove(recordOf(b));
    }
    EXPECT_EQ(root.nodeCount(), 9);
    SbBox3f later(10, -40, 10, 11, -39, 11);
    root.insert(recordOf(later));
    EXPECT_EQ(root.objectCount, 0);
    EXPECT_EQ(copiesOf(*root.children[7], &later), 1);
    EXPECT_EQ(root.nodeCount(), 9);
}

}  // namespace
