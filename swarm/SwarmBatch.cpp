#include "swarm/SwarmBatch.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

static_assert(sizeof(SbVec3f) == 3 * sizeof(float), "vertex arrays take SbVec3f as three floats");

namespace {

const int rimSides = 8;
const int domeSides = 6;
const int thrusterSides = 6;
const float pi = 3.14159265f;

// Hull: a rim of radius 0.5 at y 0.05 between apexes 0.1 above and below it,
// where the model's flattened sphere has its centre and poles. The rim is
// there twice, for the top and the bottom, each with the normal the flattened
// sphere has near its edge (mostly up or down), so that the hull is lit as
// the model's is: bright on top, dark below. Dome: a pyramid of radius 0.22
// and height 0.25 standing in the hull's top.
const float hullCentre = 0.05f;
const float hullRadius = 0.5f;
const float hullHalfHeight = 0.1f;
const float rimNormalOut = 0.38f;
const float rimNormalUp = 0.92f;
const float domeRadius = 0.22f;
const float domeBase = 0.0f;
const float domeTop = -0.25f;
const uint8_t domeColour[4] = {89, 153, 217, 255};  // the model's dome, 0.35 0.6 0.85
// The thruster's glowing face under the hull, lit as the model lights it:
// its glow (emissive colour) 0.25 0.45 0.9 and diffuse colour 0.2 0.2 0.25.
const float thrusterRadius = 0.14f;
const float thrusterFace = 0.25f;
const uint8_t thrusterGlow[4] = {64, 115, 230, 255};
const float thrusterDiffuse[4] = {0.2f, 0.2f, 0.25f, 1};

// Vertex numbers within a craft: the top and the bottom rim, the hull's top
// and bottom apex, the dome's ring and its top, the thruster's ring and its
// centre.
const int topRim = 0;
const int bottomRim = rimSides;
const int hullTop = 2 * rimSides;
const int hullBottom = hullTop + 1;
const int domeRing = hullBottom + 1;
const int domeApex = domeRing + domeSides;
const int thrusterRing = domeApex + 1;
const int thrusterCentre = thrusterRing + thrusterSides;
static_assert(thrusterCentre + 1 == SwarmBatch::verticesPerCraft, "vertex count");
static_assert(2 * rimSides + domeSides == SwarmBatch::trianglesPerCraft, "triangle count");
static_assert(thrusterSides == SwarmBatch::glowTrianglesPerCraft, "triangle count");

struct Shape {
    SbVec3f at[SwarmBatch::verticesPerCraft];
    SbVec3f normal[SwarmBatch::verticesPerCraft];
    uint8_t colour[SwarmBatch::verticesPerCraft][4];  // but the hull's, which is the craft's
    uint32_t triangles[3 * SwarmBatch::trianglesPerCraft];
    uint32_t glowTriangles[3 * SwarmBatch::glowTrianglesPerCraft];
};

// Counter-clockwise seen from outside; up is -y.
Shape makeShape() {
    Shape s;
    for (int i = 0; i < rimSides; ++i) {
        const float a = 2 * pi * i / rimSides;
        const SbVec3f out(std::cos(a), 0, std::sin(a));
        s.at[topRim + i] = s.at[bottomRim + i] = out * hullRadius + SbVec3f(0, hullCentre, 0);
        s.normal[topRim + i] = out * rimNormalOut - SbVec3f(0, rimNormalUp, 0);
        s.normal[bottomRim + i] = out * rimNormalOut + SbVec3f(0, rimNormalUp, 0);
    }
    s.at[hullTop].setValue(0, hullCentre - hullHalfHeight, 0);
    s.normal[hullTop].setValue(0, -1, 0);
    s.at[hullBottom].setValue(0, hullCentre + hullHalfHeight, 0);
    s.normal[hullBottom].setValue(0, 1, 0);
    for (int i = 0; i < domeSides; ++i) {
        const float a = 2 * pi * i / domeSides;
        s.at[domeRing + i].setValue(domeRadius * std::cos(a), domeBase, domeRadius * std::sin(a));
        s.normal[domeRing + i].setValue(std::cos(a), 0, std::sin(a));
    }
    s.at[domeApex].setValue(0, domeTop, 0);
    s.normal[domeApex].setValue(0, -1, 0);
    for (int i = 0; i < thrusterSides; ++i) {
        const float a = 2 * pi * i / thrusterSides;
        s.at[thrusterRing + i].setValue(thrusterRadius * std::cos(a), thrusterFace,
                                        thrusterRadius * std::sin(a));
    }
    s.at[thrusterCentre].setValue(0, thrusterFace, 0);
    for (int j = thrusterRing; j <= thrusterCentre; ++j) {
        s.normal[j].setValue(0, 1, 0);
    }
    for (int j = 0; j < SwarmBatch::verticesPerCraft; ++j) {
        const uint8_t* from = j < thrusterRing ? domeColour : thrusterGlow;
        std::copy(from, from + 4, s.colour[j]);
    }

    uint32_t* t = s.triangles;
    auto triangle = [&t](int a, int b, int c) {
        *t++ = a;
        *t++ = b;
        *t++ = c;
    };
    for (int i = 0; i < rimSides; ++i) {
        const int next = (i + 1) % rimSides;
        triangle(hullTop, topRim + i, topRim + next);
        triangle(hullBottom, bottomRim + next, bottomRim + i);
    }
    for (int i = 0; i < domeSides; ++i) {
        triangle(domeApex, domeRing + i, domeRing + (i + 1) % domeSides);
    }
    for (int i = 0; i < thrusterSides; ++i) {
        triangle(thrusterCentre, thrusterRing + (i + 1) % thrusterSides, thrusterRing + i);
    }
    return s;
}

const Shape shape = makeShape();

}  // namespace

void diffuseColourBytes(const SbColor& colour, uint8_t rgba[4]) {
    const uint32_t packed = colour.getPackedValue(0);
    rgba[0] = static_cast<uint8_t>(packed >> 24);
    rgba[1] = static_cast<uint8_t>(packed >> 16);
    rgba[2] = static_cast<uint8_t>(packed >> 8);
    rgba[3] = 255;
}

void SwarmBatch::fill(const SbVec3f* positions, const SbColor* diffuse, int diffuseCount,
                      const std::vector<int>& which) {
    craft = static_cast<int>(which.size());
    if (craft > slots) {
        normals.resize(size_t(craft) * verticesPerCraft);
        indices.resize(size_t(craft) * 3 * trianglesPerCraft);
        glowIndices.resize(size_t(craft) * 3 * glowTrianglesPerCraft);
        for (int k = slots; k < craft; ++k) {
            std::copy(shape.normal, shape.normal + verticesPerCraft,
                      normals.begin() + size_t(k) * verticesPerCraft);
            const uint32_t first = uint32_t(k) * verticesPerCraft;
            uint32_t* lit = &indices[size_t(k) * 3 * trianglesPerCraft];
            for (int j = 0; j < 3 * trianglesPerCraft; ++j) {
                lit[j] = shape.triangles[j] + first;
            }
            uint32_t* glow = &glowIndices[size_t(k) * 3 * glowTrianglesPerCraft];
            for (int j = 0; j < 3 * glowTrianglesPerCraft; ++j) {
                glow[j] = shape.glowTriangles[j] + first;
            }
        }
        slots = craft;
    }
    vertices.resize(size_t(craft) * verticesPerCraft);
    colours.resize(size_t(craft) * verticesPerCraft * 4);
    for (int k = 0; k < craft; ++k) {
        const int i = which[k];
        const SbVec3f& p = positions[i];
        SbVec3f* v = &vertices[size_t(k) * verticesPerCraft];
        for (int j = 0; j < verticesPerCraft; ++j) {
            v[j] = shape.at[j] + p;
        }
        uint8_t* c = &colours[size_t(k) * verticesPerCraft * 4];
        std::copy(&shape.colour[0][0], &shape.colour[0][0] + 4 * verticesPerCraft, c);
        diffuseColourBytes(diffuse[std::min(i, diffuseCount - 1)], c);
        for (int j = 1; j < domeRing; ++j) {
            std::copy(c, c + 4, c + 4 * j);
        }
    }
}

void SwarmBatch::draw() const {
    if (craft == 0) {
        return;
    }
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, vertices.data());
    glNormalPointer(GL_FLOAT, 0, normals.data());
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, colours.data());
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE);
    glDrawElements(GL_TRIANGLES, craft * 3 * trianglesPerCraft, GL_UNSIGNED_INT, indices.data());
    // The thrusters' colours are their glow.
    glColorMaterial(GL_FRONT_AND_BACK, GL_EMISSION);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, thrusterDiffuse);
    glDrawElements(GL_TRIANGLES, craft * 3 * glowTrianglesPerCraft, GL_UNSIGNED_INT,
                   glowIndices.data());
    glPopClientAttrib();
}
