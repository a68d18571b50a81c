#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "options/Options.h"
#include "spatialindex/IndexSet.h"
#include "tests/options/ParseArguments.h"

namespace {

TEST(OptionsTest, GoodValuesUpToBothLimits) {
    Parsed none = parse({});
    EXPECT_EQ(none.action, OPTIONS_RUN);
    EXPECT_EQ(none.options.seed, -1) << "without --seed the process id seeds";
    EXPECT_EQ(none.options.craft, 10);
    EXPECT_FALSE(none.options.indexCost);
    EXPECT_FALSE(none.options.frameStats);
    EXPECT_FALSE(none.options.cameraTrace);

    Parsed oldName = parse({"--craft", "3", "--octree-cost"});
    EXPECT_EQ(oldName.action, OPTIONS_RUN) << oldName.message;
    EXPECT_TRUE(oldName.options.indexCost);
    EXPECT_EQ(oldName.options.craft, 3);

    EXPECT_EQ(none.options.index, IndexSet::OCTREE);
    for (const char* name : {"octree", "dbvt", "flat"}) {
        Parsed chosen = parse({"--index", name, "--index-cost"});
        EXPECT_EQ(chosen.action, OPTIONS_RUN) << chosen.message;
        EXPECT_STREQ(IndexSet::nameOf(chosen.options.index), name);
        EXPECT_TRUE(chosen.options.indexCost) << "--index-cost is --octree-cost's new name";
    }

    Parsed diagnostics = parse({"--camera-trace", "--frame-stats"});
    EXPECT_EQ(diagnostics.action, OPTIONS_RUN) << diagnostics.message;
    EXPECT_TRUE(diagnostics.options.frameStats);
    EXPECT_TRUE(diagnostics.options.cameraTrace);
    EXPECT_FALSE(diagnostics.options.indexCost);

    Parsed low = parse({"--seed", "0", "--craft", "0"});
    EXPECT_EQ(low.action, OPTIONS_RUN) << low.message;
    EXPECT_EQ(low.options.seed, 0);
    EXPECT_EQ(low.options.craft, 0);

    Parsed high = parse({"--seed=2147483647", "--craft=10000"});
    EXPECT_EQ(high.action, OPTIONS_RUN) << high.message;
    EXPECT_EQ(high.options.seed, 2147483647);
    EXPECT_EQ(high.options.craft, 10000);
    Parsed most = parse({"--craft", "100000"});
    EXPECT_EQ(most.action, OPTIONS_RUN) << most.message;
    EXPECT_EQ(most.options.craft, 100000);

    Parsed later = parse({"--craft", "500", "--seed", "7", "--seed", "0042"});
    EXPECT_EQ(later.action, OPTIONS_RUN) << later.message;
    EXPECT_EQ(later.options.seed, 42) << "the last of a repeated option counts";
    EXPECT_EQ(later.options.craft, 500);
}

TEST(OptionsTest, HelpWinsWhenItComesFirst) {
    EXPECT_EQ(parse({"--help"}).action, OPTIONS_SHOW_HELP);
    EXPECT_EQ(parse({"-h"}).action, OPTIONS_SHOW_HELP);
    EXPECT_EQ(parse({"-hx"}).action, OPTIONS_SHOW_HELP);
    EXPECT_EQ(parse({"--seed", "3", "-h", "--bogus"}).action, OPTIONS_SHOW_HELP);
    EXPECT_EQ(parse({"--bogus", "--help"}).action, OPTIONS_FAIL);
}

// --version ends the program as --help does, and prints the version CMake
// gives the project (also the Debian package's).
TEST(OptionsTest, VersionEndsLikeHelp) {
    EXPECT_EQ(parse({"--version"}).action, OPTIONS_SHOW_VERSION);
    EXPECT_EQ(parse({"--seed", "3", "--version", "--bogus"}).action, OPTIONS_SHOW_VERSION);
    EXPECT_EQ(parse({"--version", "--help"}).action, OPTIONS_SHOW_VERSION);
    EXPECT_EQ(parse({"--help", "--version"}).action, OPTIONS_SHOW_HELP);
    EXPECT_EQ(parse({"--craft", "x", "--version"}).action, OPTIONS_FAIL);

    const Parsed valued = parse({"--version=2"});
    EXPECT_EQ(valued.action, OPTIONS_FAIL);
    EXPECT_NE(valued.message.find("--version takes no value"), std::string::npos) << valued.message;
    EXPECT_EQ(parse({"-V"}).action, OPTIONS_FAIL) << "--version has no short name";

    EXPECT_STREQ(versionText(), "brennoc " BRENNOC_PROJECT_VERSION "\n");
    EXPECT_NE(std::string(usageText()).find("\n  --version "), std::string::npos)
        << "the usage lists --version";
}

// Each kind of bad command line fails with one line that names what is wrong
// and points at --help.
TEST(OptionsTest, BadCommandLinesFailWithOneLine) {
    struct Case {
        std::initializer_list<const char*> arguments;
        const char* named;  // what the message must quote
    };
    const Case cases[] = {
        // unknown options and stray words
        {{"--bogus"}, "'--bogus'"},
        {{"--bogus=3"}, "'--bogus'"},
        {{"-x"}, "'-x'"},
        {{"--craft", "5", "extra"}, "'extra'"},
        {{"--", "--seed", "1"}, "'--seed'"},
        {{"--help=yes"}, "--help"},
        {{"--octree-cost=yes"}, "--octree-cost"},
        {{"--octree-cost", "1"}, "'1'"},
        {{"--frame-stats=1"}, "--frame-stats"},
        {{"--index", "kdtree"}, "'kdtree'"},
        {{"--index", "Octree"}, "'Octree'"},
        {{"--index"}, "--index"},
        // missing values
        {{"--seed"}, "--seed"},
        {{"--craft=5", "--craft"}, "--craft"},
        // malformed values
        {{"--seed", ""}, "''"},
        {{"--seed", "abc"}, "'abc'"},
        {{"--seed", "12x"}, "'12x'"},
        {{"--craft", "1e3"}, "'1e3'"},
        {{"--craft", "0x10"}, "'0x10'"},
        {{"--craft", " 5"}, "' 5'"},
        {{"--craft", "+5"}, "'+5'"},
        {{"--craft", "-"}, "'-'"},
        {{"--craft", "5.0"}, "'5.0'"},
        // out of range, just past each limit and far beyond
        {{"--seed", "-1"}, "'-1'"},
        {{"--seed", "2147483648"}, "'2147483648'"},
        {{"--seed", "99999999999999999999"}, "'99999999999999999999'"},
        {{"--craft", "-1"}, "'-1'"},
        {{"--craft", "100001"}, "'100001'"},
        {{"--craft=4294967306"}, "'4294967306'"},
    };
    for (const Case& c : cases) {
        const Parsed parsed = parse(c.arguments);
        std::string line;
        for (const char* argument : c.arguments) {
            line += std::string(argument) + " ";
        }
        SCOPED_TRACE("arguments: " + line);
        EXPECT_EQ(parsed.action, OPTIONS_FAIL);
        EXPECT_NE(parsed.message.find(c.named), std::string::npos) << parsed.message;
        EXPECT_NE(parsed.message.find("--help"), std::string::npos) << parsed.message;
        EXPECT_EQ(parsed.message.find('\n'), std::string::npos) << parsed.message;
    }

    // The kinds are told apart, and a range message gives the range.
    EXPECT_NE(parse({"--seed"}).message.find("needs a value"), std::string::npos);
    EXPECT_NE(parse({"--seed", "abc"}).message.find("whole number"), std::string::npos);
    EXPECT_NE(parse({"--craft", "100001"}).message.find("from 0 to 100000"), std::string::npos);
    EXPECT_NE(parse({"--seed", "-1"}).message.find("from 0 to 2147483647"), std::string::npos);
    EXPECT_NE(parse({"--help=yes"}).message.find("takes no value"), std::string::npos);
}

}  // namespace
