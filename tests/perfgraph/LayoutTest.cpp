#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoOrthographicCamera.h>
#include <Inventor/nodes/SoTextureCoordinate2.h>
#include <Inventor/nodes/SoTranslation.h>
#include <gtest/gtest.h>

#include <vector>

#include "GraphTestSupport.h"

namespace {

class PerfGraphLayout : public ::testing::Test {
protected:
    static void SetUpTestSuite() { initGraphClass(); }
};

// Where a point of graph coordinates lands in viewport pixels, from the
// bottom left corner.
SbVec2f toPixels(const PerfGraphData& d, const SbVec3f& point, float width, float height) {
    SbVec3f eye = d.graphCamera->position.getValue();
    return SbVec2f((point[0] - eye[0] + 0.5f) * width, (point[1] - eye[1] + 0.5f) * height);
}

struct PixelRect {
    float left, bottom, right, top;
};

PixelRect quadPixels(const PerfGraphData& d, float width, float height) {
    SbVec2f lowerLeft = toPixels(d, d.quadCoords->point[0], width, height);
    SbVec2f upperRight = toPixels(d, d.quadCoords->point[3], width, height);
    return {lowerLeft[0], lowerLeft[1], upperRight[0], upperRight[1]};
}

void makeSystemGraph(SoPerfGraph& graph, float positionY) {
    graph.horScreenOrigin.setValue(SoPerfGraph::RIGHT);
    graph.horAlignment.setValue(SoPerfGraph::RIGHT);
    graph.position.setValue(-0.03f, positionY);
    graph.size.setValue(0.23f, 0.11f);
}

TEST_F(PerfGraphLayout, DefaultFieldsInAn800By600Viewport) {
    GraphRef<> graph;
    PerfGraphData& d = graph->record();
    boundingBoxPass(graph.get(), 800, 600);

    PixelRect r = quadPixels(d, 800, 600);
    EXPECT_NEAR(r.left, 24, 1e-3);
    EXPECT_NEAR(r.bottom, 18, 1e-3);
    EXPECT_NEAR(r.right - r.left, 280, 1e-3);
    EXPECT_NEAR(r.top - r.bottom, 90, 1e-3);
    // The strip 0, 1, 2, 3 covers the rectangle.
    EXPECT_EQ(d.quadCoords->point[1],
              SbVec3f(d.quadCoords->point[3][0], d.quadCoords->point[0][1], -5));
    EXPECT_EQ(d.quadCoords->point[2],
              SbVec3f(d.quadCoords->point[0][0], d.quadCoords->point[3][1], -5));
    EXPECT_EQ(d.imageRows, 256);
    EXPECT_EQ(d.imageRowLength, 128);
    EXPECT_FLOAT_EQ(d.visibleRowFraction, 0.546875f);
    EXPECT_TRUE(d.resizePending);

    // A bounding box never builds the image.
    EXPECT_EQ(imageSize(d), SbVec2s(0, 0));
    EXPECT_EQ(d.numValues, 148);

    // Labels: scale 1.5 px right of the left edge, 11.5 px below the top; the
    // average ends 1.5 px left of the right edge, 1.5 px above the bottom.
    SbVec3f scaleAt = d.scaleLabelOffset->translation.getValue();
    SbVec3f averageAt = scaleAt + d.averageLabelOffset->translation.getValue();
    SbVec2f scalePixels = toPixels(d, scaleAt, 800, 600);
    SbVec2f averagePixels = toPixels(d, averageAt, 800, 600);
    EXPECT_NEAR(scalePixels[0], r.left + 1.5f, 1e-3);
    EXPECT_NEAR(scalePixels[1], r.top - 11.5f, 1e-3);
    EXPECT_NEAR(averagePixels[0], r.right - 1.5f, 1e-3);
    EXPECT_NEAR(averagePixels[1], r.bottom + 1.5f, 1e-3);
    EXPECT_FLOAT_EQ(scaleAt[2], -4);
    EXPECT_FLOAT_EQ(averageAt[2], -7);

    // The first render builds the image and re-lays the ring.
    graph->addValue(5);
    d.updateLayout(SbViewportRegion(800, 600), true);
    EXPECT_EQ(imageSize(d), SbVec2s(128, 256));
    EXPECT_EQ(d.numValues, 160);
    EXPECT_FALSE(d.resizePending);
    EXPECT_EQ(d.nextRow, 140);
    EXPECT_FLOAT_EQ(d.quadTexCoords->point[0][1], 0);
    EXPECT_FLOAT_EQ(d.quadTexCoords->point[3][1], 140.0f / 256);
    EXPECT_EQ(barLength(d, 139), int(5.0f / 6 * 128));  // scale 6
    EXPECT_EQ(barLength(d, 0), 0);
}

TEST_F(PerfGraphLayout, TheSystemsTwoGraphsSitAtTheRightEdge) {
    for (float positionY : {0.03f, 0.16f}) {
        GraphRef<> graph;
        PerfGraphData& d = graph->record();
        makeSystemGraph(*graph, positionY);
        d.updateLayout(SbViewportRegion(800, 600), true);

        PixelRect r = quadPixels(d, 800, 600);
        EXPECT_NEAR(r.right - r.left, 184, 1e-3);
        EXPECT_NEAR(r.top - r.bottom, 66, 1e-3);
        EXPECT_NEAR(800 - r.right, 24, 1e-3);
        EXPECT_NEAR(r.bottom, positionY == 0.03f ? 18 : 96, 1e-3);
        EXPECT_EQ(d.graphCamera->position.getValue(), SbVec3f(-0.5f, 0.5f, 1));
        EXPECT_EQ(imageSize(d), SbVec2s(128, 128));
        EXPECT_FLOAT_EQ(d.visibleRowFraction, 92.0f / 128);
        EXPECT_EQ(d.numValues, 112);
        EXPECT_EQ(d.nextRow, 92);
    }
}

TEST_F(PerfGraphLayout, AlignmentsScreenOriginsAndPixelOffsets) {
    GraphRef<> graph;
    PerfGraphData& d = graph->record();
    graph->vertScreenOrigin.setValue(SoPerfGraph::TOP);
    graph->vertAlignment.setValue(SoPerfGraph::TOP);
    graph->horScreenOrigin.setValue(SoPerfGraph::CENTER);
    graph->horAlignment.setValue(SoPerfGraph::CENTER);
    graph->position.setValue(0, -0.1f);
    boundingBoxPass(graph.get(), 800, 600);
    PixelRect r = quadPixels(d, 800, 600);
    EXPECT_NEAR(r.left, 400 - 140, 1e-3);
    EXPECT_NEAR(r.right, 400 + 140, 1e-3);
    EXPECT_NEAR(r.top, 600 - 60, 1e-3);
    EXPECT_NEAR(r.bottom, 600 - 60 - 90, 1e-3);

    graph->vertScreenOrigin.setValue(SoPerfGraph::HALF);
    graph->vertAlignment.setValue(SoPerfGraph::HALF);
    graph->position.setValue(0, 0);
    graph->positionInPixels.setValue(10, -20);
    graph->sizeInPixels.setValue(20, 10);
    boundingBoxPass(graph.get(), 800, 600);
    r = quadPixels(d, 800, 600);
    EXPECT_NEAR(r.right - r.left, 300, 1e-3);
    EXPECT_NEAR(r.top - r.bottom, 100, 1e-3);
    EXPECT_NEAR((r.left + r.right) / 2, 410, 1e-3);
    EXPECT_NEAR((r.bottom + r.top) / 2, 280, 1e-3);
    EXPECT_EQ(d.imageRows, 256);       // 300 px / 2 = 150 columns
    EXPECT_EQ(d.imageRowLength, 128);  // 100 value steps
}

TEST_F(PerfGraphLayout, ZeroSizedViewportsAndTinyGraphs) {
    GraphRef<> graph;
    PerfGraphData& d = graph->record();
    SbViewportRegion empty;
    empty.setWindowSize(SbVec2s(0, 0));
    d.updateLayout(empty, true);
    // One pixel each way: 0.35 px wide, no whole sample column.
    EXPECT_EQ(d.imageRows, 1);
    EXPECT_EQ(d.imageRowLength, 1);
    EXPECT_EQ(imageSize(d), SbVec2s(1, 1));
    EXPECT_EQ(d.numValues, 20);
    EXPECT_FLOAT_EQ(d.quadCoords->point[0][0], 0.03f);
    graph->addValue(3);

    SbViewportRegion narrow;
    narrow.setWindowSize(SbVec2s(0, 600));
    d.updateLayout(narrow, true);
    EXPECT_EQ(d.imageRows, 1);
    EXPECT_EQ(d.imageRowLength, 128);

    // Sizes that no image could hold are kept within bounds.
    graph->dataScale.setValue(0, 0);
    d.updateLayout(SbViewportRegion(800, 600), false);
    EXPECT_LE(d.imageRows, 4096);
    EXPECT_LE(d.imageRowLength, 4096);
    graph->dataScale.setValue(-1, 1);
    d.updateLayout(SbViewportRegion(800, 600), true);
    EXPECT_EQ(d.imageRows, 1);
    graph->addValue(4);
}

TEST_F(PerfGraphLayout, ResizingWithinThePowersOfTwoKeepsImageAndRing) {
    GraphRef<> graph;
    PerfGraphData& d = graph->record();
    d.updateLayout(SbViewportRegion(800, 600), true);
    const unsigned char* pixels = nullptr;
    SbVec2s size;
    int nc = 0;
    pixels = d.graphTexture->image.getValue(size, nc);
    for (int i = 0; i < 10; ++i) {
        graph->addValue(float(i));
    }

    d.updateLayout(SbViewportRegion(900, 650), true);  // 315 x 97.5 px
    PixelRect r = quadPixels(d, 900, 650);
    EXPECT_NEAR(r.right - r.left, 315, 1e-3);
    EXPECT_EQ(d.graphTexture->image.getValue(size, nc), pixels);
    EXPECT_EQ(size, SbVec2s(128, 256));
    EXPECT_EQ(d.numValues, 160);
    EXPECT_FLOAT_EQ(d.visibleRowFraction, 0.546875f);

    // Twice as wide: 560 px, 280 columns, 512 rows.
    d.updateLayout(SbViewportRegion(1600, 600), true);
    EXPECT_EQ(imageSize(d), SbVec2s(128, 512));
    EXPECT_EQ(d.numValues, 300);
    EXPECT_EQ(ringInOrder(d).back(), 9.0f);
    EXPECT_EQ(d.nextRow, 280);
}

TEST_F(PerfGraphLayout, DrawValuePaintsBarThenBackground) {
    GraphRef<> graph;
    PerfGraphData& d = graph->record();
    std::vector<unsigned char> row(128 * TEXTURE_COMPONENTS, 7);
    auto paint = [&](float value) {
        std::fill(row.begin(), row.end(), 7);
        EXPECT_EQ(graph->drawValue(row.data(), 128, value), 128);
        int bar = 0;
        while (bar < 128 && row[bar * 4 + 1] == 128) {
            ++bar;
        }
        for (int i = 0; i < 128; ++i) {
            const unsigned char* t = &row[i * 4];
            bool isBar = t[0] == 0 && t[1] == 128 && t[2] == 255 && t[3] == 255;
            bool isBackground = t[0] == 0 && t[1] == 0 && t[2] == 128 && t[3] == 128;
            EXPECT_TRUE(i < bar ? isBar : isBackground) << "texel " << i << " of " << value;
        }
        return bar;
    };

    EXPECT_EQ(paint(5), 0) << "no bar while the scale is still 0";
    d.scale = 60;
    EXPECT_EQ(paint(30), 64);
    EXPECT_EQ(paint(59.9f), 127);
    EXPECT_EQ(paint(60), 128);
    EXPECT_EQ(paint(1000), 128);
    EXPECT_EQ(paint(0), 0);
    EXPECT_EQ(paint(-5), 0);
    EXPECT_EQ(paint(std::numeric_limits<float>::infinity()), 128);
    d.scale = std::numeric_limits<float>::infinity();
    EXPECT_EQ(paint(std::numeric_limits<float>::infinity()), 0);
    EXPECT_EQ(paint(30), 0);
}

TEST_F(PerfGraphLayout, RowsHoldTheNewestSamplesAndScrollByOneRow) {
    GraphRef<> graph;
    PerfGraphData& d = graph->record();
    makeSystemGraph(*graph, 0.03f);
    for (int i = 0; i < 148; ++i) {
        graph->addValue(float(i % 50));  // scale 60 from 49 on
    }
    d.updateLayout(SbViewportRegion(800, 600), true);
    ASSERT_EQ(d.scale, 60);
    ASSERT_EQ(d.numValues, 112);
    // Rows 0..91: the 92 newest samples, oldest first.
    for (int row = 0; row < 92; ++row) {
        int sample = 148 - 92 + row;
        EXPECT_EQ(barLength(d, row), int(float(sample % 50) / 60 * 128)) << "row " << row;
    }
    EXPECT_EQ(d.nextRow, 92);

    graph->addValue(45);
    EXPECT_EQ(barLength(d, 92), 96);
    EXPECT_EQ(d.nextRow, 93);
    EXPECT_FLOAT_EQ(d.quadTexCoords->point[1][1], 93.0f / 128);
    EXPECT_FLOAT_EQ(d.quadTexCoords->point[3][1], 93.0f / 128);
    EXPECT_FLOAT_EQ(d.quadTexCoords->point[0][1], 93.0f / 128 - 92.0f / 128);
    EXPECT_FLOAT_EQ(d.quadTexCoords->point[2][1], 93.0f / 128 - 92.0f / 128);
    EXPECT_FLOAT_EQ(d.quadTexCoords->point[0][0], 0);
    EXPECT_FLOAT_EQ(d.quadTexCoords->point[2][0], 1);

    // The rows wrap; the texture window then starts below 0.
    for (int i = 0; i < 35; ++i) {
        graph->addValue(30);
    }
    EXPECT_EQ(d.nextRow, 0);
    graph->addValue(15);
    EXPECT_EQ(barLength(d, 0), 32);
    EXPECT_FLOAT_EQ(d.quadTexCoords->point[3][1], 1.0f / 128);
    EXPECT_FLOAT_EQ(d.quadTexCoords->point[0][1], 1.0f / 128 - 92.0f / 128);

    // A new scale repaints every visible row at once.
    // The repaint lays the 92 samples before the new one into rows 0..91
    // and the new one follows in row 92.
    graph->addValue(100);
    EXPECT_EQ(d.scale, 100);
    EXPECT_EQ(barLength(d, 91), int(15.0f / 100 * 128));
    EXPECT_EQ(barLength(d, 90), int(30.0f / 100 * 128));
    EXPECT_EQ(barLength(d, 0), int(43.0f / 100 * 128)) << "sample 93 of the first run";
    EXPECT_EQ(barLength(d, 92), 128);
    EXPECT_EQ(d.nextRow, 93);
    EXPECT_FLOAT_EQ(d.quadTexCoords->point[3][1], 93.0f / 128);
}

// Records the samples that a repaint reads.
class RecordingGraph : public ProbeGraph {
public:
    int drawValue(unsigned char* row, int length, float value) override {
        drawn.push_back(value);
        return SoPerfGraph::drawValue(row, length, value);
    }
    std::vector<float> drawn;
};

TEST_F(PerfGraphLayout, RepaintNeverReadsPastTheRing) {
    GraphRef<RecordingGraph> graph;
    PerfGraphData& d = graph->record();
    d.updateLayout(SbViewportRegion(800, 600), true);  // ring of 160 for 140 visible rows
    for (int i = 1; i <= 200; ++i) {
        graph->addValue(float(i) / 1000);
    }
    // A narrower graph asks for 60 of 64 rows, but only its bounding box runs:
    // the fraction changes, the ring and the 256-row image stay.
    graph->size.setValue(0.15f, 0.15f);
    boundingBoxPass(graph.get(), 800, 600);
    ASSERT_FLOAT_EQ(d.visibleRowFraction, 60.0f / 64);
    ASSERT_EQ(d.numValues, 160);

    // A new scale repaints: the whole ring in order, then the new sample.
    std::vector<float> expected = ringInOrder(d);
    expected.push_back(1000);
    graph->drawn.clear();
    graph->addValue(1000);
    EXPECT_EQ(graph->drawn, expected);
    EXPECT_EQ(d.nextRow, 161);

    // The next render rebuilds for the new size and everything fits again.
    d.updateLayout(SbViewportRegion(800, 600), true);
    EXPECT_EQ(imageSize(d), SbVec2s(128, 64));
    EXPECT_EQ(d.numValues, 80);
    EXPECT_EQ(d.nextRow, 60);
}

}  // namespace
