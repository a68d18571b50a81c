#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A recording of one run: what its outcome depends on. A header (the format's
// version, the seed, the craft count, the starting index and a hash of the
// city's description files), then one chunk per thing that happened, in the
// order it happened: the key events, focus losses and unmaps delivered before
// each pass of the main loop, the interval the pass's tick measured, and after
// every physics step a hash of the state. All numbers are little-endian.
//
// Header, 36 bytes: "BRENNOCR", version u32, seed i32, craft i32, index i32,
// data hash u64, check u32 (FNV-1a 32 of the 32 bytes before it).
// Chunk: kind u8, its payload, check u32: FNV-1a 32 of the previous chunk's
// check (the header's for the first), the kind and the payload, so that a
// chunk changed, lost or moved is found where it happened.

namespace recording {

const char magic[] = "BRENNOCR";  // 8 bytes, without the terminating zero
const std::uint32_t formatVersion = 1;
const std::size_t headerBytes = 36;
const std::size_t checkBytes = 4;

// The kinds of chunk, with the size of their payloads.
enum Kind : std::uint8_t {
    KEY = 'K',         // key code u32, pressed u8 (1 a press, 0 a release)
    FOCUS_LOST = 'F',  // the window lost the keyboard focus; no payload
    UNMAPPED = 'U',    // the window was unmapped; no payload
    SHOWN = 'V',       // the window was shown again; no payload
    TICK = 'T',        // the interval a tick measured and stepped with: f64 seconds
    STATE = 'S',       // the state hash after the physics step of the tick before: u64
};

// Payload size of a kind, or -1 for a byte that is no kind.
int payloadBytes(std::uint8_t kind);

struct Header {
    std::uint32_t version = formatVersion;
    std::int32_t seed = 0;
    std::int32_t craft = 0;
    std::int32_t index = 0;
    std::uint64_t dataHash = 0;
};

struct Chunk {
    Kind kind = TICK;
    std::uint32_t key = 0;    // KEY
    bool pressed = false;     // KEY
    double interval = 0;      // TICK, in seconds
    std::uint64_t state = 0;  // STATE
};

struct Recording {
    Header header;
    std::vector<Chunk> chunks;
};

// What a header may hold: a seed from 0 to 2147483647, 0 to 10000 craft and
// one of the three indexes.
const std::int32_t maxCraft = 10000;
const std::int32_t indexCount = 3;

// The header's 36 bytes.
std::string encodeHeader(const Header& header);
// Appends the chunk's bytes to out, chained on check (the header's or the
// previous chunk's), which it then sets to this chunk's.
void appendChunk(const Chunk& chunk, std::uint32_t& check, std::string& out);
// The check a header's bytes end with, the first chunk's chain start.
std::uint32_t headerCheck(const Header& header);

// Reads a whole recording from its bytes. On a fault returns false with what
// is wrong in problem (no file name, no line feed): empty, not a recording,
// another version, truncated, damaged, with the byte it was found at. Nothing
// it allocates is larger than the bytes it is given can back.
bool parseRecording(const unsigned char* data, std::size_t size, Recording& out,
                    std::string& problem);

// FNV-1a, 64 and 32 bits, over bytes, continuing from hash.
const std::uint64_t fnv64Start = 0xcbf29ce484222325ull;
const std::uint32_t fnv32Start = 0x811c9dc5u;
std::uint64_t fnv64(const void* bytes, std::size_t size, std::uint64_t hash = fnv64Start);
std::uint32_t fnv32(const void* bytes, std::size_t size, std::uint32_t hash = fnv32Start);

}  // namespace recording
