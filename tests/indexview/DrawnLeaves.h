#pragma once

#include <Inventor/SbBox3f.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoIndexedLineSet.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <tuple>
#include <vector>

#include "indexview/IndexView.h"
#include "octree/CollisionObject.h"
#include "octree/OctTree.h"
#include "tests/octree/TreeProbe.h"

// The overlay's leaf lines read back as boxes, for the overlay's tests.

// A drawn box: its corners and the colour class it is drawn in.
struct DrawnBox {
    SbVec3f min;
    SbVec3f max;
    int colourClass;
    bool operator<(const DrawnBox& other) const {
        return std::make_tuple(min[0], min[1], min[2], max[0], max[1], max[2], colourClass) <
               std::make_tuple(other.min[0], other.min[1], other.min[2], other.max[0], other.max[1],
                               other.max[2], other.colourClass);
    }
    bool operator==(const DrawnBox& other) const {
        return min == other.min && max == other.max && colourClass == other.colourClass;
    }
};

inline std::ostream& operator<<(std::ostream& out, const DrawnBox& box) {
    return out << "(" << box.min[0] << " " << box.min[1] << " " << box.min[2] << ")..("
               << box.max[0] << " " << box.max[1] << " " << box.max[2] << ") class "
               << box.colourClass;
}

// Reads boxes back from a line set: every box is one run of the twelve-edge
// pattern over eight consecutive corners, and those corners span the box.
inline void readBoxes(const SoCoordinate3* corners, const SoIndexedLineSet* lines, int colourClass,
                      std::vector<DrawnBox>& out) {
    const int n = lines->coordIndex.getNum();
    ASSERT_EQ(n % IndexView::boxIndexCount, 0);
    for (int at = 0; at < n; at += IndexView::boxIndexCount) {
        const int first = lines->coordIndex[at];
        ASSERT_LE(first + 8, corners->point.getNum());
        for (int i = 0; i < IndexView::boxIndexCount; ++i) {
            const int expected = IndexView::boxIndices[i];
            ASSERT_EQ(lines->coordIndex[at + i], expected < 0 ? -1 : first + expected);
        }
        SbBox3f span;
        for (int k = 0; k < 8; ++k) {
            span.extendBy(corners->point[first + k]);
        }
        // Corner k lies on the upper side of the axes its bits name.
        for (int k = 0; k < 8; ++k) {
            const SbVec3f& corner = corners->point[first + k];
            EXPECT_EQ(corner[0], (k & 4) ? span.getMax()[0] : span.getMin()[0]);
            EXPECT_EQ(corner[1], (k & 2) ? span.getMax()[1] : span.getMin()[1]);
            EXPECT_EQ(corner[2], (k & 1) ? span.getMax()[2] : span.getMin()[2]);
        }
        out.push_back(DrawnBox{span.getMin(), span.getMax(), colourClass});
    }
}

inline std::vector<DrawnBox> drawnLeaves(const IndexView& view) {
    std::vector<DrawnBox> boxes;
    for (int c = 0; c < IndexView::lineClasses; ++c) {
        readBoxes(view.leafCorners, view.leafLines[c], c, boxes);
    }
    std::sort(boxes.begin(), boxes.end());
    return boxes;
}

// What should be drawn, found without the tree's own leaf walk: every
// childless node holding records, in the class of its record count.
inline std::vector<DrawnBox> leavesHoldingRecords(const OctTree& tree) {
    std::vector<DrawnBox> boxes;
    forEachNode(tree, [&](const OctTree& node) {
        if (node.children[0] == nullptr && node.objectCount > 0) {
            boxes.push_back(DrawnBox{node.octants[0].getMin(), node.octants[7].getMax(),
                                     std::min(node.objectCount, IndexView::countClasses) - 1});
        }
    });
    std::sort(boxes.begin(), boxes.end());
    return boxes;
}

// A record of the box, as the tests file it.
inline CollisionObject recordOf(SbBox3f& box, FlyingObject* owner = nullptr) {
    return CollisionObject(0, 0, 0, 0, 0, 0, &box, owner);
}
