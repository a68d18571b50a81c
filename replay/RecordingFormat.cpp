#include "replay/RecordingFormat.h"

#include <cmath>
#include <cstring>

namespace recording {

namespace {

void putBytes(std::string& out, std::uint64_t value, int count) {
    for (int i = 0; i < count; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
    }
}

std::uint64_t getBytes(const unsigned char* at, int count) {
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i) {
        value |= std::uint64_t(at[i]) << (8 * i);
    }
    return value;
}

std::uint64_t doubleBits(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

double bitsDouble(std::uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string atByte(std::size_t at) {
    return " at byte " + std::to_string(at);
}

// The chunk's payload, kind first: what its check covers after the chain.
std::string chunkBody(const Chunk& chunk) {
    std::string body(1, static_cast<char>(chunk.kind));
    switch (chunk.kind) {
        case KEY:
            putBytes(body, chunk.key, 4);
            putBytes(body, chunk.pressed ? 1 : 0, 1);
            break;
        case TICK:
            putBytes(body, doubleBits(chunk.interval), 8);
            break;
        case STATE:
            putBytes(body, chunk.state, 8);
            break;
        case FOCUS_LOST:
        case UNMAPPED:
        case SHOWN:
            break;
    }
    return body;
}

std::uint32_t chainedCheck(std::uint32_t previous, const unsigned char* body, std::size_t size) {
    unsigned char chain[4];
    for (int i = 0; i < 4; ++i) {
        chain[i] = static_cast<unsigned char>((previous >> (8 * i)) & 0xff);
    }
    return fnv32(body, size, fnv32(chain, sizeof chain));
}

bool readHeader(const unsigned char* data, std::size_t size, Header& header, std::string& problem) {
    const std::size_t magicBytes = sizeof magic - 1;
    if (size == 0) {
        problem = "the recording is empty";
        return false;
    }
    if (size < magicBytes || std::memcmp(data, magic, magicBytes) != 0) {
        problem = "not a Brennoc recording";
        return false;
    }
    if (size < magicBytes + 4) {
        problem = "truncated in its header";
        return false;
    }
    header.version = static_cast<std::uint32_t>(getBytes(data + 8, 4));
    if (header.version != formatVersion) {
        problem = "a recording of format version " + std::to_string(header.version) +
                  "; this program reads version " + std::to_string(formatVersion);
        return false;
    }
    if (size < headerBytes) {
        problem = "truncated in its header";
        return false;
    }
    if (getBytes(data + 32, 4) != fnv32(data, 32)) {
        problem = "damaged: its header's check does not match";
        return false;
    }
    header.seed = static_cast<std::int32_t>(getBytes(data + 12, 4));
    header.craft = static_cast<std::int32_t>(getBytes(data + 16, 4));
    header.index = static_cast<std::int32_t>(getBytes(data + 20, 4));
    header.dataHash = getBytes(data + 24, 8);
    if (header.seed < 0 || header.craft < 0 || header.craft > maxCraft || header.index < 0 ||
        header.index >= indexCount) {
        problem = "damaged: its header gives seed " + std::to_string(header.seed) + ", " +
                  std::to_string(header.craft) + " craft, index " + std::to_string(header.index);
        return false;
    }
    return true;
}

// The payload's values, once its check has matched.
bool readPayload(const unsigned char* payload, Chunk& chunk, std::string& problem) {
    switch (chunk.kind) {
        case KEY:
            chunk.key = static_cast<std::uint32_t>(getBytes(payload, 4));
            if (payload[4] > 1) {
                problem = "damaged: a key event neither pressed nor released";
                return false;
            }
            chunk.pressed = payload[4] == 1;
            return true;
        case TICK:
            chunk.interval = bitsDouble(getBytes(payload, 8));
            if (!(chunk.interval > 0) || !std::isfinite(chunk.interval)) {
                problem = "damaged: a tick's interval is not a positive time";
                return false;
            }
            return true;
        case STATE:
            chunk.state = getBytes(payload, 8);
            return true;
        case FOCUS_LOST:
        case UNMAPPED:
        case SHOWN:
            return true;
    }
    return false;
}

}  // namespace

int payloadBytes(std::uint8_t kind) {
    switch (kind) {
        case KEY:
            return 5;
        case TICK:
        case STATE:
            return 8;
        case FOCUS_LOST:
        case UNMAPPED:
        case SHOWN:
            return 0;
        default:
            return -1;
    }
}

std::uint64_t fnv64(const void* bytes, std::size_t size, std::uint64_t hash) {
    const unsigned char* at = static_cast<const unsigned char*>(bytes);
    for (std::size_t i = 0; i < size; ++i) {
        hash = (hash ^ at[i]) * 0x100000001b3ull;
    }
    return hash;
}

std::uint32_t fnv32(const void* bytes, std::size_t size, std::uint32_t hash) {
    const unsigned char* at = static_cast<const unsigned char*>(bytes);
    for (std::size_t i = 0; i < size; ++i) {
        hash = (hash ^ at[i]) * 0x01000193u;
    }
    return hash;
}

std::string encodeHeader(const Header& header) {
    std::string out(magic, sizeof magic - 1);
    putBytes(out, header.version, 4);
    putBytes(out, static_cast<std::uint32_t>(header.seed), 4);
    putBytes(out, static_cast<std::uint32_t>(header.craft), 4);
    putBytes(out, static_cast<std::uint32_t>(header.index), 4);
    putBytes(out, header.dataHash, 8);
    putBytes(out, fnv32(out.data(), out.size()), 4);
    return out;
}

std::uint32_t headerCheck(const Header& header) {
    const std::string bytes = encodeHeader(header);
    return static_cast<std::uint32_t>(
        getBytes(reinterpret_cast<const unsigned char*>(bytes.data()) + 32, 4));
}

void appendChunk(const Chunk& chunk, std::uint32_t& check, std::string& out) {
    const std::string body = chunkBody(chunk);
    check = chainedCheck(check, reinterpret_cast<const unsigned char*>(body.data()), body.size());
    out += body;
    putBytes(out, check, 4);
}

bool parseRecording(const unsigned char* data, std::size_t size, Recording& out,
                    std::string& problem) {
    out = Recording();
    if (!readHeader(data, size, out.header, problem)) {
        return false;
    }
    std::uint32_t check = static_cast<std::uint32_t>(getBytes(data + 32, 4));
    bool tickBefore = false;  // the chunk before was a tick
    std::size_t at = headerBytes;
    while (at < size) {
        Chunk chunk;
        const int payload = payloadBytes(data[at]);
        if (payload < 0) {
            problem = "damaged" + atByte(at) + ": no chunk is of kind " + std::to_string(data[at]);
            return false;
        }
        const std::size_t bodyBytes = 1 + static_cast<std::size_t>(payload);
        if (size - at < bodyBytes + checkBytes) {
            problem = "truncated" + atByte(at) + ": its last chunk is cut off";
            return false;
        }
        const std::uint32_t expected = chainedCheck(check, data + at, bodyBytes);
        if (getBytes(data + at + bodyBytes, 4) != expected) {
            problem = "damaged" + atByte(at) + ": the chunk's check does not match";
            return false;
        }
        check = expected;
        chunk.kind = static_cast<Kind>(data[at]);
        if (!readPayload(data + at + 1, chunk, problem)) {
            problem += atByte(at);
            return false;
        }
        if (chunk.kind == STATE && !tickBefore) {
            problem = "damaged" + atByte(at) + ": a state hash with no tick before it";
            return false;
        }
        tickBefore = chunk.kind == TICK;
        out.chunks.push_back(chunk);
        at += bodyBytes + checkBytes;
    }
    return true;
}

}  // namespace recording
