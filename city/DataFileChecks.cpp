// Safety checks on data files before Coin reads them: the kind of file, its
// size, an image's size from its header, a model's nesting.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "city/DataFiles.h"
#include "city/internal/DataFilesInternal.h"

namespace {

// Opens a regular file for reading without blocking on a FIFO; -1 with the
// reason otherwise.
int openRegular(const std::string& path, std::string& fault) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        fault = std::strerror(errno);
        return -1;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        fault = "not a regular file";
        close(fd);
        return -1;
    }
    if (info.st_size > maxDataFileBytes) {
        fault = std::to_string(info.st_size) + " bytes, over the limit of " +
                std::to_string(maxDataFileBytes);
        close(fd);
        return -1;
    }
    return fd;
}

bool readAt(int fd, long long offset, unsigned char* buffer, size_t length) {
    return pread(fd, buffer, length, offset) == static_cast<ssize_t>(length);
}

unsigned bigEndian(const unsigned char* p, int bytes) {
    unsigned value = 0;
    for (int i = 0; i < bytes; ++i) {
        value = value << 8 | p[i];
    }
    return value;
}

unsigned littleEndian(const unsigned char* p, int bytes) {
    unsigned value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = value << 8 | p[i];
    }
    return value;
}

// The frame size of the first SOFn segment.
bool jpegSize(int fd, long long& width, long long& height) {
    long long offset = 2;
    unsigned char segment[9];
    for (int guard = 0; guard < 100000; ++guard) {
        if (!readAt(fd, offset, segment, 4)) {
            return false;
        }
        if (segment[0] != 0xFF) {
            return false;
        }
        const unsigned marker = segment[1];
        if (marker == 0xFF) {  // fill byte
            ++offset;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            offset += 2;
            continue;
        }
        const unsigned length = bigEndian(segment + 2, 2);
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (!readAt(fd, offset, segment, 9)) {
                return false;
            }
            height = bigEndian(segment + 5, 2);
            width = bigEndian(segment + 7, 2);
            return true;
        }
        if (length < 2 || marker == 0xD9) {
            return false;
        }
        offset += 2 + length;
    }
    return false;
}

// ImageWidth and ImageLength of the first directory.
bool tiffSize(int fd, bool little, long long& width, long long& height) {
    auto number = [little](const unsigned char* p, int bytes) {
        return little ? littleEndian(p, bytes) : bigEndian(p, bytes);
    };
    unsigned char header[8], entry[12];
    if (!readAt(fd, 0, header, 8)) {
        return false;
    }
    const long long directory = number(header + 4, 4);
    if (!readAt(fd, directory, header, 2)) {
        return false;
    }
    const unsigned count = number(header, 2);
    width = height = -1;
    for (unsigned i = 0; i < count; ++i) {
        if (!readAt(fd, directory + 2 + 12LL * i, entry, 12)) {
            return false;
        }
        const unsigned tag = number(entry, 2), type = number(entry + 2, 2);
        const long long value = type == 3 ? number(entry + 8, 2) : number(entry + 8, 4);
        if (tag == 256) {
            width = value;
        } else if (tag == 257) {
            height = value;
        }
    }
    return width >= 0 && height >= 0;
}

}  // namespace

namespace datafiles {

// Regular files and folders are safe to open: a folder reads as an error at
// once. A FIFO or a device may block the reader or never end.
bool openableWithoutBlocking(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode) || S_ISDIR(info.st_mode);
}

std::string imageFault(const std::string& path) {
    std::string fault;
    const int fd = openRegular(path, fault);
    if (fd < 0) {
        return fault;
    }
    long long width = 0, height = 0;
    const bool known = imageFileSize(fd, width, height);
    close(fd);
    if (!known) {
        return "not an image of a known format (JPEG, PNG, GIF, BMP, TIFF or SGI)";
    }
    if (width > maxImageFileSide || height > maxImageFileSide || width * height > maxImagePixels) {
        return std::to_string(width) + " x " + std::to_string(height) +
               " pixels, over the limit of " + std::to_string(maxImagePixels) + " pixels (" +
               std::to_string(maxImageFileSide) + " a side)";
    }
    return std::string();
}

std::string modelFault(const std::string& path) {
    std::string fault;
    const int fd = openRegular(path, fault);
    if (fd < 0) {
        return fault;
    }
    std::string text;
    char buffer[65536];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0) {
        text.append(buffer, got);
    }
    close(fd);
    return modelTextFault(text.data(), text.size());
}

}  // namespace datafiles

bool imageFileSize(int fd, long long& width, long long& height) {
    unsigned char h[26] = {};
    const ssize_t got = pread(fd, h, sizeof h, 0);
    if (got >= 24 && std::memcmp(h, "\x89PNG\r\n\x1a\n", 8) == 0) {
        width = bigEndian(h + 16, 4);
        height = bigEndian(h + 20, 4);
        return true;
    }
    if (got >= 10 && (std::memcmp(h, "GIF87a", 6) == 0 || std::memcmp(h, "GIF89a", 6) == 0)) {
        width = littleEndian(h + 6, 2);
        height = littleEndian(h + 8, 2);
        return true;
    }
    if (got >= 26 && h[0] == 'B' && h[1] == 'M') {
        const bool core = littleEndian(h + 14, 4) == 12;
        width = core ? littleEndian(h + 18, 2) : static_cast<int>(littleEndian(h + 18, 4));
        height = core ? littleEndian(h + 20, 2) : static_cast<int>(littleEndian(h + 22, 4));
        width = width < 0 ? -width : width;
        height = height < 0 ? -height : height;
        return true;
    }
    if (got >= 10 && h[0] == 0x01 && h[1] == 0xDA) {  // SGI
        width = bigEndian(h + 6, 2);
        height = bigEndian(h + 8, 2);
        return true;
    }
    if (got >= 8 && (std::memcmp(h, "II*\0", 4) == 0 || std::memcmp(h, "MM\0*", 4) == 0)) {
        return tiffSize(fd, h[0] == 'I', width, height);
    }
    if (got >= 3 && h[0] == 0xFF && h[1] == 0xD8) {
        return jpegSize(fd, width, height);
    }
    return false;
}

std::string modelTextFault(const char* text, size_t length) {
    static const char* const binaryHeaders[] = {"#Inventor V1.0 binary", "#Inventor V2.0 binary",
                                                "#Inventor V2.1 binary", "\x1f\x8b", "BZh"};
    for (const char* header : binaryHeaders) {
        if (length >= std::strlen(header) && std::memcmp(text, header, std::strlen(header)) == 0) {
            return "a binary or compressed model, whose nesting cannot be checked";
        }
    }
    // Coin reads nested nodes and fields recursively; too deep a file ends
    // the process when the stack runs out.
    int depth = 0;
    bool comment = false, quoted = false;
    for (size_t i = 0; i < length; ++i) {
        const char c = text[i];
        if (comment) {
            comment = c != '\n' && c != '\r';
        } else if (quoted) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                quoted = false;
            }
        } else if (c == '#') {
            comment = true;
        } else if (c == '"') {
            quoted = true;
        } else if (c == '{' || c == '[') {
            if (++depth > maxModelNesting) {
                return "nested deeper than " + std::to_string(maxModelNesting) + " levels";
            }
        } else if ((c == '}' || c == ']') && depth > 0) {
            --depth;
        }
    }
    return std::string();
}
