#pragma once

#include <Inventor/SbBox3f.h>
#include <Inventor/SbColor.h>
#include <Inventor/SbLinear.h>

#include <cstdio>
#include <string>

class SoSeparator;

// Something the layout stands on the city grid; it builds its own subtree,
// centred on the subtree's origin, when the grid is added to the scene.
class CityElement {
public:
    CityElement(float cornerX, float cornerY, float cornerZ, float extentX, float extentY,
                float extentZ, const SbColor& color, const char* fileName);
    virtual ~CityElement();

    // Returns the element's subtree, unreferenced; null for the base class.
    virtual SoSeparator* build();
    // The box the city files for it: its footprint from corner, extent deep
    // below the ground plane (y = -extent[1] to 0).
    SbBox3f collisionBox() const;

    SbVec3f corner;
    SbVec3f extent;
    SbColor color;
    // Not owned; the layout passes string literals.
    const char* fileName;
};

// A street tile: a coloured cube, textured with fileName unless it is null.
class CubeElement : public CityElement {
public:
    using CityElement::CityElement;
    SoSeparator* build() override;
};

// A box whose size and six face images come from the description file fileName.
class BuildingElement : public CityElement {
public:
    using CityElement::CityElement;
    SoSeparator* build() override;
};

// The sizes a building can have, in world units, each axis.
const int minBuildingSize = 1;
const int maxBuildingSize = 100;

// The nine lines of a building description file.
struct BuildingDescription {
    int velikostx = 0;
    int velikosty = 0;
    int velikostz = 0;
    std::string texturapredni;
    std::string texturazadni;
    std::string texturaleva;
    std::string texturaprava;
    std::string texturahorni;
    std::string texturadolni;
    // The first line no building can have (not text, or a size outside
    // minBuildingSize ... maxBuildingSize), as "line N: why"; empty when none.
    // The description is used as it stands all the same.
    std::string warning;
};

// Reads the first nine lines of fileName. A file that cannot be opened, is not
// a regular file or has fewer lines gives false, with what went wrong in fault.
bool readBuildingDescription(const char* fileName, BuildingDescription& description,
                             std::string& fault);

// The same from an open stream, which it does not close.
bool readBuildingDescription(FILE* file, BuildingDescription& description, std::string& fault);
