#include "city/FlyingObject.h"

#include <Inventor/SbBox3f.h>
#include <Inventor/nodes/SoCube.h>
#include <Inventor/nodes/SoFile.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoMatrixTransform.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTexture2.h>

#include <algorithm>
#include <cstdlib>

#include "city/CityBuilder.h"
#include "city/CraftRelease.h"
#include "city/DataFiles.h"
#include "octree/CollisionObject.h"
#include "spatialindex/RecordFiling.h"
#include "swarm/SoSwarm.h"

namespace {

// One draw of 0 ... 32767, as the city layout draws: the placement arithmetic
// assumes 15-bit draws, and a wider rand keeps its high bits.
int draw() {
    return std::rand() / (RAND_MAX / 32768 + 1);
}

// A craft's diffuse colour: three draws, blue, green, red, each component the
// drawn integer as it stands (0 ... 32767). Any draw above 0 is more than the
// full component of 1; the scene library packs it into 8 bits as it packs any
// colour.
SbColor drawCraftColour() {
    const float blue = static_cast<float>(draw());
    const float green = static_cast<float>(draw());
    const float red = static_cast<float>(draw());
    return SbColor(red, green, blue);
}

// The craft's shape, added to the group after its placement and material.
void addCraftShape(SoGroup* group, int kind) {
    if (kind == 1) {
        SoTexture2* texture = new SoTexture2;
        setTextureFile(texture, "texture/LetajiciObjekt1.jpg");
        SoCube* cube = new SoCube;
        cube->width = 1;
        cube->height = 0.25f;
        cube->depth = 1;
        group->addChild(texture);
        group->addChild(cube);
    } else if (kind == 2) {
        SoFile* model = new SoFile;
        setModelFile(model, "/models/Ufo1.wrl");
        group->addChild(model);
    }
}

// Files a new craft in the tree under a box of its kind round its position;
// returns its record.
CollisionObject* fileCraft(int kind, FlyingObject* object, RecordFiling& tree) {
    const float px = object->currentPosition[0];
    const float py = object->currentPosition[1];
    const float pz = object->currentPosition[2];
    SbBox3f* box = new SbBox3f(releaseBox(kind, SbVec3f(px, py, pz)));
    CollisionObject* letajiciObjektOctree =
        new CollisionObject(1.0f, 0.5f, 1.0f, px, py, pz, box, object);
    tree.insert(*letajiciObjektOctree);
    return letajiciObjektOctree;
}

float orbitRadiusOf(int kind) {
    return kind == 1 ? 10.0f : kind == 2 ? 5.0f : 0.0f;
}

}  // namespace

FlyingObject::FlyingObject(float x, float y, float z, float auxFactor, float thrustFactor,
                           SbVec3f motion, int kind, SoSeparator* group)
    : thrustDirection(motion),
      velocity(motion),
      orbitCentre(x, y, z),
      orbitRadius(orbitRadiusOf(kind)),
      auxFactor(auxFactor),
      thrustFactor(thrustFactor),
      kind(kind),
      transformNode(nullptr),
      parentGroup(group),
      currentPosition{x, y, z},
      steering(true) {
    transform.setTranslate(SbVec3f(x, y, z));
    // A craft of a swarm is drawn by the swarm's node: no nodes, no draws.
    if (!group) {
        return;
    }
    SoSeparator* subtree = new SoSeparator;
    transformNode = new SoMatrixTransform;
    transformNode->matrix = transform;
    SoMaterial* material = new SoMaterial;
    material->diffuseColor.setValue(drawCraftColour());

    // Every kind keeps its placement and material under its subtree, so that
    // the group owns them; only the two known kinds add a shape.
    subtree->addChild(transformNode);
    subtree->addChild(material);
    addCraftShape(subtree, kind);
    group->addChild(subtree);
}

void CityBuilder::createFlyingObjects(int kind, int count, SoSeparator* group, RecordFiling& tree) {
    if (kind != 1 && kind != 2) {
        return;
    }
    if (count > separateCraftLimit) {
        releaseSwarm(kind, count, group, tree);
        return;
    }
    for (int n = 1; n <= count; ++n) {
        SbVec3f vekturekPohybu(0, 0, 0);
        // Separate statements keep the draws in the order z, y, x.
        const int r1 = draw();
        const int r2 = draw();
        const int r3 = draw();
        const SbVec3f at = tenCraftPosition(r1, r2, r3);

        FlyingObject* object =
            new FlyingObject(at[0], at[1], at[2], 0, 0, vekturekPohybu, kind, group);
        flyingObjects.append(fileCraft(kind, object, tree));
    }
}

void CityBuilder::releaseSwarm(int kind, int count, SoSeparator* group, RecordFiling& tree) {
    if (SoSwarm::getClassTypeId() == SoType::badType()) {
        SoSwarm::initClass();
    }
    SoSwarm* node = new SoSwarm;
    SoGroup* shape = new SoGroup;
    addCraftShape(shape, kind);
    node->model = shape;
    node->position.setNum(count);
    node->diffuseColor.setNum(count);
    SbVec3f* at = node->position.startEditing();
    SbColor* colour = node->diffuseColor.startEditing();

    // The same six draws a craft as for ten, in the same order.
    const CraftRelease release(count);
    swarmFirst = flyingObjects.getLength();
    for (int n = 0; n < count; ++n) {
        const int r1 = draw();
        const int r2 = draw();
        const int r3 = draw();
        at[n] = release.position(n, r1, r2, r3);
        FlyingObject* object =
            new FlyingObject(at[n][0], at[n][1], at[n][2], 0, 0, SbVec3f(0, 0, 0), kind, nullptr);
        colour[n] = drawCraftColour();
        flyingObjects.append(fileCraft(kind, object, tree));
    }
    node->position.finishEditing();
    node->diffuseColor.finishEditing();
    group->addChild(node);
    swarm = node;
}

void CityBuilder::showFlyingObjects() {
    if (!swarm) {
        return;
    }
    const int count = std::min(swarm->position.getNum(), flyingObjects.getLength() - swarmFirst);
    SbVec3f* at = swarm->position.startEditing();
    for (int i = 0; i < count; ++i) {
        const CollisionObject* record = flyingObjects[swarmFirst + i];
        if (record && record->owner) {
            at[i].setValue(record->owner->currentPosition);
        }
    }
    swarm->position.finishEditing();
}
