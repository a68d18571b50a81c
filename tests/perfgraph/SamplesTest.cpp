#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "GraphTestSupport.h"

namespace {

class PerfGraphSamples : public ::testing::Test {
protected:
    static void SetUpTestSuite() { initGraphClass(); }
};

TEST(NiceCeiling, RoundsAwayFromZeroToTwoFourSixOrTenTimesAPowerOfTen) {
    EXPECT_FLOAT_EQ(niceCeiling(57), 60);
    EXPECT_FLOAT_EQ(niceCeiling(61), 100);
    EXPECT_FLOAT_EQ(niceCeiling(6), 6);
    EXPECT_FLOAT_EQ(niceCeiling(2.5f), 4);
    EXPECT_FLOAT_EQ(niceCeiling(0.03f), 0.04f);
    EXPECT_FLOAT_EQ(niceCeiling(10), 10);
    EXPECT_FLOAT_EQ(niceCeiling(100), 100);
    EXPECT_FLOAT_EQ(niceCeiling(1), 2);
    EXPECT_FLOAT_EQ(niceCeiling(0.1f), 0.2f);
    EXPECT_FLOAT_EQ(niceCeiling(-57), -60);
    EXPECT_FLOAT_EQ(niceCeiling(0), 1);
    EXPECT_FLOAT_EQ(niceCeiling(4.01f), 6);
    EXPECT_FLOAT_EQ(niceCeiling(123456), 200000);
    EXPECT_FLOAT_EQ(niceCeiling(0.00071f), 0.001f);
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(niceCeiling(inf), inf);
    EXPECT_EQ(niceCeiling(-inf), inf);
    EXPECT_DEATH(niceCeiling(std::nanf("")), "Assertion failed: i>=1, file soperfgraph");
}

TEST_F(PerfGraphSamples, FirstSampleSetsScaleAndLabels) {
    FakeClock clock(1000.0);
    GraphRef<> graph;
    PerfGraphData& d = graph->record();
    graph->addValue(57);
    EXPECT_EQ(d.maxValue, 57);
    EXPECT_EQ(d.scale, 60);
    EXPECT_EQ(labelText(d.scaleLabel), "60");
    EXPECT_EQ(labelText(d.averageLabel), "avg: 57.000");
    EXPECT_EQ(d.values[0], 57);
    EXPECT_EQ(d.times[0], 1000.0);
    EXPECT_EQ(d.startIndex, 1);
    // No render yet: nothing is painted and the texture window stays put.
    EXPECT_EQ(imageSize(d), SbVec2s(0, 0));
    EXPECT_EQ(d.nextRow, 0);
}

TEST_F(PerfGraphSamples, ScaleGrowsAtOnceAndShrinksOnlyWithHeadroom) {
    FakeClock clock(1000.0);
    GraphRef<> graph;
    PerfGraphData& d = graph->record();
    graph->addValue(57);
    EXPECT_EQ(d.scale, 60);
    graph->addValue(61);
    EXPECT_EQ(d.scale, 100);
    EXPECT_EQ(labelText(d.scaleLabel), "100");

    // A ring of three makes the maximum leave quickly.
    d.resizeBuffer(3);  // [0, 57, 61]
    graph->addValue(55);
    graph->addValue(55);  // [55, 55, 61], 61 is next to go
    EXPECT_EQ(d.maxValue, 61);
    graph->addValue(50);  // rescan: maximum 55; niceCeiling(60.5) is still 100
    EXPECT_EQ(d.maxValue, 55);
    EXPECT_EQ(d.scale, 100);
    graph->addValue(50);  // overwrites a 55, the maximum: rescan finds 55 again
    EXPECT_EQ(d.maxValue, 55);
    EXPECT_EQ(d.scale, 100);
    graph->addValue(50);  // the last 55 leaves: maximum 50, niceCeiling(55) = 60
    EXPECT_EQ(d.maxValue, 50);
    EXPECT_EQ(d.scale, 60);
    EXPECT_EQ(labelText(d.scaleLabel), "60");

    // Overwriting a sample below the maximum keeps it without a rescan.
    graph->addValue(58);  // [50, 50, 58]
    graph->addValue(20);  // overwrites 50 < 58
    EXPECT_EQ(d.maxValue, 58);
    EXPECT_EQ(d.scale, 60);
}

TEST_F(PerfGraphSamples, LabelFormatsKeepOrDropTrailingZeros) {
    FakeClock clock(50.0);
    GraphRef<> graph;
    PerfGraphData& d = graph->record();
    graph->addValue(0.03f);
    EXPECT_EQ(labelText(d.scaleLabel), "0.04");
    EXPECT_EQ(labelText(d.averageLabel), "avg: 0.030000");
    graph->addValue(59);
    FakeClock::now = 50.4;
    graph->addValue(60);
    EXPECT_EQ(labelText(d.scaleLabel), "60");
    EXPECT_EQ(labelText(d.averageLabel), "avg: 39.677");
    FakeClock::now = 51.01;
    graph->addValue(59);
    // 50.0 is not later than 51.01 - 1: only 60 and 59 count.
    EXPECT_EQ(labelText(d.averageLabel), "avg: 59.500");
}

TEST_F(PerfGraphSamples, AverageCoversTheLastSecondRefreshedAtMostEveryThirdOfASecond) {
    FakeClock clock(10.0);
    GraphRef<> graph;
    PerfGraphData& d = graph->record();
    graph->addValue(1);
    EXPECT_EQ(labelText(d.averageLabel), "avg: 1.0000");
    FakeClock::now = 10.2;
    graph->addValue(2);  // too soon after the last refresh
    EXPECT_EQ(labelText(d.averageLabel), "avg: 1.0000");
    EXPECT_EQ(d.lastLabelTime, 10.0);
    FakeClock::now = 10.35;
    graph->addValue(3);  // exactly 0.35 s later
    EXPECT_EQ(labelText(d.averageLabel), "avg: 2.0000");
    FakeClock::now = 11.0;
    graph->addValue(6);  // the sample of 10.0 is exactly 1 s old: left out
    EXPECT_EQ(labelText(d.averageLabel), "avg: 3.6667");
    FakeClock::now = 20.0;
    graph->addValue(8);  // alone in its second
    EXPECT_EQ(labelText(d.averageLabel), "avg: 8.0000");

    // Never more than the ring, however recent all samples are.
    d.resizeBuffer(3);
    FakeClock::now = 30.0;
    graph->addValue(1);
    FakeClock::now = 30.01;
    graph->addValue(2);
    graph->addValue(3);
    FakeClock::now = 30.4;
    graph->addValue(4);
    EXPECT_EQ(labelText(d.averageLabel), "avg: 3.0000");
}

TEST_F(PerfGraphSamples, NanSamplesAreDroppedAndInfiniteOnesPassThroughTheRing) {
    FakeClock clock(5.0);
    GraphRef<> graph;
    PerfGraphData& d = graph->record();
    graph->addValue(30);
    const std::vector<float> before = d.values;
    graph->addValue(std::nanf(""));
    EXPECT_EQ(d.values, before);
    EXPECT_EQ(d.startIndex, 1);
    EXPECT_EQ(d.maxValue, 30);
    EXPECT_EQ(d.scale, 40);
    EXPECT_EQ(labelText(d.averageLabel), "avg: 30.000");

    // Render once so that rows get painted.
    d.updateLayout(SbViewportRegion(800, 600), true);
    d.resizeBuffer(4);
    const float inf = std::numeric_limits<float>::infinity();
    FakeClock::now = 6.0;
    graph->addValue(inf);
    EXPECT_EQ(d.scale, inf);
    EXPECT_EQ(labelText(d.scaleLabel), "inf");
    EXPECT_EQ(labelText(d.averageLabel), "avg: inf");
    int infRow = d.nextRow - 1;
    EXPECT_EQ(barLength(d, infRow), 0) << "an infinite sample draws no bar";
    for (int i = 0; i < 3; ++i) {
        graph->addValue(20);
        EXPECT_EQ(d.scale, inf);
    }
    graph->addValue(20);  // the infinite sample leaves the ring
    EXPECT_EQ(d.maxValue, 20);
    EXPECT_EQ(d.scale, 40);
    EXPECT_EQ(barLength(d, d.nextRow - 1), 64);
}

TEST_F(PerfGraphSamples, ResizeBufferKeepsTheNewestSamplesInArrivalOrder) {
    FakeClock clock(1.0);
    for (int advance : {0, 1, 70, 147}) {
        GraphRef<> graph;
        PerfGraphData& d = graph->record();
        // 148 + advance samples 1, 2, 3, ... : the ring holds the newest 148.
        for (int i = 1; i <= 148 + advance; ++i) {
            FakeClock::now = i;
            graph->addValue(float(i));
        }
        ASSERT_EQ(d.startIndex, advance % 148);
        std::vector<float> ordered = ringInOrder(d);

        d.resizeBuffer(200);
        EXPECT_EQ(d.numValues, 200);
        EXPECT_EQ(d.startIndex, 0);
        std::vector<float> grown(52, 0.0f);
        grown.insert(grown.end(), ordered.begin(), ordered.end());
        EXPECT_EQ(d.values, grown) << "advance " << advance;
        EXPECT_EQ(d.times[51], 0.0);
        EXPECT_EQ(d.times[52], double(ordered[0])) << "times move with their values";

        d.resizeBuffer(60);
        EXPECT_EQ(d.numValues, 60);
        EXPECT_EQ(d.startIndex, 0);
        EXPECT_EQ(d.values, std::vector<float>(ordered.end() - 60, ordered.end()));
        EXPECT_EQ(d.times.back(), double(148 + advance));
    }
}

TEST_F(PerfGraphSamples, ShrinkingWithTheStartInsideTheKeptRunsAndStaleMaximum) {
    FakeClock clock(1.0);
    GraphRef<> graph;
    PerfGraphData& d = graph->record();
    d.resizeBuffer(10);
    for (int i = 1; i <= 13; ++i) {  // ring [11, 12, 13, 4, ..., 10], start 3
        graph->addValue(float(i));
    }
    d.resizeBuffer(5);
    EXPECT_EQ(d.values, (std::vector<float>{9, 10, 11, 12, 13}));
    d.resizeBuffer(2);
    EXPECT_EQ(d.values, (std::vector<float>{12, 13}));

    // The maximum of dropped samples stays until a larger one arrives.
    d.resizeBuffer(10);
    for (float v : {90.0f, 5.0f, 5.0f}) {
        graph->addValue(v);
    }
    d.resizeBuffer(2);  // keeps [5, 5]
    EXPECT_EQ(d.maxValue, 90);
    EXPECT_EQ(d.scale, 100);
    graph->addValue(95);
    EXPECT_EQ(d.maxValue, 95);
}

}  // namespace
