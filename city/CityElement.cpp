#include "city/CityElement.h"

#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoCube.h>
#include <Inventor/nodes/SoIndexedTriangleStripSet.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTextureCoordinate2.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "city/DataFiles.h"

namespace {

// The four corners of each face, in strip order.
const int faceCorners[6][4] = {
    {0, 1, 2, 3}, {4, 0, 6, 2}, {5, 4, 7, 6}, {1, 5, 3, 7}, {2, 3, 6, 7}, {4, 5, 0, 1},
};

SoMaterial* newMaterial(const SbColor& color) {
    SoMaterial* material = new SoMaterial;
    material->ambientColor.setValue(color);
    material->diffuseColor.setValue(color);
    return material;
}

// One line as the file's own reader sees it: a text-mode read into a 256-byte
// buffer, so at most 255 characters with a CR LF pair counted as one line
// feed; the value ends at a NUL byte, and its last character (normally the
// line feed) is dropped. control tells whether the line held a control byte.
bool readLine(FILE* file, std::string& value, bool& control) {
    std::string raw;
    int c = 0;
    while (raw.size() < 255 && (c = std::getc(file)) != EOF) {
        if (c == '\r') {
            const int next = std::getc(file);
            if (next == '\n') {
                c = next;
            } else if (next != EOF) {
                std::ungetc(next, file);
            }
        }
        raw.push_back(static_cast<char>(c));
        if (c == '\n') {
            break;
        }
    }
    if (raw.empty() || std::ferror(file)) {
        return false;
    }
    control = false;
    for (size_t i = 0; i < raw.size(); ++i) {
        const unsigned char u = static_cast<unsigned char>(raw[i]);
        const bool lineEnd = u == '\n' && i + 1 == raw.size();
        control |= (u < 0x20 && u != '\t' && !lineEnd) || u == 0x7F;
    }
    size_t length = std::strlen(raw.c_str());
    if (length > 0) {
        --length;
    }
    value.assign(raw, 0, length);
    return true;
}

// Like atoi, but a number beyond the int range saturates instead of being undefined.
int parseSize(const std::string& text) {
    long value = std::strtol(text.c_str(), nullptr, 10);
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

}  // namespace

CityElement::CityElement(float cornerX, float cornerY, float cornerZ, float extentX, float extentY,
                         float extentZ, const SbColor& color, const char* fileName)
    : corner(cornerX, cornerY, cornerZ),
      extent(extentX, extentY, extentZ),
      color(color),
      fileName(fileName) {}

SbBox3f CityElement::collisionBox() const {
    return SbBox3f(corner[0], -extent[1], corner[2], corner[0] + extent[0], 0,
                   corner[2] + extent[2]);
}

CityElement::~CityElement() {}

SoSeparator* CityElement::build() {
    return nullptr;
}

SoSeparator* CubeElement::build() {
    SoSeparator* top = new SoSeparator;
    top->addChild(newMaterial(color));
    if (fileName) {
        SoTexture2* texture = new SoTexture2;
        setTextureFile(texture, fileName);
        top->addChild(texture);
    }
    SoCube* cube = new SoCube;
    cube->width = extent[0];
    cube->height = extent[1];
    cube->depth = extent[2];
    top->addChild(cube);
    return top;
}

bool readBuildingDescription(FILE* file, BuildingDescription& description, std::string& fault) {
    std::string lines[9];
    bool control[9] = {};
    int count = 0;
    while (count < 9 && readLine(file, lines[count], control[count])) {
        ++count;
    }
    if (std::ferror(file)) {
        fault = "read error after line " + std::to_string(count);
        return false;
    }
    if (count < 9) {
        fault = "only " + std::to_string(count) + " of 9 lines";
        return false;
    }
    description.velikostx = parseSize(lines[0]);
    description.velikosty = parseSize(lines[1]);
    description.velikostz = parseSize(lines[2]);
    description.texturapredni = lines[3];
    description.texturazadni = lines[4];
    description.texturaleva = lines[5];
    description.texturaprava = lines[6];
    description.texturahorni = lines[7];
    description.texturadolni = lines[8];

    const int sizes[3] = {description.velikostx, description.velikosty, description.velikostz};
    description.warning.clear();
    for (int k = 0; k < 9 && description.warning.empty(); ++k) {
        const std::string line = "line " + std::to_string(k + 1) + ": ";
        if (control[k]) {
            description.warning = line + "not text";
        } else if (k < 3 && (sizes[k] < minBuildingSize || sizes[k] > maxBuildingSize)) {
            description.warning = line + "size \"" + lines[k].substr(0, 40) + "\" is outside " +
                                  std::to_string(minBuildingSize) + " to " +
                                  std::to_string(maxBuildingSize);
        }
    }
    return true;
}

bool readBuildingDescription(const char* fileName, BuildingDescription& description,
                             std::string& fault) {
    if (!fileName) {
        fault = "no description file named";
        return false;
    }
    // Not fopen: opening a FIFO for reading waits for a writer, for ever.
    const int fd = open(fileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        fault = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    struct stat info;
    if (fstat(fd, &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
        close(fd);
        fault = "not a regular file";
        return false;
    }
    FILE* file = fdopen(fd, "r");
    if (!file) {
        close(fd);
        fault = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    const bool read = readBuildingDescription(file, description, fault);
    std::fclose(file);
    return read;
}

SoSeparator* BuildingElement::build() {
    BuildingDescription description;
    std::string fault;
    // Every building of a file reads it; one message per file is enough.
    const std::string name = fileName ? fileName : "";
    if (readBuildingDescription(fileName, description, fault)) {
        extent.setValue(static_cast<float>(description.velikostx),
                        static_cast<float>(description.velikosty),
                        static_cast<float>(description.velikostz));
        if (!description.warning.empty()) {
            printDataMessage(name, "Building description \"" + name + "\", " + description.warning +
                                       "; drawn as it stands");
        }
    } else {
        // Keep the extent the layout gave, which matches the collision box.
        char box[100];
        std::snprintf(box, sizeof box, "; drawing a plain %gx%gx%g box", extent[0], extent[1],
                      extent[2]);
        printDataMessage(name, "Building description \"" + name + "\": " + fault + box);
    }
    const float hx = extent[0] / 2, hy = extent[1] / 2, hz = extent[2] / 2;

    SbVec3f boxVertices[8];
    for (int k = 0; k < 8; ++k) {
        boxVertices[k].setValue((k & 1) ? hx : -hx, (k & 2) ? hy : -hy, (k & 4) ? hz : -hz);
    }

    SoSeparator* top = new SoSeparator;
    top->addChild(newMaterial(color));
    SoCoordinate3* coordinates = new SoCoordinate3;
    coordinates->point.setValues(0, 8, boxVertices);
    top->addChild(coordinates);

    const std::string* faceImages[6] = {
        &description.texturapredni, &description.texturaprava, &description.texturazadni,
        &description.texturaleva,   &description.texturahorni, &description.texturadolni,
    };
    SoTexture2* textures[6];
    for (int f = 0; f < 6; ++f) {
        textures[f] = new SoTexture2;
        setTextureFile(textures[f], faceImages[f]->c_str());
    }

    static const SbVec2f texturePoints[4] = {SbVec2f(1, 1), SbVec2f(0, 1), SbVec2f(1, 0),
                                             SbVec2f(0, 0)};
    static const int32_t textureIndex[5] = {0, 1, 2, 3, -1};
    for (int f = 0; f < 6; ++f) {
        SoTextureCoordinate2* textureCoordinates = new SoTextureCoordinate2;
        textureCoordinates->point.setValues(0, 4, texturePoints);
        top->addChild(textureCoordinates);
        top->addChild(textures[f]);

        SoIndexedTriangleStripSet* strip = new SoIndexedTriangleStripSet;
        const int32_t coordIndex[5] = {faceCorners[f][0], faceCorners[f][1], faceCorners[f][2],
                                       faceCorners[f][3], -1};
        strip->coordIndex.setValues(0, 5, coordIndex);
        strip->textureCoordIndex.setValues(0, 5, textureIndex);
        top->addChild(strip);
    }
    return top;
}
