#include "city/DataFiles.h"

#include <Inventor/SbImage.h>
#include <Inventor/SbString.h>
#include <Inventor/SoInput.h>
#include <Inventor/errors/SoDebugError.h>
#include <Inventor/errors/SoReadError.h>
#include <Inventor/lists/SbStringList.h>
#include <Inventor/nodes/SoFile.h>
#include <Inventor/nodes/SoTexture2.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <system_error>

#include "city/internal/DataFilesInternal.h"

namespace fs = std::filesystem;

namespace {

// One decoded image per file, shared by every texture node that names it.
struct DecodedImage {
    std::string fault;   // why it was refused; empty when read
    std::string damage;  // what the decoder said of a damaged file it decoded
    SbImage image;
};

std::map<std::string, std::unique_ptr<DecodedImage>> imageCache;
bool decoding = false;

// Decodes the file into image and returns the first line the decoder wrote on
// standard error meanwhile. Decoders print their own warnings there (libjpeg
// says a truncated file's "Corrupt JPEG data" a dozen times), naming no file.
std::string readImageQuietly(SbImage& image, const std::string& path) {
    std::fflush(stderr);
    const int captured = memfd_create("decoder messages", MFD_CLOEXEC);
    const int savedStderr = captured < 0 ? -1 : fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    const bool redirected = savedStderr >= 0 && dup2(captured, STDERR_FILENO) >= 0;
    image.readFile(SbString(path.c_str()));
    if (redirected) {
        std::fflush(stderr);
        dup2(savedStderr, STDERR_FILENO);
    }
    std::string said;
    char buffer[4096];
    ssize_t got;
    while (redirected && said.size() < 65536 &&
           (got = pread(captured, buffer, sizeof buffer, said.size())) > 0) {
        said.append(buffer, got);
    }
    for (int fd : {savedStderr, captured}) {
        if (fd >= 0) {
            close(fd);
        }
    }
    const size_t start = said.find_first_not_of("\n");
    return start == std::string::npos ? std::string()
                                      : said.substr(start, said.find('\n', start) - start);
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
        entry->fault = datafiles::imageFault(path);
        if (entry->fault.empty()) {
            // Coin decodes it; this hook stays out of the way meanwhile.
            decoding = true;
            entry->damage = readImageQuietly(entry->image, path);
            decoding = false;
            SbVec2s size;
            int components = 0;
            if (!entry->image.getValue(size, components)) {
                entry->fault = "cannot be decoded";
                if (!entry->damage.empty()) {
                    entry->fault += " (" + entry->damage + ")";
                }
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
    if (!decoded.damage.empty()) {
        printDataMessage(resolved, "Image \"" + resolved + "\" is damaged: " + decoded.damage +
                                       "; drawn as far as it decodes");
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

}  // namespace

void setTextureFile(SoTexture2* texture, const char* name) {
    std::string entry = name ? datafiles::resolveEntry(name, "") : std::string();
    if (!entry.empty() && !datafiles::openableWithoutBlocking(entry)) {
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
        const std::string path = datafiles::findLikeSoInput(name);
        faults[name] = path.empty() ? std::string() : datafiles::modelFault(path);
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
    SoDebugError::setHandlerCallback(datafiles::printCoinMessage, nullptr);
    SoReadError::setHandlerCallback(datafiles::printCoinMessage, nullptr);
    // SoInput tries a name against every search directory by plain
    // concatenation, so "." turns "/models/Ufo1.wrl" into
    // "./models/Ufo1.wrl" once the absolute file is not there.
    if (!onSearchList(".")) {
        SoInput::addDirectoryLast(".");
    }
}
