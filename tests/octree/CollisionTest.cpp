#include <gtest/gtest.h>

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

TEST(OctTreeCollision, InOneLeaf) {
    OctTree root(rootBox());
    SbBox3f first(0, 0, 0, 1, 1, 1);
    SbBox3f overlapping(0.5f, 0.5f, 0.5f, 2, 2, 2);
    SbBox3f touching(1, 0, 0, 2, 1, 1);
    SbBox3f apart(5, 5, 5, 6, 6, 6);

    EXPECT_FALSE(root.insertAndCheck(recordOf(first)));
    EXPECT_FALSE(root.insertAndCheck(recordOf(touching)));
    EXPECT_TRUE(root.insertAndCheck(recordOf(overlapping)));
    // A collision files the record all the same.
    EXPECT_EQ(copiesOf(root, &overlapping), 1);
    EXPECT_EQ(copiesOf(root, &first), 1);
    EXPECT_EQ(root.findCollidingNode(&root), &root);

    // Any pair in the leaf counts, not only pairs with the new record.
    EXPECT_TRUE(root.insertAndCheck(recordOf(apart)));

    OctTree fresh(rootBox());
    EXPECT_FALSE(fresh.insertAndCheck(recordOf(first)));
    EXPECT_TRUE(fresh.insertAndCheck(recordOf(first))) << "a thing filed twice meets itself";
    SbBox3f point(3, 3, 3, 3, 3, 3);
    OctTree points(rootBox());
    EXPECT_FALSE(points.insertAndCheck(recordOf(point)));
    EXPECT_FALSE(points.insertAndCheck(recordOf(point))) << "points have no volume";
}

TEST(OctTreeCollision, OnlyLeavesTheRecordReaches) {
    OctTree root(rootBox());
    // Two overlapping records in octant 7, three apart ones elsewhere.
    SbBox3f a(10, -40, 10, 12, -38, 12);
    SbBox3f b(11, -39, 11, 13, -37, 13);
    SbBox3f c(-30, -80, -30, -29, -79, -29);
    SbBox3f d(-30, -80, 30, -29, -79, 31);
    SbBox3f e(30, -80, -30, 31, -79, -29);
    root.insert(recordOf(a));
    root.insert(recordOf(b));
    root.insert(recordOf(c));
    root.insert(recordOf(d));
    // The split files a and b into child 7 together: the old pair counts.
    EXPECT_TRUE(root.insertAndCheck(recordOf(e)));
    EXPECT_EQ(root.findCollidingNode(&root), root.children[7]);

    // A record that reaches only other leaves sees nothing of child 7's pair.
    SbBox3f far(-30, -20, -30, -29, -19, -29);
    EXPECT_FALSE(root.insertAndCheck(recordOf(far)));
    // One that reaches child 7 does, even though it overlaps nothing.
    SbBox3f lonely(50, 0, 50, 51, 1, 51);
    EXPECT_TRUE(root.insertAndCheck(recordOf(lonely)));
    // Straddling x = 0 it reaches children 3 and 7; the pair in 7 decides.
    root.remove(recordOf(lonely));
    SbBox3f across(-1, 0, 40, 1, 1, 41);
    EXPECT_TRUE(root.insertAndCheck(recordOf(across)));

    // Once the pair is gone, the split-time check finds nothing either.
    root.remove(recordOf(b));
    EXPECT_EQ(root.findCollidingNode(&root), nullptr);
    EXPECT_FALSE(root.insertAndCheck(recordOf(lonely)));
}

TEST(OctTreeCollision, SplitWithoutOverlapReportsNone) {
    OctTree root(rootBox());
    SbBox3f boxes[5] = {
        SbBox3f(10, -40, 10, 11, -39, 11), SbBox3f(11, -40, 10, 12, -39, 11),
        SbBox3f(10, -40, 11, 11, -39, 12), SbBox3f(-1, -51, -1, 1, -49, 1),
        SbBox3f(12, -40, 10, 13, -39, 11),
    };
    for (SbBox3f& b : boxes) {
        EXPECT_FALSE(root.insertAndCheck(recordOf(b)));
    }
    EXPECT_NE(root.children[0], nullptr);
    // The box around the centre sits in all eight children, next to tiles it
    // does not touch.
    EXPECT_EQ(copiesOf(root, &boxes[3]), 8);
}

}  // namespace
