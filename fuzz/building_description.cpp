// libFuzzer target: the building description reader on arbitrary bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "city/CityElement.h"
#include "city/DataFiles.h"

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void requirePrintable(const std::string& text) {
    for (const char c : escapeControls(text)) {
        require(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    FILE* file = fmemopen(bytes.empty() ? nullptr : &bytes[0], size, "r");
    if (!file) {
        return 0;
    }
    BuildingDescription description;
    std::string fault;
    if (readBuildingDescription(file, description, fault)) {
        const std::string* names[] = {
            &description.texturapredni, &description.texturazadni, &description.texturaleva,
            &description.texturaprava,  &description.texturahorni, &description.texturadolni,
        };
        for (const std::string* name : names) {
            require(name->size() <= 254);  // one read of 255 characters, the last dropped
            requirePrintable(*name);
        }
        const std::string& warning = description.warning;
        require(warning.empty() || (warning.compare(0, 5, "line ") == 0 && warning[5] >= '1' &&
                                    warning[5] <= '9' && warning[6] == ':'));
    } else {
        require(!fault.empty());
    }
    std::fclose(file);
    return 0;
}
