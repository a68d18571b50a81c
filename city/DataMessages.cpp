// Messages about data files, Coin's included: escaped, and one per file.
#include <Inventor/SbString.h>
#include <Inventor/errors/SoError.h>

#include <cstdio>
#include <set>
#include <string>

#include "city/DataFiles.h"
#include "city/internal/DataFilesInternal.h"

namespace datafiles {

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

}  // namespace datafiles

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
