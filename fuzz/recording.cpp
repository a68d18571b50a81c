// libFuzzer target: the recording reader on arbitrary bytes. What it accepts
// must encode back to the very bytes it was given; what it refuses must be
// said in one line.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "replay/RecordingFormat.h"

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    recording::Recording read;
    std::string problem;
    if (!recording::parseRecording(data, size, read, problem)) {
        require(!problem.empty() && problem.find('\n') == std::string::npos);
        return 0;
    }
    // Every chunk takes at least five bytes of the input.
    require(read.chunks.size() * 5 <= size);
    std::string bytes = recording::encodeHeader(read.header);
    std::uint32_t check = recording::headerCheck(read.header);
    for (const recording::Chunk& chunk : read.chunks) {
        recording::appendChunk(chunk, check, bytes);
    }
    require(bytes == std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
