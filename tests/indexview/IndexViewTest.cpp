#include <Inventor/SoDB.h>
#include <Inventor/events/SoKeyboardEvent.h>
#include <Inventor/nodes/SoBaseColor.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoIndexedLineSet.h>
#include <Inventor/nodes/SoText2.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "indexview/IndexView.h"
#include "octree/OctTree.h"
#include "spatialindex/IndexSet.h"
#include "tests/indexview/DrawnLeaves.h"
#include "tests/octree/TreeProbe.h"
#include "world/WorldConstants.h"

namespace {

std::vector<SbBox3f> drawnRefused(const IndexView& view) {
    std::vector<DrawnBox> boxes;
    readBoxes(view.refusedCorners, view.refusedLines, 0, boxes);
    std::vector<SbBox3f> result;
    for (const DrawnBox& box : boxes) {
        result.emplace_back(box.min, box.max);
    }
    return result;
}

FlyingObject* mover(int n) {
    return reinterpret_cast<FlyingObject*>(static_cast<std::uintptr_t>(0x1000 * n));
}

class IndexViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { SoDB::init(); }

    OctTree tree{worldRegion()};
    OctTreeIndex index{tree};
    IndexView view{&index};
};

TEST_F(IndexViewTest, LinesAreTheLeavesHoldingRecordsAfterFilingSplittingAndRemoving) {
    // Two boxes in the root's octant 0, one straddling x = 0 into octants 0
    // and 4, two in octant 7.
    std::vector<SbBox3f> boxes = {
        SbBox3f(-10, -70, -10, -9, -69, -9), SbBox3f(-20, -70, -20, -19, -69, -19),
        SbBox3f(-1, -80, -30, 1, -79, -29), SbBox3f(10, -10, 10, 11, -9, 11),
        SbBox3f(20, -10, 20, 21, -9, 21)};
    view.setOn(true);

    for (int i = 0; i < 3; ++i) {
        tree.insert(recordOf(boxes[i]));
    }
    view.update(SbTime(100.0));
    ASSERT_EQ(drawnLeaves(view).size(), 1u);
    EXPECT_EQ(drawnLeaves(view), leavesHoldingRecords(tree)) << "the root, holding three";
    EXPECT_EQ(view.numbers().nodes, 1);
    EXPECT_EQ(view.numbers().records, 3);

    tree.insert(recordOf(boxes[3]));
    tree.insert(recordOf(boxes[4]));
    view.treeChanged();
    view.update(SbTime(100.1));
    ASSERT_NE(tree.children[0], nullptr) << "the fifth record splits the root";
    EXPECT_EQ(drawnLeaves(view), leavesHoldingRecords(tree));
    EXPECT_EQ(drawnLeaves(view).size(), 3u) << "octants 0, 4 and 7; empty leaves are not drawn";
    EXPECT_EQ(view.numbers().nodes, 9);
    EXPECT_EQ(view.numbers().records, 6);
    EXPECT_EQ(view.numbers().deepest, 1);
    EXPECT_EQ(view.numbers().leaves, 3);

    // Nothing changed: the lines stay as they are, even when told to look.
    const unsigned long rebuilds = view.leafRebuilds();
    view.update(SbTime(100.2));
    view.treeChanged();
    view.update(SbTime(100.3));
    EXPECT_EQ(view.leafRebuilds(), rebuilds);

    tree.remove(recordOf(boxes[3]));
    tree.remove(recordOf(boxes[2]));
    view.treeChanged();
    view.update(SbTime(100.4));
    EXPECT_EQ(drawnLeaves(view), leavesHoldingRecords(tree));
    EXPECT_EQ(drawnLeaves(view).size(), 2u) << "octant 4 emptied";
    EXPECT_EQ(view.numbers().nodes, 9) << "removal keeps the nodes";
    EXPECT_EQ(view.numbers().records, 3);

    for (SbBox3f& box : boxes) {
        tree.remove(recordOf(box));
    }
    view.treeChanged();
    view.update(SbTime(100.5));
    EXPECT_TRUE(drawnLeaves(view).empty());
    EXPECT_EQ(view.numbers().leaves, 0);
}

TEST_F(IndexViewTest, RefusedMovesFlashForHalfASecondAndMovesCountForOne) {
    view.seed = 4242;
    view.setOn(true);
    SbBox3f first(0, -5, 0, 1, -4, 1);
    SbBox3f second(2, -5, 2, 3, -4, 3);
    SbBox3f later(4, -5, 4, 5, -4, 5);
    SbBox3f free(6, -5, 6, 7, -4, 7);

    view.moveTried(recordOf(first, mover(1)), true);
    view.moveTried(recordOf(free, mover(2)), false);
    view.moveTried(recordOf(second, mover(3)), true);
    view.update(SbTime(10.0));
    std::vector<SbBox3f> drawn = drawnRefused(view);
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_TRUE(std::count(drawn.begin(), drawn.end(), first) == 1 &&
                std::count(drawn.begin(), drawn.end(), second) == 1)
        << "only the refused boxes";
    EXPECT_EQ(view.numbers().tried, 3);
    EXPECT_EQ(view.numbers().refused, 2);

    // A mover refused again shows only its latest box, for half a second more.
    view.moveTried(recordOf(later, mover(1)), true);
    view.update(SbTime(10.3));
    drawn = drawnRefused(view);
    EXPECT_EQ(drawn.size(), 2u);
    EXPECT_EQ(std::count(drawn.begin(), drawn.end(), later), 1);
    EXPECT_EQ(view.numbers().tried, 4);

    view.update(SbTime(10.6));
    EXPECT_EQ(drawnRefused(view), std::vector<SbBox3f>{later}) << "the first flash is over";
    const std::string text = view.numbersText->string[0].getString();
    EXPECT_NE(text.find("moves/s 4  refused/s 3"), std::string::npos) << text;
    EXPECT_NE(text.find("seed 4242"), std::string::npos) << text;

    view.update(SbTime(11.2));
    EXPECT_TRUE(drawnRefused(view).empty());
    EXPECT_EQ(view.numbers().tried, 1) << "the moves of 10.0 are more than a second old";
    view.update(SbTime(11.4));
    EXPECT_EQ(view.numbers().tried, 0);
    EXPECT_EQ(view.numbers().refused, 0);
}

TEST_F(IndexViewTest, KeyOSwitchesTheOverlayAndNoOtherKeyIsTaken) {
    auto key = [](SoKeyboardEvent::Key which, SoButtonEvent::State state) {
        SoKeyboardEvent event;
        event.setKey(which);
        event.setState(state);
        return event;
    };
    EXPECT_FALSE(view.isOn());
    EXPECT_EQ(view.getSceneGraph()->whichChild.getValue(), SO_SWITCH_NONE);

    for (SoKeyboardEvent::Key other :
         {SoKeyboardEvent::E, SoKeyboardEvent::P, SoKeyboardEvent::ESCAPE, SoKeyboardEvent::ANY}) {
        const SoKeyboardEvent press = key(other, SoButtonEvent::DOWN);
        EXPECT_FALSE(view.handleEvent(&press)) << other;
    }
    EXPECT_FALSE(view.isOn());

    const SoKeyboardEvent pressO = key(SoKeyboardEvent::O, SoButtonEvent::DOWN);
    const SoKeyboardEvent releaseO = key(SoKeyboardEvent::O, SoButtonEvent::UP);
    EXPECT_TRUE(view.handleEvent(&pressO));
    EXPECT_TRUE(view.isOn());
    EXPECT_EQ(view.getSceneGraph()->whichChild.getValue(), 0);
    EXPECT_TRUE(view.handleEvent(&releaseO));
    EXPECT_TRUE(view.isOn()) << "a release does not switch";
    EXPECT_TRUE(view.handleEvent(&pressO));
    EXPECT_FALSE(view.isOn());
    EXPECT_EQ(view.getSceneGraph()->whichChild.getValue(), SO_SWITCH_NONE);
}

std::string line(const IndexView& view) {
    return view.numbersText->string[0].getString();
}

// The overlay follows the set's active index from one update to the next: the
// dynamic tree's nodes, its leaves in a class of their own, then every record
// of the flat list; its line names the index and gives the index's numbers.
TEST(IndexOverlay, DrawsWhicheverIndexIsActiveWithItsOwnNumbers) {
    SoDB::init();
    OctTree tree(worldRegion());
    IndexSet indexes(tree);
    IndexView view(&indexes);
    std::vector<SbBox3f> boxes;
    for (int i = 0; i < 6; ++i) {
        boxes.emplace_back(3.0f * i, -5, 0, 3.0f * i + 1, -4, 1);
    }
    for (SbBox3f& box : boxes) {
        indexes.active().insert(recordOf(box));
    }
    view.setOn(true);
    view.update(SbTime(1.0));
    char expected[80];
    std::snprintf(expected, sizeof expected, "octree  nodes %d  records 6", tree.nodeCount());
    EXPECT_EQ(line(view).rfind(expected, 0), 0u) << line(view);

    indexes.cycle();
    view.update(SbTime(1.1));
    const DbvtIndex& dbvt = static_cast<const DbvtIndex&>(indexes.at(IndexSet::DBVT));
    const std::vector<DrawnBox> nodes = drawnLeaves(view);
    ASSERT_EQ(static_cast<int>(nodes.size()), dbvt.nodeCount());
    EXPECT_EQ(std::count_if(
                  nodes.begin(), nodes.end(),
                  [](const DrawnBox& box) { return box.colourClass == IndexView::depthClasses; }),
              6);
    EXPECT_EQ(view.leafColours[IndexView::depthClasses]->rgb[0], IndexView::dbvtLeafColour);
    std::snprintf(expected, sizeof expected, "dbvt  nodes 11  height %d  leaves 6", dbvt.height());
    EXPECT_EQ(line(view).rfind(expected, 0), 0u) << line(view);

    indexes.cycle();
    SbBox3f tried(40, -5, 40, 41, -4, 41);
    indexes.active().insertAndCheck(recordOf(tried));
    view.update(SbTime(1.2));
    std::vector<DrawnBox> records = drawnLeaves(view);
    ASSERT_EQ(records.size(), 7u);
    EXPECT_TRUE(std::all_of(records.begin(), records.end(),
                            [](const DrawnBox& box) { return box.colourClass == 0; }));
    EXPECT_EQ(view.leafColours[0]->rgb[0], IndexView::recordColour);
    EXPECT_EQ(line(view).rfind("flat  records 7  tests/move 6  moves/s 0", 0), 0u) << line(view);
}

}  // namespace
