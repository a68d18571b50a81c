#include "city/DataFiles.h"

#include <Inventor/SbImage.h>
#include <Inventor/SbString.h>
#include <Inventor/SoInput.h>
#include <Inventor/errors/SoDebugError.h>
#include <Inventor/errors/SoReadError.h>
#include <Inventor/lists/SbStringList.h>
#include <Inventor/nodes/SoFile.h>
#include <Inventor/nodes/SoTexture2.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool isRegularFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

// The entry of dir called component, exactly or else in another letter case;
// the first such entry in name order, so that the choice does not depend on
// the order the file system lists them in.
bool findEntry(const fs::path& dir, const std::string& component, fs::path& found) {
    std::error_code error;
    if (fs::exists(dir / component, error)) {
        found = dir / component;
        return true;
    }
    std::vector<std::string> matches;
    fs::directory_iterator it(dir.empty() ? fs::path(".") : dir, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        const std::string entry = it->path().filename().string();
        if (sameIgnoringCase(entry, component)) {
            matches.push_back(entry);
        }
    }
    if (matches.empty()) {
        return false;
    }
    found = dir / *std::min_element(matches.begin(), matches.end());
    return true;
}

// The existing entry of any kind that name denotes; see resolveDataFileName.
std::string resolveEntry(const std::string& name, const std::string& baseDir) {
    if (name.empty()) {
        return std::string();
    }
    std::string slashed = name;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');

    const bool absolute = slashed[0] == '/';
    fs::path current = absolute ? fs::path("/") : fs::path(baseDir);
    if (isRegularFile(current / slashed)) {
        return (current / slashed).string();
    }
    size_t start = 0;
    while (start <= slashed.size()) {
        size_t end = slashed.find('/', start);
        if (end == std::string::npos) {
            end = slashed.size();
        }
        const std::string component = slashed.substr(start, end - start);
        start = end + 1;
        if (component.empty() || component == ".") {
            continue;
        }
        if (component == "..") {
            current /= component;
            continue;
        }
        fs::path next;
        if (!findEntry(current, component, next)) {
            return std::string();
        }
        current = next;
    }
    return current.string();
}

// Regular files and folders are safe to open: a folder reads as an error at
// once. A FIFO or a device may block the reader or never end.
bool openableWithoutBlocking(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode) || S_ISDIR(info.st_mode);
}

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

// One decoded image per file, shared by every texture node that names it.
struct DecodedImage {
    std::string fault;  // why it was refused; empty when read
    SbImage image;
};

std::map<std::string, std::unique_ptr<DecodedImage>> imageCache;
bool decoding = false;

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
    if (width > maxImageSide || height > maxImageSide || width * height > maxImagePixels) {
        return std::to_string(width) + " x " + std::to_string(height) +
               " pixels, over the limit of " + std::to_string(maxImagePixels) + " pixels (" +
               std::to_string(maxImageSide) + " a side)";
    }
    return std::string();
}

const DecodedImage& decodedImage(const std::string& path) {
    std::error_code error;
    std::string key = fs::canonical(path, error).string();
    if (error) {
        key = path;
    }
    std::unique_ptr<DecodedImage>& entry = imageCache[key];
    if (!entry) {
        entry.reset(new DecodedImage);
        entry->fault = imageFault(path);
        if (entry->fault.empty()) {
            // Coin decodes it; this hook stays out of the way meanwhile.
            decoding = true;
            entry->image.readFile(SbString(path.c_str()));
            decoding = false;
            SbVec2s size;
            int components = 0;
            if (!entry->image.getValue(size, components)) {
                entry->fault = "cannot be decoded";
            }
        }
    }
    return *entry;
}

SbBool readResolvedImage(const SbString& name, SbImage* image, void*) {
    if (decoding) {
        return FALSE;
    }
    std::string resolved = resolveDataFileName(name.getString());
    const SbStringList& dirs = SoInput::getDirectories();
    for (int i = 0; resolved.empty() && i < dirs.getLength(); ++i) {
        resolved = resolveDataFileName(name.getString(), dirs[i]->getString());
    }
    if (resolved.empty()) {
        return FALSE;  // Coin says that it is missing
    }
    const DecodedImage& decoded = decodedImage(resolved);
    if (!decoded.fault.empty()) {
        printDataMessage(resolved, "Image \"" + resolved + "\" not read: " + decoded.fault);
        image->setValue(SbVec2s(0, 0), 0, nullptr);
        return TRUE;
    }
    SbVec2s size;
    int components = 0;
    const unsigned char* bytes = decoded.image.getValue(size, components);
    image->setValue(size, components, bytes);
    return TRUE;
}

bool onSearchList(const char* dir) {
    const SbStringList& dirs = SoInput::getDirectories();
    for (int i = 0; i < dirs.getLength(); ++i) {
        if (*dirs[i] == dir) {
            return true;
        }
    }
    return false;
}

// Coin says a missing file again for every node that names it, and in two
// messages for an image; the first quoted name is the file they are about.
void printCoinMessage(const SoError* error, void*) {
    const std::string text = error->getDebugString().getString();
    std::string key = text;
    const size_t open = text.find(" '");
    const size_t close = open == std::string::npos ? open : text.find('\'', open + 2);
    if (close != std::string::npos) {
        key = text.substr(open + 2, close - open - 2);
    }
    std::string line = text;
    while (!line.empty() && line.back() == '\n') {
        line.pop_back();
    }
    printDataMessage(key, line);
}

// Where SoInput would find name: as it is, then in each search directory.
std::string findLikeSoInput(const std::string& name) {
    std::error_code error;
    if (fs::exists(name, error)) {
        return name;
    }
    const SbStringList& dirs = SoInput::getDirectories();
    for (int i = 0; i < dirs.getLength(); ++i) {
        std::string dir = dirs[i]->getString();
        if (!dir.empty() && dir.back() != '/') {
            dir += '/';
        }
        if (fs::exists(dir + name, error)) {
            return dir + name;
        }
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

std::string currentFolder() {
    char buffer[4096];
    if (getcwd(buffer, sizeof buffer)) {
        return buffer;
    }
    // A deleted folder: the kernel still knows its old name.
    const ssize_t length = readlink("/proc/self/cwd", buffer, sizeof buffer - 1);
    std::string folder = length > 0 ? std::string(buffer, length) : std::string(".");
    const std::string deleted = " (deleted)";
    if (folder.size() > deleted.size() &&
        folder.compare(folder.size() - deleted.size(), deleted.size(), deleted) == 0) {
        folder.resize(folder.size() - deleted.size());
    }
    return folder;
}

}  // namespace

std::string resolveDataFileName(const std::string& name, const std::string& baseDir) {
    const std::string entry = resolveEntry(name, baseDir);
    return isRegularFile(entry) ? entry : std::string();
}

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

void setTextureFile(SoTexture2* texture, const char* name) {
    std::string entry = name ? resolveEntry(name, "") : std::string();
    if (!entry.empty() && !openableWithoutBlocking(entry)) {
        printDataMessage(entry, std::string("Image \"") + name + "\" not read: not a regular file");
        const SbBool notify = texture->filename.enableNotify(FALSE);
        texture->filename.setValue(name);
        texture->filename.enableNotify(notify);
        return;
    }
    texture->filename.setValue(name);
}

void setModelFile(SoFile* file, const char* name) {
    static std::map<std::string, std::string> faults;
    if (!faults.count(name)) {
        const std::string path = findLikeSoInput(name);
        faults[name] = path.empty() ? std::string() : modelFault(path);
    }
    const std::string& fault = faults[name];
    if (fault.empty()) {
        file->name.setValue(name);
        return;
    }
    printDataMessage(name, std::string("Model \"") + name + "\" not read: " + fault);
    const SbBool notify = file->name.enableNotify(FALSE);
    file->name.setValue(name);
    file->name.enableNotify(notify);
}

std::string escapeControls(const std::string& text) {
    std::string escaped;
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char u = static_cast<unsigned char>(text[i]);
        // A whole UTF-8 sequence of a printable character stays; C1 controls
        // (U+0080 ... U+009F) and stray bytes are escaped like the others.
        size_t length = u < 0x80                 ? 1
                        : u >= 0xC2 && u <= 0xDF ? 2
                        : u >= 0xE0 && u <= 0xEF ? 3
                        : u >= 0xF0 && u <= 0xF4 ? 4
                                                 : 0;
        for (size_t k = 1; k < length; ++k) {
            if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                length = 0;
            }
        }
        const bool c1 = length == 2 && u == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
        if (length > 1 && !c1) {
            escaped.append(text, i, length);
            i += length;
            continue;
        }
        if (u >= 0x20 && u < 0x7F) {
            escaped += text[i];
        } else if (u == '\n') {
            escaped += "\\n";
        } else if (u == '\t') {
            escaped += "\\t";
        } else if (u == '\r') {
            escaped += "\\r";
        } else {
            char code[5];
            std::snprintf(code, sizeof code, "\\x%02X", u);
            escaped += code;
        }
        ++i;
    }
    return escaped;
}

void printDataMessage(const std::string& key, const std::string& line) {
    static std::set<std::string> printed;
    if (printed.insert(key).second) {
        std::fprintf(stderr, "%s\n", escapeControls(line).c_str());
    }
}

bool checkDataFolder() {
    std::string reason;
    DIR* dir = opendir(".");
    if (!dir) {
        reason = std::string("cannot read it: ") + std::strerror(errno);
    } else {
        closedir(dir);
        char buffer[4096];
        if (!getcwd(buffer, sizeof buffer) && errno == ENOENT) {
            reason = "it has been deleted";
        } else if (resolveEntry("Building", "").empty() && resolveEntry("Texture", "").empty() &&
                   resolveEntry("models", "").empty()) {
            reason = "no Building, Texture or models folder there";
        }
    }
    if (reason.empty()) {
        return true;
    }
    printDataMessage("data folder",
                     "Brennoc: its data files are not in " + currentFolder() + " (" + reason +
                         "); run it from the data/ folder, through scripts/run.sh, or as the "
                         "installed brennoc command");
    return false;
}

void installImageReader() {
    static bool installed = false;
    if (!installed) {
        installed = true;
        SbImage::addReadImageCB(readResolvedImage, nullptr);
    }
}

void installDataFileResolver() {
    static bool installed = false;
    if (installed) {
        return;
    }
    installed = true;
    installImageReader();
    SoDebugError::setHandlerCallback(printCoinMessage, nullptr);
    SoReadError::setHandlerCallback(printCoinMessage, nullptr);
    // SoInput tries a name against every search directory by plain
    // concatenation, so "." turns "/models/Ufo1.wrl" into
    // "./models/Ufo1.wrl" once the absolute file is not there.
    if (!onSearchList(".")) {
        SoInput::addDirectoryLast(".");
    }
}
