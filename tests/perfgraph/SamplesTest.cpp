#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "GraphTestSupport.h"

namespace {

const float inf = std::numeric_limits<float>::infinity();

TEST(NiceCeiling, TwoFourSixOrTenTimesAPowerOfTen) {
    const float cases[][2] = {{57, 60}, {61, 100},  {6, 6},          {2.5f, 4},    {0.03f, 0.04f},
                              {10, 10}, {100, 100}, {1, 2},          {0.1f, 0.2f}, {-57, -60},
                              {0, 1},   {4.01f, 6}, {123456, 200000}};
    for (const auto& c : cases) {
        EXPECT_FLOAT_EQ(niceCeiling(c[0]), c[1]) << c[0];
    }
    EXPECT_EQ(niceCeiling(inf), inf);
    EXPECT_DEATH(niceCeiling(std::nanf("")),
                 "Assertion failed: i>=1, file soperfgraph, line [0-9]+");
}

TEST(PerfGraphSamples, ScaleGrowsAtOnceShrinksWithHeadroomAndRescansWhenTheMaximumLeaves) {
    const double now = 1000;
    GraphRef graph;
    PerfGraphData& d = graph->d();
    graph->addValue(57, now);
    EXPECT_EQ(d.scale, 60);
    EXPECT_EQ(text(d.scaleLabel), "60");
    EXPECT_EQ(text(d.averageLabel), "avg: 57.000");
    graph->addValue(61, now);
    EXPECT_EQ(d.scale, 100);

    d.resizeBuffer(3);  // [0, 57, 61]
    for (float v : {55.0f, 55.0f, 50.0f}) {
        graph->addValue(v, now);  // the last one overwrites 61: rescan finds 55
    }
    EXPECT_EQ(d.maxValue, 55);
    EXPECT_EQ(d.scale, 100) << "niceCeiling(55 * 1.1) is still 100";
    graph->addValue(50, now);
    graph->addValue(50, now);  // the last 55 leaves: niceCeiling(50 * 1.1) = 60
    EXPECT_EQ(d.maxValue, 50);
    EXPECT_EQ(d.scale, 60);
    graph->addValue(58, now);
    graph->addValue(20, now);  // overwrites a 50, not the maximum
    EXPECT_EQ(d.maxValue, 58);

    graph->addValue(0.03f, now);
    graph->addValue(0.03f, now);
    graph->addValue(0.03f, now);
    EXPECT_EQ(text(d.scaleLabel), "0.04") << "trailing zeros dropped";
}

TEST(PerfGraphSamples, AverageOfTheLastSecondRefreshedEveryThirdOfASecondAtMost) {
    GraphRef graph;
    PerfGraphData& d = graph->d();
    const struct {
        double at;
        float value;
        const char* label;
    } steps[] = {{10.0, 1, "avg: 1.0000"},   {10.2, 2, "avg: 1.0000"},   // too soon
                 {10.35, 3, "avg: 2.0000"},  {11.0, 6, "avg: 3.6667"},   // 10.0 is 1 s old
                 {11.2, 59, "avg: 3.6667"},  {11.5, 60, "avg: 41.667"},  // 60, 59, 6
                 {12.45, 59, "avg: 59.500"}, {30.0, 8, "avg: 8.0000"}};  // alone
    for (const auto& s : steps) {
        graph->addValue(s.value, s.at);
        EXPECT_EQ(text(d.averageLabel), s.label) << "at " << s.at;
    }
    d.resizeBuffer(3);  // never more than the ring, however recent
    double now = 30.0;
    for (float v : {1.0f, 2.0f, 3.0f, 4.0f}) {
        now += 0.4;
        graph->addValue(v / 1e3f, now);
    }
    EXPECT_EQ(text(d.averageLabel), "avg: 0.0030000");
}

TEST(PerfGraphSamples, NanIsDroppedInfinityPassesThroughTheRing) {
    const double now = 5;
    GraphRef graph;
    PerfGraphData& d = graph->d();
    graph->addValue(30, now);
    graph->addValue(std::nanf(""), now);
    EXPECT_EQ(d.startIndex, 1);
    EXPECT_EQ(d.values[1], 0.0f);
    EXPECT_EQ(d.maxValue, 30);
    EXPECT_EQ(text(d.averageLabel), "avg: 30.000");

    d.updateLayout(SbViewportRegion(800, 600), true);
    d.resizeBuffer(4);
    graph->addValue(inf, now);
    EXPECT_EQ(text(d.scaleLabel), "inf");
    EXPECT_EQ(barLength(d, d.nextRow - 1), 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(d.scale, inf);
        graph->addValue(20, now);  // the fourth overwrites the infinite sample
    }
    EXPECT_EQ(d.scale, 40);
    EXPECT_EQ(barLength(d, d.nextRow - 1), 64);
}

TEST(PerfGraphSamples, ResizeBufferKeepsTheNewestInArrivalOrder) {
    for (int advance : {0, 1, 70, 147}) {
        GraphRef graph;
        PerfGraphData& d = graph->d();
        for (int i = 1; i <= 148 + advance; ++i) {
            graph->addValue(float(i), i);
        }
        std::vector<float> ordered = ringInOrder(d);
        d.resizeBuffer(200);
        std::vector<float> grown(52, 0.0f);
        grown.insert(grown.end(), ordered.begin(), ordered.end());
        EXPECT_EQ(d.values, grown) << advance;
        EXPECT_EQ(d.times[52], double(ordered[0])) << "times move with their values";
        EXPECT_EQ(d.startIndex, 0);

        d.resizeBuffer(60);
        EXPECT_EQ(d.values, std::vector<float>(ordered.end() - 60, ordered.end())) << advance;
        EXPECT_EQ(d.numValues, 60);
        EXPECT_EQ(d.maxValue, 148 + advance);
    }
}

}  // namespace
