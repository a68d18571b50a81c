#include <Inventor/SoDB.h>
#include <Inventor/nodes/SoBaseColor.h>
#include <Inventor/nodes/SoText2.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/HeatWatch.h"
#include "indexview/IndexView.h"
#include "indexview/SoLeafHeat.h"
#include "octree/OctTree.h"
#include "spatialindex/IndexSet.h"
#include "tests/indexview/DrawnLeaves.h"
#include "world/WorldConstants.h"

namespace {

// The lines of one of the legend's texts.
std::vector<std::string> legend(const IndexView& view, int text) {
    const SoMFString& strings = view.legendTexts.at(text)->string;
    std::vector<std::string> lines;
    for (int i = 0; i < strings.getNum(); ++i) {
        lines.push_back(strings[i].getString());
    }
    return lines;
}

// The root split into octants: two records in octant 0, one straddling x = 0
// into octants 0 and 4, two in octant 7, where the mover flies to and fro
// clear of them. The moves go through the watch, as the motion code hands
// them, and then through the index.
class LeafHeatTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { SoDB::init(); }

    void SetUp() override {
        for (SbBox3f& box : boxes) {
            tree.insert(recordOf(box));
        }
        tree.insert(recordOf(places[0], mover));
        ASSERT_NE(tree.children[0], nullptr);
        view.setOn(true);
        view.setHeatShown(true);
        watch.follow(session);
        ASSERT_EQ(session.moveWatchers, std::vector<MoveWatcher*>{&watch});
    }

    // Moves the mover n times between its two places, as the motion code
    // would, and returns the tests one such move makes in the octree.
    int fly(int n) {
        for (int i = 0; i < n; ++i) {
            CollisionObject filed = recordOf(places[at], mover);
            CollisionObject tried = recordOf(places[1 - at], mover);
            for (MoveWatcher* watcher : session.moveWatchers) {
                watcher->beforeMove(index, filed, tried);
            }
            EXPECT_FALSE(index.tryMove(filed, tried));
            at = 1 - at;
        }
        MoveExplanation explanation;
        CollisionObject filed = recordOf(places[at], mover);
        CollisionObject tried = recordOf(places[1 - at], mover);
        index.explainMove(filed, tried, explanation, false);
        return explanation.tested;
    }

    // The drawn leaf around the point, and the heat in it.
    DrawnBox drawnLeafAt(const SbVec3f& point) {
        for (const DrawnBox& box : drawnLeaves(view)) {
            if (SbBox3f(box.min, box.max).intersect(point)) {
                return box;
            }
        }
        ADD_FAILURE() << "no leaf drawn at " << point[0] << " " << point[1] << " " << point[2];
        return DrawnBox{};
    }
    int heatAt(const SbVec3f& point) {
        const DrawnBox leaf = drawnLeafAt(point);
        return view.heat()->testsIn(SbBox3f(leaf.min, leaf.max));
    }

    std::vector<SbBox3f> boxes = {
        SbBox3f(-10, -70, -10, -9, -69, -9), SbBox3f(-20, -70, -20, -19, -69, -19),
        SbBox3f(-1, -80, -30, 1, -79, -29), SbBox3f(10, -10, 10, 11, -9, 11),
        SbBox3f(20, -10, 20, 21, -9, 21)};
    SbBox3f places[2] = {SbBox3f(30, -20, 30, 31, -19, 31), SbBox3f(32, -20, 30, 33, -19, 31)};
    int at = 0;
    FlyingObject* mover = reinterpret_cast<FlyingObject*>(0x1000);
    const SbVec3f hot{30, -20, 30};
    const SbVec3f cold{-10, -70, -10};

    OctTree tree{worldRegion()};
    OctTreeIndex index{tree};
    IndexView view{&index};
    HeatWatch watch{view};
    Session session;
};

TEST_F(LeafHeatTest, TestsLandInTheLeafTheMoverFliesInAndLeaveAfterTheWindow) {
    const int perMove = fly(20);
    ASSERT_GT(perMove, 0) << "each move tests the leaf's other records";
    view.update(SbTime(100.0));
    EXPECT_EQ(heatAt(hot), 20 * perMove);
    EXPECT_EQ(heatAt(cold), 0) << "a leaf no move reached";

    const SoLeafHeat& heat = *view.heat();
    const int hotBand = heat.bandOf(20 * perMove);
    EXPECT_EQ(drawnLeafAt(hot).colourClass, hotBand);
    EXPECT_EQ(drawnLeafAt(cold).colourClass, 0);
    for (const DrawnBox& leaf : drawnLeaves(view)) {
        EXPECT_LE(leaf.colourClass, hotBand) << leaf << ": the mover's leaf is the hottest";
    }
    for (int c = 0; c < heat.bandCount(); ++c) {
        EXPECT_EQ(view.leafColours[c]->rgb[0], heat.bandColor(c)) << "band " << c;
    }
    // Under the line of numbers, the heading and the bands' ranges, each
    // beside the swatch of its band's colour.
    const std::vector<std::string> ranges = legend(view, 0);
    ASSERT_EQ(ranges.size(), 2u + heat.bandCount());
    EXPECT_EQ(ranges[1], "heat (C): box tests per leaf, last 1 s");
    EXPECT_EQ(ranges[3], "      1-9");
    EXPECT_EQ(ranges.back(), "      1000+");
    EXPECT_EQ(legend(view, 2), (std::vector<std::string>{"", "", "", "####"}));

    // Half a second on, five moves more; the first twenty leave a second
    // after they were counted, the last five half a second later.
    fly(5);
    view.update(SbTime(100.5));
    EXPECT_EQ(heatAt(hot), 25 * perMove);
    view.update(SbTime(101.0));
    EXPECT_EQ(heatAt(hot), 5 * perMove);
    view.update(SbTime(101.5));
    EXPECT_EQ(heatAt(hot), 0);
    EXPECT_EQ(drawnLeafAt(hot).colourClass, 0) << "cold again";
}

TEST_F(LeafHeatTest, SwitchingOffGivesBackTheRecordCountsAndStopsTheCounting) {
    fly(30);
    view.update(SbTime(5.0));
    ASSERT_GT(drawnLeafAt(hot).colourClass, 0);

    view.setHeatShown(false);
    watch.follow(session);
    EXPECT_TRUE(session.moveWatchers.empty()) << "moves cost nothing more";
    view.update(SbTime(5.1));
    EXPECT_EQ(drawnLeaves(view), leavesHoldingRecords(tree));
    for (int c = 0; c < IndexView::countClasses; ++c) {
        EXPECT_EQ(view.leafColours[c]->rgb[0], IndexView::countColours[c]) << "class " << c;
    }
    for (std::size_t t = 0; t < view.legendTexts.size(); ++t) {
        EXPECT_TRUE(legend(view, static_cast<int>(t)).empty()) << "legend text " << t;
    }
    view.setHeatShown(true);
    view.update(SbTime(5.2));
    EXPECT_EQ(heatAt(hot), 0) << "shown again, the heat starts afresh";
}

// Under the other indexes the heat changes nothing drawn; the legend says so.
TEST(LeafHeatElsewhere, TheOtherIndexesKeepTheirColours) {
    SoDB::init();
    OctTree tree(worldRegion());
    IndexSet indexes(tree);
    IndexView view(&indexes);
    std::vector<SbBox3f> boxes(6);
    for (int i = 0; i < 6; ++i) {
        boxes[i].setBounds(3.0f * i, -5, 0, 3.0f * i + 1, -4, 1);
        indexes.active().insert(recordOf(boxes[i]));
    }
    indexes.cycle();
    view.setOn(true);
    view.update(SbTime(1.0));
    const std::vector<DrawnBox> plain = drawnLeaves(view);
    ASSERT_FALSE(plain.empty());

    view.setHeatShown(true);
    SbBox3f tried(0, -5, 0.5f, 1, -4, 1.5f);
    view.heatMove(indexes.active(), recordOf(boxes[0]), recordOf(tried));
    view.update(SbTime(1.1));
    EXPECT_EQ(drawnLeaves(view), plain);
    EXPECT_EQ(view.leafColours[0]->rgb[0], IndexView::depthColours[0]);
    EXPECT_EQ(view.leafColours[IndexView::depthClasses]->rgb[0], IndexView::dbvtLeafColour);
    EXPECT_EQ(legend(view, 0), (std::vector<std::string>{"", "heat (C): octree only"}));
    EXPECT_TRUE(legend(view, 1).empty());
}

}  // namespace
