#include "city/FlyingObject.h"

#include <Inventor/SbBox3f.h>
#include <Inventor/nodes/SoCube.h>
#include <Inventor/nodes/SoFile.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoMatrixTransform.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTexture2.h>

#include <cstdlib>

#include "city/CityBuilder.h"
#include "city/DataFiles.h"
#include "octree/CollisionObject.h"
#include "octree/OctTree.h"

namespace {

// One draw of 0 ... 32767, as the city layout draws: the placement arithmetic
// assumes 15-bit draws, and a wider rand keeps its high bits.
int draw() {
    return std::rand() / (RAND_MAX / 32768 + 1);
}

// A colour channel from one draw: the drawn integer as it stands, 0 ... 32767.
// Any draw above 0 is more than the full component of 1; the scene library
// packs it into 8 bits as it packs any colour.
float colourChannel() {
    return static_cast<float>(draw());
}

}  // namespace

FlyingObject::FlyingObject(float x, float y, float z, float auxFactor, float thrustFactor,
                           SbVec3f motion, int kind, SoSeparator* group)
    : thrustDirection(motion),
      velocity(motion),
      orbitCentre(x, y, z),
      orbitRadius(0),
      auxFactor(auxFactor),
      thrustFactor(thrustFactor),
      kind(kind),
      transformNode(nullptr),
      parentGroup(group),
      currentPosition{x, y, z},
      steering(true) {
    transform.setTranslate(SbVec3f(x, y, z));

    SoSeparator* subtree = new SoSeparator;
    transformNode = new SoMatrixTransform;
    transformNode->matrix = transform;
    SoMaterial* material = new SoMaterial;
    const float blue = colourChannel();
    const float green = colourChannel();
    const float red = colourChannel();
    material->diffuseColor.setValue(red, green, blue);

    // Every kind keeps its placement and material under its subtree, so that
    // the group owns them; only the two known kinds add a shape.
    subtree->addChild(transformNode);
    subtree->addChild(material);
    if (kind == 1) {
        SoTexture2* texture = new SoTexture2;
        setTextureFile(texture, "texture/LetajiciObjekt1.jpg");
        SoCube* cube = new SoCube;
        cube->width = 1;
        cube->height = 0.25f;
        cube->depth = 1;
        subtree->addChild(texture);
        subtree->addChild(cube);
        orbitRadius = 10;
    } else if (kind == 2) {
        SoFile* model = new SoFile;
        setModelFile(model, "/models/Ufo1.wrl");
        subtree->addChild(model);
        orbitRadius = 5;
    }
    group->addChild(subtree);
}

void CityBuilder::createFlyingObjects(int kind, int count, SoSeparator* group, OctTree& tree) {
    if (kind != 1 && kind != 2) {
        return;
    }
    for (int n = 1; n <= count; ++n) {
        SbVec3f vekturekPohybu(0, 0, 0);
        // Separate statements keep the draws in the order z, y, x.
        const int r1 = draw();
        const int r2 = draw();
        const int r3 = draw();
        const float z = static_cast<float>(r1 / 32768.0 * 25);
        const float y = static_cast<float>(r2 / 32768.0 * 3 - 10);
        const float x = static_cast<float>(r3 / 32768.0 * 25);

        FlyingObject* object = new FlyingObject(x, y, z, 0, 0, vekturekPohybu, kind, group);
        const float px = object->currentPosition[0];
        const float py = object->currentPosition[1];
        const float pz = object->currentPosition[2];
        SbBox3f* box;
        if (kind == 1) {
            box = new SbBox3f(px - 0.5f, py - 0.25f, pz - 0.5f, px + 0.5f, py + 0.25f, pz + 0.5f);
        } else {
            // Not centred on the craft: x from -0.5 to +0.25, z from 0 to +0.5.
            box = new SbBox3f(px - 0.5f, py - 0.25f, pz, px + 0.25f, py + 0.25f, pz + 0.5f);
        }
        CollisionObject* letajiciObjektOctree =
            new CollisionObject(1.0f, 0.5f, 1.0f, px, py, pz, box, object);
        tree.insert(*letajiciObjektOctree);
        flyingObjects.append(letajiciObjektOctree);
    }
}
