// Data-file names: backslashes as separators, any letter case, and the
// program's data folder.
#include <Inventor/SbString.h>
#include <Inventor/SoInput.h>
#include <Inventor/lists/SbStringList.h>
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "city/DataFiles.h"
#include "city/internal/DataFilesInternal.h"

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

namespace datafiles {

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

}  // namespace datafiles

std::string resolveDataFileName(const std::string& name, const std::string& baseDir) {
    const std::string entry = datafiles::resolveEntry(name, baseDir);
    return isRegularFile(entry) ? entry : std::string();
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
        } else if (datafiles::resolveEntry("Building", "").empty() &&
                   datafiles::resolveEntry("Texture", "").empty() &&
                   datafiles::resolveEntry("models", "").empty()) {
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
