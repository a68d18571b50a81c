#include "city/DataFiles.h"

#include <Inventor/SbImage.h>
#include <Inventor/SbString.h>
#include <Inventor/SoInput.h>
#include <Inventor/lists/SbStringList.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
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

SbBool readResolvedImage(const SbString& name, SbImage* image, void*) {
    // A name that opens as it is (also the resolved name read below) is
    // left to Coin.
    if (isRegularFile(name.getString())) {
        return FALSE;
    }
    std::string resolved = resolveDataFileName(name.getString());
    const SbStringList& dirs = SoInput::getDirectories();
    for (int i = 0; resolved.empty() && i < dirs.getLength(); ++i) {
        resolved = resolveDataFileName(name.getString(), dirs[i]->getString());
    }
    if (resolved.empty()) {
        return FALSE;
    }
    return image->readFile(SbString(resolved.c_str()));
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

}  // namespace

std::string resolveDataFileName(const std::string& name, const std::string& baseDir) {
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
    return isRegularFile(current) ? current.string() : std::string();
}

void installDataFileResolver() {
    static bool installed = false;
    if (installed) {
        return;
    }
    installed = true;
    SbImage::addReadImageCB(readResolvedImage, nullptr);
    // SoInput tries a name against every search directory by plain
    // concatenation, so "." turns "/models/Ufo1.wrl" into
    // "./models/Ufo1.wrl" once the absolute file is not there.
    if (!onSearchList(".")) {
        SoInput::addDirectoryLast(".");
    }
}
