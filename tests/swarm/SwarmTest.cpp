// Which craft a view shows and how they are drawn, and the batch's arrays.
#include <Inventor/SbBox3f.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "swarm/SwarmBatch.h"
#include "swarm/SwarmView.h"

namespace {

TEST(SwarmView, KeepsWhatReachesIntoTheViewAndSortsItByDistance) {
    // The eye at the origin looking along -z; 0.75 round each craft.
    SbViewVolume view;
    view.perspective(float(M_PI) / 4, 4.0f / 3, 1, 100);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Where the right plane passes at z = -10, and how far out a sphere still
    // reaches in: the plane leans out by atan(0.552).
    const float edge = 10 * 4.0f / 3 * std::tan(float(M_PI) / 8);
    const float lean = std::cos(std::atan(edge / 10));
    const std::vector<SbVec3f> craft = {
        SbVec3f(0, 0, -5),                    // 0: near
        SbVec3f(0, 0, -50),                   // 1: far
        SbVec3f(0, 0, 5),                     // behind the eye
        SbVec3f(0, 0, -0.5f),                 // 3: before the near plane, reaching past it
        SbVec3f(0, 0, -100.5f),               // 4: past the far plane, reaching into it
        SbVec3f(0, 0, -101),                  // past the far plane
        SbVec3f(edge + 0.7f / lean, 0, -10),  // 6: right of the edge, reaching over it
        SbVec3f(edge + 0.8f / lean, 0, -10),  // right of the edge
        SbVec3f(0, 20, -10),                  // above
        SbVec3f(nan, 0, -10),                 // nowhere
    };
    std::vector<int> near, far;
    sortCraftInView(view, craft.data(), int(craft.size()), 0.75f, 10, near, far);
    EXPECT_EQ(near, (std::vector<int>{0, 3}));
    EXPECT_EQ(far, (std::vector<int>{1, 4, 6}));

    // Without a detail distance everything in view goes to the batch.
    sortCraftInView(view, craft.data(), int(craft.size()), 0.75f, 0, near, far);
    EXPECT_TRUE(near.empty());
    EXPECT_EQ(far, (std::vector<int>{0, 1, 3, 4, 6}));
}

TEST(SwarmBatch, EachCraftAtItsPlaceInItsColourWithItsOwnVertices) {
    const SbVec3f at[3] = {SbVec3f(1, 2, 3), SbVec3f(-5, 0, 0), SbVec3f(10, -20, 30)};
    const SbColor colours[2] = {SbColor(0, 1, 0), SbColor(20000, 3000, 100)};
    SwarmBatch batch;
    const int V = SwarmBatch::verticesPerCraft;
    auto check = [&](const std::vector<int>& which) {
        batch.fill(at, colours, 2, which);
        ASSERT_EQ(batch.craftCount(), int(which.size()));
        ASSERT_EQ(batch.vertices.size(), which.size() * V);
        ASSERT_GE(batch.normals.size(), which.size() * V);
        for (size_t k = 0; k < which.size(); ++k) {
            // A saucer 1 across and 0.2 thick under its dome, round its place.
            SbBox3f box;
            for (int j = 0; j < V; ++j) {
                box.extendBy(batch.vertices[k * V + j]);
            }
            const SbVec3f p = at[which[k]];
            EXPECT_EQ(box.getMin()[0], p[0] - 0.5f) << k;
            EXPECT_EQ(box.getMax()[2], p[2] + 0.5f) << k;
            EXPECT_NEAR(box.getMax()[1], p[1] + 0.25f, 1e-5) << k;  // thruster, below
            EXPECT_NEAR(box.getMin()[1], p[1] - 0.25f, 1e-5) << k;  // dome, above
            // The hull (first vertex) in the craft's colour; past the list's end, its last.
            uint8_t expected[4];
            diffuseColourBytes(colours[std::min(which[k], 1)], expected);
            EXPECT_EQ(
                std::vector<uint8_t>(expected, expected + 4),
                std::vector<uint8_t>(&batch.colours[k * V * 4], &batch.colours[k * V * 4 + 4]))
                << k;
        }
        const size_t lit = which.size() * 3 * SwarmBatch::trianglesPerCraft;
        const size_t glow = which.size() * 3 * SwarmBatch::glowTrianglesPerCraft;
        ASSERT_GE(batch.indices.size(), lit);
        ASSERT_GE(batch.glowIndices.size(), glow);
        for (size_t n = 0; n < lit; ++n) {
            EXPECT_EQ(batch.indices[n] / V, n / (3 * SwarmBatch::trianglesPerCraft)) << n;
        }
        for (size_t n = 0; n < glow; ++n) {
            EXPECT_EQ(batch.glowIndices[n] / V, n / (3 * SwarmBatch::glowTrianglesPerCraft)) << n;
        }
    };
    check({2, 0});
    check({1});
    check({0, 1, 2});
    check({});
}

}  // namespace
