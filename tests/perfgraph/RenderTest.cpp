// Renders the program's kind of graph in a real window on a private X server
// and checks the pixels where it lies.
#include <Inventor/nodes/SoSeparator.h>
#include <gtest/gtest.h>

#include "perfgraph/SoPerfGraph.h"
#include "tests/support/RenderWindow.h"

namespace {

const bool xServer = (usePrivateXServer(), true);

float sample(int i) {
    return 10.0f * (i % 5 + 1);
}  // 10 ... 50: the scale settles at 60

// The window system and the scene library; the class once, as it may be registered only once.
bool setUp() {
    if (!testMainWindow()) {
        return false;
    }
    if (SoPerfGraph::getClassTypeId() == SoType::badType()) {
        SoPerfGraph::initClass();
    }
    return true;
}

TEST(PerfGraphRender, BarsToTheirHeightsBackgroundAboveNewestAtTheRightEdge) {
    ASSERT_TRUE(setUp());
    SoSeparator* root = new SoSeparator;
    root->ref();
    SoPerfGraph* graph = new SoPerfGraph;
    graph->horScreenOrigin.setValue(SoPerfGraph::RIGHT);
    graph->horAlignment.setValue(SoPerfGraph::RIGHT);
    graph->position.setValue(-0.03f, 0.03f);
    graph->size.setValue(0.23f, 0.11f);
    root->addChild(graph);
    for (int i = 0; i < 148; ++i) {
        graph->addValue(sample(i));
    }
    CapturingArea* area = showScene(root);
    ASSERT_NE(area, nullptr);

    // 184 x 66 pixels, 24 pixels in from the right, 18 up; 92 samples of 2
    // pixels; the bar over black as it is, the background at alpha 128 / 255.
    const int left = 592, bottom = 18, width = 184, height = 66;
    auto checkBars = [&](int newest) {
        int checked = 0;
        for (int x = left; x < left + width; ++x) {
            int bar = int(sample(newest - 91 + (x - left) / 2) / 60 * 128);
            for (int y = 0; y < height; ++y) {
                bool label = (x < left + 40 && y >= height - 16) || (x >= left + 94 && y < 16);
                float texel = (y + 0.5f) * 128 / height;
                if (label || (texel > bar - 1.5f && texel < bar + 1.5f)) {
                    continue;
                }
                bool isBar = texel < bar;
                EXPECT_TRUE(isBar ? area->near(x, bottom + y, 0, 128, 255)
                                  : area->near(x, bottom + y, 0, 0, 64))
                    << "newest " << newest << " x " << x << " y " << y << (isBar ? " bar" : "");
                ++checked;
            }
        }
        EXPECT_GT(checked, width * 40);
    };
    checkBars(147);
    EXPECT_TRUE(area->near(left - 2, bottom + 30, 0, 0, 0));
    EXPECT_TRUE(area->near(left + width + 1, bottom + 30, 0, 0, 0));
    EXPECT_TRUE(area->near(left + 100, bottom + height + 2, 0, 0, 0));
    EXPECT_TRUE(area->near(left + 100, bottom - 2, 0, 0, 0));

    // One more sample (40, 44 pixels high) scrolls everything by one column.
    graph->addValue(sample(148));
    ASSERT_TRUE(area->nextFrame());
    checkBars(148);
    EXPECT_TRUE(area->near(left + width - 1, bottom + 40, 0, 128, 255));

    delete area;
    root->unref();
}

// The texture is blended only while some texel is not opaque. A graph whose
// image holds exactly its visible samples starts as full bars, drawn
// unblended; the first shorter bar brings back background texels, which must
// blend, though the image had none when its texture object was made.
TEST(PerfGraphRender, BackgroundBlendsOnceAnImageOfFullBarsGetsSome) {
    ASSERT_TRUE(setUp());
    SoSeparator* root = new SoSeparator;
    root->ref();
    SoPerfGraph* graph = new SoPerfGraph;
    // 256 x 90 pixels, 24 in and 18 up: 128 samples, as many as the image has rows.
    graph->size.setValue(0.0f, 0.15f);
    graph->sizeInPixels.setValue(256, 0);
    root->addChild(graph);
    for (int i = 0; i < 148; ++i) {
        graph->addValue(10.0f);  // its own scale: a full bar
    }
    CapturingArea* area = showScene(root);
    ASSERT_NE(area, nullptr);
    const int newest = 24 + 256 - 2, older = 24 + 100, y = 18 + 70;
    EXPECT_TRUE(area->near(newest, y, 0, 128, 255));
    EXPECT_TRUE(area->near(older, y, 0, 128, 255));

    graph->addValue(4.0f);  // 36 pixels of bar, background above it
    ASSERT_TRUE(area->nextFrame());
    EXPECT_TRUE(area->near(newest, y, 0, 0, 64)) << "unblended background is 0 0 128";
    EXPECT_TRUE(area->near(newest, 18 + 25, 0, 128, 255));
    EXPECT_TRUE(area->near(older, y, 0, 128, 255));

    delete area;
    root->unref();
}

}  // namespace
