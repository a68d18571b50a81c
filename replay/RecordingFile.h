#pragma once

#include <cstdint>
#include <string>

#include "replay/RecordingFormat.h"

// Reads the recording at path. On a fault returns false with one line in
// problem (no line feed) naming the file and what is wrong: it cannot be read,
// is no regular file, is too large, or what parseRecording found.
bool readRecordingFile(const std::string& path, recording::Recording& out, std::string& problem);

// The largest recording read: some hours of a run.
const long long maxRecordingBytes = 1LL << 30;

// A hash of the city's description files as the working folder holds them
// (Building/dum1.txt to dum4.txt: their names and contents, a missing one
// counted as missing), which a recording's header keeps.
std::uint64_t dataFilesHash();

// Writes a recording as the run goes: the header at start, then chunks that
// wait in memory until flush writes them in one call, once per pass of the
// main loop, so that a run ended by Escape, by its window's closing or by a
// signal leaves every pass written up to its last. The first write that fails
// says so in one line on standard error; nothing more is written after it.
class RecordingWriter {
public:
    RecordingWriter() = default;
    ~RecordingWriter();
    RecordingWriter(const RecordingWriter&) = delete;
    RecordingWriter& operator=(const RecordingWriter&) = delete;

    // Creates or empties the file; false with one line in problem when it
    // cannot (its folder is missing or not writable).
    bool open(const std::string& path, std::string& problem);
    // Writes the header at once.
    void start(const recording::Header& header);
    void add(const recording::Chunk& chunk);
    void flush();
    // Whether a write has failed: the run should end with code 1.
    bool failed() const { return writeFailed; }

private:
    void writeAll(const std::string& bytes);

    int fd = -1;
    std::string path;
    std::string pending;
    std::uint32_t check = 0;
    bool writeFailed = false;
};
