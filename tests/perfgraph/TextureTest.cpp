// Feeds a graph in a real window on a private X server for thousands of
// frames and checks that it keeps one texture object and a flat heap.
#include <Inventor/nodes/SoSeparator.h>
#include <gtest/gtest.h>
#include <malloc.h>

#include "perfgraph/SoPerfGraph.h"
#include "perfgraph/internal/GraphTexture.h"
#include "tests/perfgraph/PerfGraphProbe.h"
#include "tests/support/RenderWindow.h"
#include "tests/support/TextureCensus.h"

namespace {

const bool xServer = (usePrivateXServer(), true);

float sample(int i) {
    return 10.0f * (i % 5 + 1);
}

#if defined(__SANITIZE_ADDRESS__)
const bool heapCounted = false;  // the sanitizer's allocator keeps freed blocks in quarantine
#else
const bool heapCounted = true;
#endif

size_t heapInUse() {
    return mallinfo2().uordblks;
}

// A sample per frame, as the program feeds its graphs, for thousands of
// frames: the graph keeps one texture object and the heap stays flat. In the
// running program a new texture object per changed image left about 200 bytes
// in the GL driver each frame; this window alone does not show that growth,
// so the GL context's own count of new texture objects is the check (a plain
// SoTexture2 makes one every frame) and the heap bound a guard.
TEST(PerfGraphTexture, ThousandsOfSamplesReuseOneTextureAndKeepTheHeapFlat) {
    ASSERT_NE(testMainWindow(), nullptr);
    SoPerfGraph::initClass();
    SoSeparator* root = new SoSeparator;
    root->ref();
    SoPerfGraph* graph = new SoPerfGraph;
    root->addChild(graph);
    CapturingArea* area = showScene(root);
    ASSERT_NE(area, nullptr);
    auto feed = [&](int from, int count) {
        for (int i = from; i < from + count; ++i) {
            graph->addValue(sample(i));
            if (!area->nextFrame()) {
                return false;
            }
        }
        return true;
    };
    // Warm-up: the scale, the labels' glyphs and the driver's buffers settle.
    ASSERT_TRUE(feed(0, 300));
    TextureCensus census;
    int looks = 0, atFirstLook = 0, made = 0;
    area->afterFrame = [&] { (looks++ == 0 ? atFirstLook : made) += census.markNew(); };
    const size_t before = heapInUse();
    ASSERT_TRUE(feed(300, 2000));
    const size_t after = heapInUse();
    area->afterFrame = nullptr;

    EXPECT_EQ(atFirstLook, 1) << "the graph's texture object, the only one in the context";
    EXPECT_EQ(made, 0) << "texture objects made in the GL context over 2,000 samples";

    if (heapCounted) {
        // 2,000 leaked texture objects would be some 400 kB.
        EXPECT_LT(after, before + 64 * 1024) << "heap grew from " << before << " to " << after;
    }
    SoTexture2* texture = PerfGraphProbe::data(*graph).graphTexture;
    ASSERT_TRUE(texture->isOfType(GraphTexture::getClassTypeId()));
    EXPECT_EQ(static_cast<GraphTexture*>(texture)->texturesMade(), 1)
        << "one texture object for one image size in one context";
    delete area;
    root->unref();
}

}  // namespace
