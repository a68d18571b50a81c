#include <gtest/gtest.h>
#include <stdlib.h>

#include <clocale>
#include <cstdio>
#include <string>

#include "inspector/MoveLine.h"

namespace {

// What printMoveLine writes, through a stream in memory.
std::string printed(const MoveLine& line) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* stream = open_memstream(&text, &size);
    printMoveLine(stream, line);
    std::fclose(stream);
    std::string result(text, size);
    std::free(text);
    return result;
}

// The process under a Czech locale, with its decimal comma, for one test; the
// locale is the test's own (tests/inspector/CMakeLists.txt makes it).
class CzechNumbers : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("LOCPATH", BRENNOC_TEST_LOCALES, 1);
        ASSERT_NE(std::setlocale(LC_ALL, "cs_CZ.UTF-8"), nullptr)
            << "no cs_CZ.UTF-8 locale under " << BRENNOC_TEST_LOCALES;
        char sample[16];
        std::snprintf(sample, sizeof sample, "%.2f", 0.5);
        ASSERT_STREQ(sample, "0,50") << "the locale gives no decimal comma";
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(CzechNumbers, TheMachineLineKeepsADecimalPoint) {
    MoveLine line;
    line.craft = 3;
    line.index = "octree";
    line.visited = 5;
    line.tested = 4;
    line.microseconds = 0.8249;
    EXPECT_EQ(printed(line),
              "move craft 3 index octree visited 5 tested 4 refused no by none us 0.82\n");

    line.craft = -1;
    line.index = "flat";
    line.visited = 1203;
    line.tested = 812;
    line.refused = true;
    line.by.kind = REFUSER_CRAFT;
    line.by.craft = 7;
    line.microseconds = 12.345;
    EXPECT_EQ(printed(line),
              "move camera index flat visited 1203 tested 812 refused yes by craft 7 us 12.35\n");
}

TEST_F(CzechNumbers, EachRefuserHasItsWord) {
    MoveLine line;
    line.craft = 0;
    line.index = "dbvt";
    line.refused = true;
    const std::pair<RefuserKind, const char*> kinds[] = {
        {REFUSER_CAMERA, "camera"}, {REFUSER_BUILDING, "building"}, {REFUSER_STREET, "street"},
        {REFUSER_GROUND, "ground"}, {REFUSER_EDGE, "edge"},         {REFUSER_OTHER, "other"}};
    for (const auto& kind : kinds) {
        line.by.kind = kind.first;
        EXPECT_EQ(printed(line), std::string("move craft 0 index dbvt visited 0 tested 0 refused "
                                             "yes by ") +
                                     kind.second + " us 0.00\n");
    }
}

}  // namespace
