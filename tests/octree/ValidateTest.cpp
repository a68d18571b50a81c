// The tree's own check of its invariants catches each kind of damage, private
// copies included, and names the node where it is.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>

#include "octree/OctTree.h"
#include "tests/octree/OctTreeTestAccess.h"
#include "tests/octree/TreeProbe.h"


namespace {

// Small boxes on a grid over a 16-unit root: a tree four levels deep.
struct GridTree {
    GridTree() : root(SbBox3f(0, 0, 0, 16, 16, 16)) {
        for (int i = 0; i < 10; ++i) {
            for (int j = 0; j < 10; ++j) {
                // Some cross the planes at 4, 8 and 12.
                boxes.emplace_back(i * 1.6f + 0.3f, 1, j * 1.6f + 0.3f, i * 1.6f + 1.3f, 2,
                                   j * 1.6f + 1.3f);
                root.insert(CollisionObject(0, 0, 0, &boxes.back()));
            }
        }
    }

    // The first node from depth 2 down that has children, or records.
    OctTree& deep(bool inner) {
        OctTree* found = nullptr;
        forEachNode(root, [&](const OctTree& node) {
            if (!found && node.depth >= 2 &&
                (inner ? node.children[0] != nullptr : node.objectCount > 0)) {
                found = const_cast<OctTree*>(&node);
            }
        });
        EXPECT_NE(found, nullptr);
        return *found;
    }

    // A leaf whose first record has a copy in another leaf too.
    OctTree& sharingLeaf() {
        OctTree* found = nullptr;
        forEachNode(root, [&](const OctTree& node) {
            if (!found && node.objectCount > 0 && copiesOf(root, node.objects[0].box) > 1) {
                found = const_cast<OctTree*>(&node);
            }
        });
        EXPECT_NE(found, nullptr);
        return *found;
    }

    std::deque<SbBox3f> boxes;
    OctTree root;
};

std::string pathOf(const OctTree& node) {
    if (node.parent == nullptr) {
        return "root/";
    }
    return pathOf(*node.parent) + static_cast<char>('0' + (&node - node.parent->children[0]));
}

struct Damage {
    const char* invariant;
    // The node damaged: an inner node or a leaf from depth 2 down, or a leaf
    // sharing a box with another.
    enum { INNER, LEAF, SHARING } where;
    std::function<void(OctTree& node, GridTree& tree)> damage;
};

TEST(OctTreeValidate, EachDamageIsNamedWithItsNode) {
    const Damage damages[] = {
        {"the copy of the region or centre differs from the octants", Damage::INNER,
         [](OctTree& node, GridTree&) { OctTreeTestAccess::centre(node)[1] += 0.25f; }},
        {"the copy of the region or centre differs from the octants", Damage::LEAF,
         [](OctTree& node, GridTree&) { OctTreeTestAccess::regionMax(node)[2] = 0; }},
        {"the lane after the region's copy is not 0", Damage::LEAF,
         [](OctTree& node, GridTree&) { OctTreeTestAccess::unusedLane(node) = 1; }},
        {"children differ from the child block", Damage::INNER,
         [](OctTree& node, GridTree&) { OctTreeTestAccess::childBlock(node) = nullptr; }},
        {"children differ from the child block", Damage::INNER,
         [](OctTree& node, GridTree&) { node.children[3] = node.children[4]; }},
        {"octants are not the halves of the node's region", Damage::LEAF,
         [](OctTree& node, GridTree&) { node.octants[5].getMin()[0] += 0.25f; }},
        {"a child's region is not its parent's octant", Damage::LEAF,
         [](OctTree& node, GridTree&) {
             for (SbBox3f& octant : node.octants) {
                 octant.setBounds(octant.getMin() + SbVec3f(1, 0, 0),
                                  octant.getMax() + SbVec3f(1, 0, 0));
             }
         }},
        {"parent, depth, capacity or maxDepth not taken from the parent", Damage::LEAF,
         [](OctTree& node, GridTree&) { node.maxDepth = 999; }},
        {"objectCount differs from the list's length", Damage::LEAF,
         [](OctTree& node, GridTree&) { ++node.objectCount; }},
        {"a record outside the leaf it is filed in", Damage::LEAF,
         [](OctTree& node, GridTree& tree) {
             tree.boxes.emplace_back(-3, -3, -3, -2, -2, -2);
             node.objects.append(CollisionObject(0, 0, 0, &tree.boxes.back()));
             ++node.objectCount;
         }},
        {"a leaf the box overlaps lacks its copy", Damage::SHARING,
         [](OctTree& node, GridTree&) {
             node.objects.removeFast(0);
             --node.objectCount;
         }},
        {"the root's count of nodes differs from the nodes in the tree", Damage::LEAF,
         [](OctTree&, GridTree& tree) { tree.root.treeNodes += 8; }},
        {"the root counts fewer records filed than the tree holds", Damage::LEAF,
         [](OctTree&, GridTree& tree) { tree.root.recordsFiled -= 1; }},
    };
    for (const Damage& damage : damages) {
        GridTree tree;
        ASSERT_EQ(tree.root.brokenInvariant(), "");
        OctTree& node = damage.where == Damage::SHARING ? tree.sharingLeaf()
                                                        : tree.deep(damage.where == Damage::INNER);
        damage.damage(node, tree);
        const std::string broken = tree.root.brokenInvariant();
        EXPECT_EQ(broken.find(damage.invariant), 0u) << broken;
        const bool rootCounter = broken.find("the root") == 0;
        EXPECT_NE(broken.find(" at " + (rootCounter ? "root/" : pathOf(node))), std::string::npos)
            << broken;
        // The destructor frees the children by the block.
        if (node.children[0] != nullptr) {
            OctTreeTestAccess::childBlock(node) = node.children[0];
            for (int k = 0; k < 8; ++k) {
                node.children[k] = node.children[0] + k;
            }
        }
    }
}

TEST(OctTreeValidateDeathTest, ValidateAbortsNamingTheInvariant) {
    GridTree tree;
    tree.root.validate();
    OctTreeTestAccess::centre(tree.deep(true))[0] = -1;
    EXPECT_DEATH(tree.root.validate(),
                 "OctTree: invariant broken: the copy of the region or centre differs from the "
                 "octants at root/[0-7][0-7]");
#if defined(BRENNOC_OCTREE_VALIDATE)
    // Built to check after every change: a change that reaches a damaged list
    // stops the program.
    GridTree damaged;
    OctTree& leaf = damaged.deep(false);
    --leaf.objectCount;
    const SbVec3f centre = leaf.octants[0].getMax();
    damaged.boxes.emplace_back(centre, centre);
    EXPECT_DEATH(damaged.root.insert(CollisionObject(0, 0, 0, &damaged.boxes.back())),
                 "invariant broken: objectCount differs from the list's length at " + pathOf(leaf));
    ++leaf.objectCount;
#endif
}

}  // namespace
