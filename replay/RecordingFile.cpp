#include "replay/RecordingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

const char* const descriptionFiles[] = {"Building/dum1.txt", "Building/dum2.txt",
                                        "Building/dum3.txt", "Building/dum4.txt"};

std::string named(const std::string& path, const std::string& what) {
    return "brennoc: " + path + ": " + what;
}

// Reads fd to its end into out, at most limit bytes; false on a read error.
bool readAll(int fd, std::string& out, std::size_t limit) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return false;
        }
        if (got == 0 || out.size() + static_cast<std::size_t>(got) > limit) {
            out.append(buffer, got > 0 ? static_cast<std::size_t>(got) : 0);
            return true;
        }
        out.append(buffer, static_cast<std::size_t>(got));
    }
}

}  // namespace

bool readRecordingFile(const std::string& path, recording::Recording& out, std::string& problem) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        problem = named(path, std::string("cannot be read: ") + std::strerror(errno));
        return false;
    }
    struct stat about;
    std::string bytes;
    bool read = false;
    if (fstat(fd, &about) != 0 || !S_ISREG(about.st_mode)) {
        problem = named(path, "is not a regular file");
    } else if (about.st_size > maxRecordingBytes) {
        problem = named(path, "is too large for a recording");
    } else if (!readAll(fd, bytes, static_cast<std::size_t>(maxRecordingBytes))) {
        problem = named(path, std::string("cannot be read: ") + std::strerror(errno));
    } else if (bytes.size() > static_cast<std::size_t>(maxRecordingBytes)) {
        problem = named(path, "is too large for a recording");
    } else {
        read = true;
    }
    ::close(fd);
    if (!read) {
        return false;
    }
    std::string what;
    if (!recording::parseRecording(reinterpret_cast<const unsigned char*>(bytes.data()),
                                   bytes.size(), out, what)) {
        problem = named(path, what);
        return false;
    }
    return true;
}

std::uint64_t dataFilesHash() {
    std::uint64_t hash = recording::fnv64Start;
    for (const char* name : descriptionFiles) {
        hash = recording::fnv64(name, std::strlen(name) + 1, hash);
        std::string text;
        const int fd = ::open(name, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        struct stat about;
        const bool readable = fd >= 0 && fstat(fd, &about) == 0 && S_ISREG(about.st_mode) &&
                              readAll(fd, text, 1 << 20);
        if (fd >= 0) {
            ::close(fd);
        }
        const unsigned char state = readable ? 1 : 0;
        hash = recording::fnv64(&state, 1, hash);
        hash = recording::fnv64(text.data(), text.size(), hash);
    }
    return hash;
}

RecordingWriter::~RecordingWriter() {
    if (fd >= 0) {
        ::close(fd);
    }
}

bool RecordingWriter::open(const std::string& name, std::string& problem) {
    path = name;
    fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        problem = named(name, std::string("cannot be written: ") + std::strerror(errno));
        return false;
    }
    return true;
}

void RecordingWriter::start(const recording::Header& header) {
    check = recording::headerCheck(header);
    writeAll(recording::encodeHeader(header));
}

void RecordingWriter::add(const recording::Chunk& chunk) {
    recording::appendChunk(chunk, check, pending);
}

void RecordingWriter::flush() {
    if (!pending.empty()) {
        writeAll(pending);
        pending.clear();
    }
}

void RecordingWriter::writeAll(const std::string& bytes) {
    if (writeFailed || fd < 0) {
        return;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            writeFailed = true;
            std::fprintf(stderr, "%s\n",
                         named(path, std::string("the recording could not be written: ") +
                                         std::strerror(wrote < 0 ? errno : ENOSPC) +
                                         "; the run goes on without it")
                             .c_str());
            return;
        }
        done += static_cast<std::size_t>(wrote);
    }
}
