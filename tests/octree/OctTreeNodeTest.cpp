#include <gtest/gtest.h>

#include "octree/OctTree.h"

namespace {

SbBox3f box(float x0, float y0, float z0, float x1, float y1, float z1) {
    return SbBox3f(x0, y0, z0, x1, y1, z1);
}

void expectBox(const SbBox3f& actual, const SbBox3f& expected) {
    EXPECT_EQ(actual.getMin(), expected.getMin());
    EXPECT_EQ(actual.getMax(), expected.getMax());
}

TEST(CollisionObject, IdentityIsTheBoxPointer) {
    SbBox3f shared = box(0, 0, 0, 1, 1, 1);
    SbBox3f twin = shared;
    auto* owner = reinterpret_cast<FlyingObject*>(0x10);
    const CollisionObject still(1, 2, 3, &shared);
    const CollisionObject moving(1, 0.5f, 1, 4, 5, 6, &shared, owner);
    const CollisionObject lookalike(1, 2, 3, &twin);
    EXPECT_TRUE(still.isSameObject(moving));
    EXPECT_TRUE(moving.copy().isSameObject(still));
    EXPECT_FALSE(still.isSameObject(lookalike));
    EXPECT_EQ(moving.copy().owner, owner);
    EXPECT_FLOAT_EQ(still.dimensions[1], 0.1f);
}

TEST(BoxesOverlap, HalfOpenOnEveryAxis) {
    const SbBox3f unit = box(0, 0, 0, 1, 1, 1);
    struct Case {
        SbBox3f other;
        bool overlaps;
    };
    const Case cases[] = {
        {box(1, 0, 0, 2, 1, 1), false},   // touching in x
        {box(0, 1, 0, 1, 2, 1), false},   // touching in y
        {box(0, 0, -1, 1, 1, 0), false},  // touching in z, from below
        {box(0.5f, 0, 0, 2, 1, 1), true},
        {box(0.25f, 0.25f, 0.25f, 0.5f, 0.5f, 0.5f), true},  // inside
        {box(-1, -1, -1, 2, 2, 2), true},                    // around
        {box(0, 0, 0, 1, 1, 1), true},
        {box(0.5f, 2, 0.5f, 0.6f, 3, 0.6f), false},  // apart in y only
        {box(0, 0, 0, 0, 0, 0), true},               // point on the closed corner
        {box(1, 1, 1, 1, 1, 1), false},              // point on the open corner
        {box(0.5f, 0, 0.5f, 0.5f, 0, 0.5f), true},   // point on the closed face
    };
    for (const Case& c : cases) {
        EXPECT_EQ(OctTree::boxesOverlap(unit, c.other), c.overlaps)
            << c.other.getMin()[0] << " " << c.other.getMin()[1] << " " << c.other.getMin()[2];
        EXPECT_EQ(OctTree::boxesOverlap(c.other, unit), c.overlaps) << "not symmetric";
    }
    // A box of zero width does not overlap itself.
    const SbBox3f flat = box(0, 0, 0, 1, 0, 1);
    EXPECT_FALSE(OctTree::boxesOverlap(flat, flat));
}

TEST(OctTreeNode, RootAndChildOctants) {
    OctTree root(box(-60, -110, -60, 60, 10, 60));
    EXPECT_EQ(root.objectCount, 0);
    EXPECT_EQ(root.depth, 0);
    EXPECT_EQ(root.nodeCapacity, 4);
    EXPECT_EQ(root.maxDepth, 1000);
    EXPECT_EQ(root.parent, nullptr);
    for (const OctTree* child : root.children) {
        EXPECT_EQ(child, nullptr);
    }
    // Bit 2 of the index picks the upper x half, bit 1 upper y, bit 0 upper z.
    expectBox(root.octants[0], box(-60, -110, -60, 0, -50, 0));
    expectBox(root.octants[1], box(-60, -110, 0, 0, -50, 60));
    expectBox(root.octants[2], box(-60, -50, -60, 0, 10, 0));
    expectBox(root.octants[4], box(0, -110, -60, 60, -50, 0));
    expectBox(root.octants[6], box(0, -50, -60, 60, 10, 0));
    expectBox(root.octants[7], box(0, -50, 0, 60, 10, 60));

    OctTree child(&root, root.octants[5]);
    EXPECT_EQ(child.depth, 1);
    EXPECT_EQ(child.nodeCapacity, 4);
    EXPECT_EQ(child.maxDepth, 1000);
    EXPECT_EQ(child.parent, &root);
    EXPECT_EQ(child.root, &root);
    expectBox(child.octants[0], box(0, -110, 0, 30, -80, 30));
    expectBox(child.octants[7], box(30, -80, 30, 60, -50, 60));
    for (const SbBox3f& octant : child.octants) {
        float dx, dy, dz;
        octant.getSize(dx, dy, dz);
        EXPECT_FLOAT_EQ(dx, 30);
        EXPECT_FLOAT_EQ(dy, 30);
        EXPECT_FLOAT_EQ(dz, 30);
    }
}

}  // namespace
