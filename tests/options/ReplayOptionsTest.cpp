#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "options/Options.h"
#include "tests/options/ParseArguments.h"

TEST(ReplayOptions, RecordAndReplayWithWhatGoesWithThem) {
    const Parsed none = parse({});
    EXPECT_TRUE(none.options.recordFile.empty());
    EXPECT_TRUE(none.options.replayFile.empty());
    EXPECT_FALSE(none.options.noWindow || none.options.replayRealSpeed || none.options.indexGiven);

    const Parsed record = parse({"--seed", "7", "--craft", "3", "--record", "run.rec"});
    EXPECT_EQ(record.action, OPTIONS_RUN) << record.message;
    EXPECT_EQ(record.options.recordFile, "run.rec");

    const Parsed replay =
        parse({"--replay=run.rec", "--no-window", "--index", "flat", "--replay-speed", "real"});
    EXPECT_EQ(replay.action, OPTIONS_RUN) << replay.message;
    EXPECT_EQ(replay.options.replayFile, "run.rec");
    EXPECT_TRUE(replay.options.noWindow);
    EXPECT_TRUE(replay.options.replayRealSpeed);
    EXPECT_TRUE(replay.options.indexGiven);
    EXPECT_EQ(replay.options.index, 2);
    EXPECT_FALSE(parse({"--replay", "a", "--replay-speed", "fast"}).options.replayRealSpeed);
}

TEST(ReplayOptions, CombinationsThatMakeNoRunAreOneLine) {
    const struct {
        std::initializer_list<const char*> arguments;
        const char* says;
    } cases[] = {
        {{"--record", "a.rec", "--replay", "b.rec"},
         "--record and --replay cannot be used together"},
        {{"--no-window"}, "--no-window needs --replay"},
        {{"--record", "a.rec", "--no-window"}, "--no-window needs --replay"},
        {{"--replay-speed", "real"}, "--replay-speed needs --replay"},
        {{"--replay", "a.rec", "--replay-speed", "slow"},
         "--replay-speed takes real or fast, not 'slow'"},
        {{"--replay", "a.rec", "--seed", "3"},
         "--seed and --craft come from the recording with --replay"},
        {{"--craft", "3", "--replay", "a.rec"},
         "--seed and --craft come from the recording with --replay"},
        {{"--record", ""}, "--record needs a file name"},
        {{"--replay="}, "--replay needs a file name"},
        {{"--replay"}, "--replay needs a value"},
    };
    for (const auto& one : cases) {
        const Parsed parsed = parse(one.arguments);
        EXPECT_EQ(parsed.action, OPTIONS_FAIL) << one.says;
        EXPECT_EQ(parsed.message, std::string("brennoc: ") + one.says + "; see 'brennoc --help'");
    }
}
