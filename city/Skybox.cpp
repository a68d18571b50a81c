#include "city/Skybox.h"

#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoIndexedTriangleStripSet.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTextureCoordinate2.h>

#include "city/DataFiles.h"

namespace {

// Corner i has x = -1000 when bit 0 is set, y = -500 (the sky) when bit 1 is
// set, z = -1000 when bit 2 is set.
const float corners[8][3] = {
    {1000, 0, 1000},  {-1000, 0, 1000},  {1000, -500, 1000},  {-1000, -500, 1000},
    {1000, 0, -1000}, {-1000, 0, -1000}, {1000, -500, -1000}, {-1000, -500, -1000},
};

const float textureCorners[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};

struct Face {
    const char* image;
    int coordIndex[5];
    int textureCoordIndex[5];
};

// Walls at z = 1000, x = 1000, z = -1000, x = -1000, then the sky and the
// floor. Going round the walls 1, 2, 3, 4 continue one panorama.
const Face faces[6] = {
    {"Texture\\skybox\\1.jpg", {0, 1, 2, 3, -1}, {0, 1, 2, 3, -1}},
    {"Texture\\skybox\\4.jpg", {6, 4, 2, 0, -1}, {2, 0, 3, 1, -1}},
    {"Texture\\skybox\\3.jpg", {5, 4, 7, 6, -1}, {0, 1, 2, 3, -1}},
    {"Texture\\skybox\\2.jpg", {5, 7, 1, 3, -1}, {1, 3, 0, 2, -1}},
    {"Texture\\skybox\\5.jpg", {2, 3, 6, 7, -1}, {2, 0, 3, 1, -1}},
    {"Texture\\trava.jpg", {4, 5, 0, 1, -1}, {0, 1, 2, 3, -1}},
};

}  // namespace

SoSeparator* createSkybox() {
    SoSeparator* skybox = new SoSeparator;

    SoCoordinate3* coordinates = new SoCoordinate3;
    coordinates->point.setValues(0, 8, corners);
    skybox->addChild(coordinates);

    SoTextureCoordinate2* textureCoordinates = new SoTextureCoordinate2;
    textureCoordinates->point.setValues(0, 4, textureCorners);
    skybox->addChild(textureCoordinates);

    // The images are shown as they are, unlit, and not repeated at the edges.
    SoTexture2* textures[6];
    for (SoTexture2*& texture : textures) {
        texture = new SoTexture2;
        texture->model = SoTexture2::DECAL;
        texture->wrapS = SoTexture2::CLAMP;
        texture->wrapT = SoTexture2::CLAMP;
    }
    for (int i = 0; i < 6; ++i) {
        setTextureFile(textures[i], faces[i].image);
    }

    for (int i = 0; i < 6; ++i) {
        skybox->addChild(textures[i]);
        SoIndexedTriangleStripSet* strip = new SoIndexedTriangleStripSet;
        strip->coordIndex.setValues(0, 5, faces[i].coordIndex);
        strip->textureCoordIndex.setValues(0, 5, faces[i].textureCoordIndex);
        skybox->addChild(strip);
    }
    return skybox;
}
