#pragma once

#include <Inventor/SbColor.h>
#include <Inventor/SbVec3f.h>

#include <cstdint>
#include <vector>

// The cheap form of a craft seen from afar and the arrays that draw many of
// them at once: a saucer 1 unit across and 0.2 thick, like the craft model,
// as a double cone of eight sides in the craft's colour with a six-sided
// blue dome on top and the thruster's glowing face below (the world's up is
// -y); 32 vertices and 28 triangles a craft.
class SwarmBatch {
public:
    static const int verticesPerCraft = 32;
    static const int trianglesPerCraft = 22;     // lit in their diffuse colours
    static const int glowTrianglesPerCraft = 6;  // lit with their colours as glow

    // Fills the arrays with the craft positions[which[k]] for every k, each
    // hull in diffuse[which[k]], or the last colour for a craft past the end
    // (diffuseCount is at least 1).
    void fill(const SbVec3f* positions, const SbColor* diffuse, int diffuseCount,
              const std::vector<int>& which);
    // Draws the filled craft with the lighting and material in force, the
    // arrays' colours taking the place of the diffuse colour, then of the
    // glow; leaves colour tracking on and the diffuse colour changed. Needs a
    // current GL context.
    void draw() const;

    int craftCount() const { return craft; }

    // Filled by fill(); the normals and the indices of the first slots are
    // kept from one fill to the next.
    std::vector<SbVec3f> vertices;
    std::vector<SbVec3f> normals;
    std::vector<uint8_t> colours;  // red, green, blue, alpha per vertex
    std::vector<uint32_t> indices;
    std::vector<uint32_t> glowIndices;

private:
    int craft = 0;
    int slots = 0;  // craft the normals and indices are built for
};

// A diffuse colour as the scene library hands it to GL: each component
// scaled to 0 ... 255 and packed into 8 bits without clamping, so a
// component above 1 keeps only the low bits of its scaled value, and they
// run into the neighbouring components; alpha is opaque.
void diffuseColourBytes(const SbColor& colour, uint8_t rgba[4]);
