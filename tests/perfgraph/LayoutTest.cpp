#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoOrthographicCamera.h>
#include <Inventor/nodes/SoTextureCoordinate2.h>
#include <Inventor/nodes/SoTranslation.h>
#include <gtest/gtest.h>

#include "GraphTestSupport.h"

namespace {

// A point of graph coordinates in viewport pixels from the lower left corner.
SbVec2f pixels(const PerfGraphData& d, SbVec3f p, float width, float height) {
    SbVec3f eye = d.graphCamera->position.getValue();
    return SbVec2f((p[0] - eye[0] + 0.5f) * width, (p[1] - eye[1] + 0.5f) * height);
}

// Left, bottom, width and height of the quad in pixels.
SbVec4f quadPixels(const PerfGraphData& d, float width, float height) {
    SbVec2f low = pixels(d, d.quadCoords->point[0], width, height);
    SbVec2f high = pixels(d, d.quadCoords->point[3], width, height);
    return SbVec4f(low[0], low[1], high[0] - low[0], high[1] - low[1]);
}

void expectNear(SbVec4f got, SbVec4f expected) {
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(got[i], expected[i], 1e-3) << "component " << i;
    }
}

float texT(const PerfGraphData& d, int corner) {
    return d.quadTexCoords->point[corner][1];
}

TEST(PerfGraphLayout, DefaultFieldsIn800By600) {
    GraphRef graph;
    PerfGraphData& d = graph->d();
    graph->addValue(5);
    boundingBoxPass(graph.graph, 800, 600);
    expectNear(quadPixels(d, 800, 600), SbVec4f(24, 18, 280, 90));
    EXPECT_EQ(d.imageRows, 256);
    EXPECT_EQ(d.imageRowLength, 128);
    EXPECT_FLOAT_EQ(d.visibleRowFraction, 0.546875f);
    EXPECT_EQ(imageSize(d), SbVec2s(0, 0)) << "a bounding box never builds the image";
    SbVec3f scaleAt = d.scaleLabelOffset->translation.getValue();
    SbVec3f averageAt = scaleAt + d.averageLabelOffset->translation.getValue();
    EXPECT_NEAR(pixels(d, scaleAt, 800, 600)[0], 24 + 1.5f, 1e-3);
    EXPECT_NEAR(pixels(d, scaleAt, 800, 600)[1], 108 - 11.5f, 1e-3);
    EXPECT_NEAR(pixels(d, averageAt, 800, 600)[0], 304 - 1.5f, 1e-3);
    EXPECT_NEAR(pixels(d, averageAt, 800, 600)[1], 18 + 1.5f, 1e-3);

    d.updateLayout(SbViewportRegion(800, 600), true);
    EXPECT_EQ(imageSize(d), SbVec2s(128, 256));
    EXPECT_EQ(d.numValues, 160);
    EXPECT_EQ(d.nextRow, 140);
    EXPECT_EQ(barLength(d, 139), int(5.0f / 6 * 128));
    EXPECT_FLOAT_EQ(texT(d, 0), 0);
    EXPECT_FLOAT_EQ(texT(d, 3), 140.0f / 256);
}

TEST(PerfGraphLayout, TheSystemsGraphsAtTheRightEdgeAndOtherAnchors) {
    for (float y : {0.03f, 0.16f}) {
        GraphRef graph;
        PerfGraphData& d = graph->d();
        graph->horScreenOrigin.setValue(SoPerfGraph::RIGHT);
        graph->horAlignment.setValue(SoPerfGraph::RIGHT);
        graph->position.setValue(-0.03f, y);
        graph->size.setValue(0.23f, 0.11f);
        d.updateLayout(SbViewportRegion(800, 600), true);
        expectNear(quadPixels(d, 800, 600), SbVec4f(800 - 24 - 184, y == 0.03f ? 18 : 96, 184, 66));
        EXPECT_EQ(imageSize(d), SbVec2s(128, 128));
        EXPECT_EQ(d.numValues, 112);
        EXPECT_EQ(d.nextRow, 92);
    }
    GraphRef graph;
    graph->horScreenOrigin.setValue(SoPerfGraph::CENTER);
    graph->horAlignment.setValue(SoPerfGraph::CENTER);
    graph->vertScreenOrigin.setValue(SoPerfGraph::TOP);
    graph->vertAlignment.setValue(SoPerfGraph::TOP);
    graph->position.setValue(0, -0.1f);
    boundingBoxPass(graph.graph, 800, 600);
    expectNear(quadPixels(graph->d(), 800, 600), SbVec4f(260, 450, 280, 90));
    graph->vertScreenOrigin.setValue(SoPerfGraph::HALF);
    graph->vertAlignment.setValue(SoPerfGraph::HALF);
    graph->position.setValue(0, 0);
    graph->positionInPixels.setValue(10, -20);
    graph->sizeInPixels.setValue(20, 10);
    boundingBoxPass(graph.graph, 800, 600);
    expectNear(quadPixels(graph->d(), 800, 600), SbVec4f(260, 230, 300, 100));
}

TEST(PerfGraphLayout, ZeroSizedViewportsAndUnboundedSizes) {
    GraphRef graph;
    PerfGraphData& d = graph->d();
    SbViewportRegion viewport;
    viewport.setWindowSize(SbVec2s(0, 0));
    d.updateLayout(viewport, true);  // 1 x 1 pixels: no whole sample column
    EXPECT_EQ(imageSize(d), SbVec2s(1, 1));
    EXPECT_EQ(d.numValues, 20);
    viewport.setWindowSize(SbVec2s(0, 600));
    d.updateLayout(viewport, true);
    EXPECT_EQ(imageSize(d), SbVec2s(128, 1));
    graph->addValue(3);

    graph->dataScale.setValue(0, 0);  // infinitely many texels asked for
    boundingBoxPass(graph.graph, 800, 600);
    EXPECT_EQ(d.imageRows, 4096);
    EXPECT_EQ(d.imageRowLength, 4096);
}

TEST(PerfGraphLayout, ResizingWithinThePowersOfTwoKeepsImageRingAndFraction) {
    GraphRef graph;
    PerfGraphData& d = graph->d();
    d.updateLayout(SbViewportRegion(800, 600), true);
    for (int i = 0; i < 10; ++i) {
        graph->addValue(float(i));
    }
    SbVec2s size;
    int nc = 0;
    const unsigned char* image = d.graphTexture->image.getValue(size, nc);
    d.updateLayout(SbViewportRegion(900, 650), true);
    expectNear(quadPixels(d, 900, 650), SbVec4f(27, 19.5f, 315, 97.5f));
    EXPECT_EQ(d.graphTexture->image.getValue(size, nc), image);
    EXPECT_EQ(d.numValues, 160);
    EXPECT_FLOAT_EQ(d.visibleRowFraction, 0.546875f);

    d.updateLayout(SbViewportRegion(1600, 600), true);  // 280 columns: 512 rows
    EXPECT_EQ(imageSize(d), SbVec2s(128, 512));
    EXPECT_EQ(d.numValues, 300);
    EXPECT_EQ(ringInOrder(d).back(), 9.0f);
    EXPECT_EQ(d.nextRow, 280);
}

TEST(PerfGraphLayout, RowsHoldTheNewestSamplesAndScrollOneRowPerSample) {
    GraphRef graph;
    PerfGraphData& d = graph->d();
    graph->size.setValue(0.23f, 0.11f);  // 128 x 128, 92 visible rows
    for (int i = 0; i < 148; ++i) {
        graph->addValue(float(i % 50));  // scale 60
    }
    d.updateLayout(SbViewportRegion(800, 600), true);
    for (int row = 0; row < 92; ++row) {
        EXPECT_EQ(barLength(d, row), int(float((56 + row) % 50) / 60 * 128)) << row;
    }
    graph->addValue(45);
    EXPECT_EQ(barLength(d, 92), 96);
    EXPECT_FLOAT_EQ(texT(d, 1), 93.0f / 128);
    EXPECT_FLOAT_EQ(texT(d, 3), 93.0f / 128);
    EXPECT_FLOAT_EQ(texT(d, 0), 1.0f / 128);
    EXPECT_FLOAT_EQ(texT(d, 2), 1.0f / 128);
    for (int i = 0; i < 36; ++i) {
        graph->addValue(15);  // wraps: the window starts below 0
    }
    EXPECT_EQ(barLength(d, 0), 32);
    EXPECT_FLOAT_EQ(texT(d, 0), 1.0f / 128 - 92.0f / 128);

    graph->addValue(100);  // new scale: the 92 before it repainted into rows 0..91
    EXPECT_EQ(barLength(d, 91), int(15.0f / 100 * 128));
    EXPECT_EQ(barLength(d, 0), int(43.0f / 100 * 128)) << "sample 93 of the first 148";
    EXPECT_EQ(barLength(d, 92), 128);
    EXPECT_EQ(d.nextRow, 93);
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

TEST(PerfGraphLayout, RepaintNeverReadsPastTheRing) {
    ProbeGraph::registerOnce();
    RecordingGraph* recording = new RecordingGraph;
    GraphRef graph(recording);
    PerfGraphData& d = graph->d();
    d.updateLayout(SbViewportRegion(800, 600), true);  // 140 visible rows, ring of 160
    for (int i = 1; i <= 200; ++i) {
        graph->addValue(float(i));
    }
    // Only a bounding box sees the narrower graph: 60 of 64 rows are asked
    // for while the ring and the 256-row image stay.
    graph->size.setValue(0.15f, 0.15f);
    boundingBoxPass(graph.graph, 800, 600);
    std::vector<float> expected = ringInOrder(d);
    expected.push_back(1000);
    recording->drawn.clear();
    graph->addValue(1000);  // a new scale repaints
    EXPECT_EQ(recording->drawn, expected);

    d.updateLayout(SbViewportRegion(800, 600), true);
    EXPECT_EQ(imageSize(d), SbVec2s(128, 64));
    EXPECT_EQ(d.numValues, 80);
}

}  // namespace
