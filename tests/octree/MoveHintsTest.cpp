// The root's table of move hints: hints kept through growth, the order of
// the movers learnt, and the table bounded where owners come and go.
#include <gtest/gtest.h>

#include <vector>

#include "octree/OctTree.h"
#include "octree/internal/MoveHints.h"

namespace {

// Owners a craft's size apart, as the program allocates its craft; the table
// never reads through them.
std::vector<const FlyingObject*> owners(int count, std::vector<char>& storage) {
    const int stride = 240;
    storage.assign(static_cast<std::size_t>(count * stride), 0);
    std::vector<const FlyingObject*> made;
    for (int n = 0; n < count; ++n) {
        made.push_back(reinterpret_cast<const FlyingObject*>(&storage[n * stride]));
    }
    return made;
}

TEST(MoveHints, HintsOutliveGrowthAndTheOrderOfMovesIsLearnt) {
    const SbBox3f region(0, 0, 0, 16, 16, 16);
    OctTree first(region), second(region), third(region);
    OctTree* const nodes[3] = {&first, &second, &third};
    std::vector<char> storage;
    const std::vector<const FlyingObject*> movers = owners(5000, storage);
    MoveHints hints;
    for (std::size_t n = 0; n < movers.size(); ++n) {
        hints.hintFor(movers[n], movers.size()) = nodes[n % 3];
    }
    // A second step in the same order: each asks its own hint back, and the
    // next two movers' hints are known ahead.
    for (std::size_t n = 0; n + 2 < movers.size(); ++n) {
        ASSERT_EQ(hints.hintFor(movers[n], movers.size()), nodes[n % 3]) << n;
        ASSERT_EQ(hints.hintAhead(1), nodes[(n + 1) % 3]) << n;
        ASSERT_EQ(hints.hintAhead(2), nodes[(n + 2) % 3]) << n;
    }
    EXPECT_LT(hints.memoryBytes(), 4 * movers.size() * 24 + 4096);
}

TEST(MoveHints, OwnersThatComeAndGoDoNotGrowTheTable) {
    std::vector<char> storage;
    const std::vector<const FlyingObject*> movers = owners(20000, storage);
    MoveHints hints;
    // Never more than ten live owners at a time, each seen once.
    for (const FlyingObject* owner : movers) {
        hints.hintFor(owner, 10);
        ASSERT_LE(hints.memoryBytes(), 256 * 24u);
    }
    EXPECT_EQ(hints.hintAhead(1), nullptr);
}

}  // namespace
