#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "replay/RecordingFile.h"
#include "replay/RecordingFormat.h"

using namespace recording;

namespace {

// A recording with a chunk of every kind, and its bytes.
Recording sample() {
    Recording made;
    made.header.seed = 2147483647;
    made.header.craft = 10000;
    made.header.index = 2;
    made.header.dataHash = 0x0123456789abcdefull;
    Chunk key;
    key.kind = KEY;
    key.key = 0xff52;
    key.pressed = true;
    made.chunks.push_back(key);
    key.pressed = false;
    made.chunks.push_back(key);
    for (Kind kind : {FOCUS_LOST, UNMAPPED, SHOWN}) {
        Chunk bare;
        bare.kind = kind;
        made.chunks.push_back(bare);
    }
    Chunk tick;
    tick.kind = TICK;
    tick.interval = 0.1 + 0.2;  // not a short decimal: bits must survive
    made.chunks.push_back(tick);
    Chunk state;
    state.kind = STATE;
    state.state = 0xfedcba9876543210ull;
    made.chunks.push_back(state);
    return made;
}

std::string encode(const Recording& recording) {
    std::string bytes = encodeHeader(recording.header);
    std::uint32_t check = headerCheck(recording.header);
    for (const Chunk& chunk : recording.chunks) {
        appendChunk(chunk, check, bytes);
    }
    return bytes;
}

bool parse(const std::string& bytes, Recording& out, std::string& problem) {
    return parseRecording(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), out,
                          problem);
}

std::string problemOf(const std::string& bytes) {
    Recording out;
    std::string problem;
    EXPECT_FALSE(parse(bytes, out, problem)) << "accepted";
    return problem;
}

// The byte offsets at which the sample's chunks start, and its end.
std::vector<std::size_t> chunkStarts(const std::string& bytes) {
    std::vector<std::size_t> starts;
    for (std::size_t at = headerBytes; at < bytes.size();
         at += 1 + payloadBytes(static_cast<std::uint8_t>(bytes[at])) + checkBytes) {
        starts.push_back(at);
    }
    starts.push_back(bytes.size());
    return starts;
}

std::string tempPath(const char* name) {
    return testing::TempDir() + "/" + name + std::to_string(getpid());
}

}  // namespace

TEST(RecordingFormat, EveryKindOfChunkComesBackBitForBit) {
    const Recording made = sample();
    Recording read;
    std::string problem;
    ASSERT_TRUE(parse(encode(made), read, problem)) << problem;
    EXPECT_EQ(read.header.version, formatVersion);
    EXPECT_EQ(read.header.seed, made.header.seed);
    EXPECT_EQ(read.header.craft, made.header.craft);
    EXPECT_EQ(read.header.index, made.header.index);
    EXPECT_EQ(read.header.dataHash, made.header.dataHash);
    ASSERT_EQ(read.chunks.size(), made.chunks.size());
    for (std::size_t i = 0; i < made.chunks.size(); ++i) {
        EXPECT_EQ(read.chunks[i].kind, made.chunks[i].kind) << i;
        EXPECT_EQ(read.chunks[i].key, made.chunks[i].key) << i;
        EXPECT_EQ(read.chunks[i].pressed, made.chunks[i].pressed) << i;
        EXPECT_EQ(std::memcmp(&read.chunks[i].interval, &made.chunks[i].interval, sizeof(double)),
                  0)
            << i;
        EXPECT_EQ(read.chunks[i].state, made.chunks[i].state) << i;
    }
}

TEST(RecordingFormat, EmptyForeignAndOtherVersionsAreNamed) {
    EXPECT_EQ(problemOf(""), "the recording is empty");
    EXPECT_EQ(problemOf("BRENN"), "not a Brennoc recording");
    EXPECT_EQ(problemOf("P3\n2 2\n255\n0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0"),
              "not a Brennoc recording");
    std::string bytes = encode(sample());
    bytes[8] = 2;
    EXPECT_EQ(problemOf(bytes), "a recording of format version 2; this program reads version 1");
    bytes = encode(sample());
    EXPECT_EQ(problemOf(bytes.substr(0, 10)), "truncated in its header");
    EXPECT_EQ(problemOf(bytes.substr(0, headerBytes - 1)), "truncated in its header");
}

TEST(RecordingFormat, ACutAtAChunksEndIsAShorterRecordingAnyOtherCutIsTruncated) {
    // A run ended by a signal stops between two chunks: its file is whole up
    // to there. A cut inside a chunk is a damaged copy.
    const std::string bytes = encode(sample());
    const std::vector<std::size_t> starts = chunkStarts(bytes);
    for (std::size_t cut = headerBytes; cut < bytes.size(); ++cut) {
        Recording read;
        std::string problem;
        const auto boundary = std::find(starts.begin(), starts.end(), cut);
        if (boundary != starts.end()) {
            ASSERT_TRUE(parse(bytes.substr(0, cut), read, problem)) << cut << ": " << problem;
            EXPECT_EQ(read.chunks.size(), static_cast<std::size_t>(boundary - starts.begin()));
        } else {
            ASSERT_FALSE(parse(bytes.substr(0, cut), read, problem)) << cut;
            EXPECT_EQ(problem.rfind("truncated at byte ", 0), 0u) << cut << ": " << problem;
        }
    }
}

TEST(RecordingFormat, EveryChangedByteIsFoundAndNamesWhereItIs) {
    const std::string good = encode(sample());
    const std::vector<std::size_t> starts = chunkStarts(good);
    for (std::size_t at = 0; at < good.size(); ++at) {
        for (int flip : {0x01, 0x80, 0xff}) {
            std::string bytes = good;
            bytes[at] = static_cast<char>(bytes[at] ^ flip);
            const std::string problem = problemOf(bytes);
            ASSERT_FALSE(problem.empty()) << at;
            if (at >= headerBytes) {
                // The chunk the byte lies in is the one named.
                const std::size_t chunk = *(std::upper_bound(starts.begin(), starts.end(), at) - 1);
                EXPECT_NE(problem.find("at byte " + std::to_string(chunk)), std::string::npos)
                    << at << ": " << problem;
            }
        }
    }
}

TEST(RecordingFormat, MovedOrLostChunksBreakTheChain) {
    const std::string bytes = encode(sample());
    const std::vector<std::size_t> starts = chunkStarts(bytes);
    // The second key event left out: each chunk is still whole on its own.
    const std::string lost = bytes.substr(0, starts[1]) + bytes.substr(starts[2]);
    EXPECT_EQ(problemOf(lost), "damaged at byte " + std::to_string(starts[1]) +
                                   ": the chunk's check does not match");
    // The same recording's chunks after another header.
    Recording other = sample();
    other.header.seed = 7;
    const std::string swapped = encodeHeader(other.header) + bytes.substr(headerBytes);
    EXPECT_EQ(problemOf(swapped), "damaged at byte 36: the chunk's check does not match");
}

TEST(RecordingFormat, ValuesNoRunCanHaveAreDamageEvenWithMatchingChecks) {
    Recording bad = sample();
    bad.header.craft = 10001;
    EXPECT_EQ(problemOf(encode(bad)),
              "damaged: its header gives seed 2147483647, 10001 craft, index 2");
    bad = sample();
    bad.header.index = 3;
    EXPECT_NE(problemOf(encode(bad)).find("index 3"), std::string::npos);
    bad = sample();
    bad.header.seed = -1;
    EXPECT_NE(problemOf(encode(bad)).find("seed -1"), std::string::npos);

    for (double interval : {0.0, -0.02, 1.0 / 0.0, 0.0 / 0.0}) {
        bad = sample();
        bad.chunks[5].interval = interval;
        EXPECT_NE(problemOf(encode(bad)).find("a tick's interval is not a positive time"),
                  std::string::npos)
            << interval;
    }
    // A state hash belongs to the tick before it.
    bad = sample();
    std::swap(bad.chunks[5], bad.chunks[6]);
    EXPECT_NE(problemOf(encode(bad)).find("a state hash with no tick before it"),
              std::string::npos);
    bad = sample();
    bad.chunks.push_back(bad.chunks.back());
    EXPECT_NE(problemOf(encode(bad)).find("a state hash with no tick before it"),
              std::string::npos);
}

TEST(RecordingFormat, WhatTheReaderHoldsIsBackedByTheBytesItWasGiven) {
    // No count is read from the file: a million ticks take a million chunks'
    // bytes. The smallest chunk is five bytes.
    Recording made = sample();
    made.chunks.assign(1000, made.chunks[2]);
    Recording read;
    std::string problem;
    const std::string bytes = encode(made);
    ASSERT_TRUE(parse(bytes, read, problem));
    EXPECT_EQ(read.chunks.size(), 1000u);
    EXPECT_LE(read.chunks.size() * 5, bytes.size());
}

TEST(RecordingFile, MissingUnreadableAndSpecialFilesAreNamedWithoutWaiting) {
    Recording read;
    std::string problem;
    EXPECT_FALSE(readRecordingFile("/nonexistent/run.rec", read, problem));
    EXPECT_EQ(problem, "brennoc: /nonexistent/run.rec: cannot be read: No such file or directory");
    EXPECT_FALSE(readRecordingFile("/", read, problem));
    EXPECT_EQ(problem, "brennoc: /: is not a regular file");
    // A FIFO with no writer would block a plain open for ever.
    const std::string fifo = tempPath("recording-fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(readRecordingFile(fifo, read, problem));
    EXPECT_EQ(problem, "brennoc: " + fifo + ": is not a regular file");
    unlink(fifo.c_str());

    const std::string damaged = tempPath("recording-damaged");
    std::string bytes = encode(sample());
    bytes.back() = static_cast<char>(bytes.back() ^ 1);
    std::ofstream(damaged, std::ios::binary) << bytes;
    EXPECT_FALSE(readRecordingFile(damaged, read, problem));
    EXPECT_EQ(problem.rfind("brennoc: " + damaged + ": damaged at byte ", 0), 0u) << problem;
    unlink(damaged.c_str());
}

TEST(RecordingFile, WhatTheWriterWritesIsReadBack) {
    const std::string path = tempPath("recording-written");
    const Recording made = sample();
    {
        RecordingWriter writer;
        std::string problem;
        ASSERT_TRUE(writer.open(path, problem)) << problem;
        writer.start(made.header);
        for (const Chunk& chunk : made.chunks) {
            writer.add(chunk);
        }
        writer.flush();
        EXPECT_FALSE(writer.failed());
    }
    Recording read;
    std::string problem;
    ASSERT_TRUE(readRecordingFile(path, read, problem)) << problem;
    EXPECT_EQ(read.chunks.size(), made.chunks.size());
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, encode(made));
    unlink(path.c_str());
}

TEST(RecordingFile, AWriterSaysOnceWhenItsDiskIsFullAndStopsWriting) {
    RecordingWriter writer;
    std::string problem;
    EXPECT_FALSE(writer.open("/nonexistent/run.rec", problem));
    EXPECT_EQ(problem,
              "brennoc: /nonexistent/run.rec: cannot be written: No such file or directory");

    RecordingWriter full;
    ASSERT_TRUE(full.open("/dev/full", problem)) << problem;
    testing::internal::CaptureStderr();
    full.start(sample().header);
    for (int pass = 0; pass < 3; ++pass) {
        full.add(sample().chunks[5]);
        full.flush();
    }
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(full.failed());
    EXPECT_EQ(said,
              "brennoc: /dev/full: the recording could not be written: No space left on device; "
              "the run goes on without it\n");
}

TEST(RecordingFile, TheDataHashFollowsTheDescriptionFiles) {
    // Run in a folder of its own with a copy of one description file changed.
    char folder[] = "/tmp/brennoc-datahash-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(folder), 0);
    const std::uint64_t none = dataFilesHash();
    mkdir("Building", 0700);
    for (int n = 1; n <= 4; ++n) {
        std::ofstream("Building/dum" + std::to_string(n) + ".txt") << "line " << n << "\n";
    }
    const std::uint64_t four = dataFilesHash();
    EXPECT_EQ(dataFilesHash(), four);
    std::ofstream("Building/dum3.txt") << "line 3 \n";
    const std::uint64_t changed = dataFilesHash();
    std::ofstream("Building/dum3.txt");
    const std::uint64_t emptied = dataFilesHash();
    unlink("Building/dum3.txt");
    const std::uint64_t missing = dataFilesHash();
    for (int n = 1; n <= 4; ++n) {
        unlink(("Building/dum" + std::to_string(n) + ".txt").c_str());
    }
    rmdir("Building");
    ASSERT_EQ(chdir(previous), 0);
    rmdir(folder);
    EXPECT_NE(four, none);
    EXPECT_NE(changed, four);
    EXPECT_NE(emptied, changed);
    EXPECT_NE(missing, emptied);
}
