// Draws a swarm in a real window on a private X server and checks the pixels
// where its craft lie: near ones drawn through the model, far ones in the
// batch, both in the colour GL shows for the same material on any shape.
#include <Inventor/nodes/SoCube.h>
#include <Inventor/nodes/SoLightModel.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTranslation.h>
#include <gtest/gtest.h>

#include <array>

#include "swarm/SoSwarm.h"
#include "tests/support/RenderWindow.h"

namespace {

const bool xServer = (usePrivateXServer(), true);

using Pixel = std::array<int, 3>;

// A cube of the given size, colour and emissive colour at a place.
SoSeparator* cube(const SbVec3f& at, const SbColor& diffuse, const SbColor& glow) {
    SoSeparator* group = new SoSeparator;
    SoTranslation* place = new SoTranslation;
    place->translation = at;
    SoMaterial* material = new SoMaterial;
    material->diffuseColor = diffuse;
    material->ambientColor.setValue(0, 0, 0);
    material->emissiveColor = glow;
    SoCube* shape = new SoCube;
    shape->width = 1;
    shape->height = 0.2f;
    shape->depth = 1;
    group->addChild(place);
    group->addChild(material);
    group->addChild(shape);
    return group;
}

TEST(SwarmRender, NearCraftThroughTheModelFarOnesInTheBatchUnseenOnesLeftOut) {
    ASSERT_NE(testMainWindow(), nullptr);  // the scene library too
    SoSwarm::initClass();
    SoSeparator* root = new SoSeparator;
    root->ref();
    // From 30 above the ground plane y = 0, looking down (+y).
    SoPerspectiveCamera* camera = new SoPerspectiveCamera;
    camera->position.setValue(0, -30, 0);
    camera->farDistance = 100;
    camera->pointAt(SbVec3f(0, 0, 0), SbVec3f(0, 0, 1));
    root->addChild(camera);
    SoLightModel* unlit = new SoLightModel;
    unlit->model = SoLightModel::BASE_COLOR;
    root->addChild(unlit);

    // A colour far outside 0 ... 1, as the craft's are.
    const SbColor drawn(20000, 3000, 100);
    SoSwarm* swarm = new SoSwarm;
    swarm->position.set1Value(0, SbVec3f(-4, -10, 0));  // 20 away: the model
    swarm->position.set1Value(1, SbVec3f(4, 0, 0));     // 30 away: the batch
    swarm->position.set1Value(2, SbVec3f(0, -40, 0));   // behind the camera
    swarm->position.set1Value(3, SbVec3f(200, 0, 0));   // beside the view
    swarm->diffuseColor = drawn;
    SoCube* model = new SoCube;
    model->width = 1;
    model->height = 0.2f;
    model->depth = 1;
    swarm->model = model;
    swarm->detailDistance = 25;
    root->addChild(swarm);
    // The same material on a shape of its own, unlit, and, lit, a shape that
    // only glows: the swarm must leave the lighting state as it found it.
    root->addChild(cube(SbVec3f(0, 0, 6), drawn, SbColor(0, 0, 0)));
    SoSeparator* glowing = cube(SbVec3f(0, 0, -6), SbColor(0, 0, 0), SbColor(0, 0, 1));
    SoLightModel* lit = new SoLightModel;
    lit->model = SoLightModel::PHONG;
    glowing->insertChild(lit, 0);
    root->addChild(glowing);

    CapturingArea* area = showScene(root);
    ASSERT_NE(area, nullptr);

    const SbViewVolume view = camera->getViewVolume(800.0f / 600);
    auto pixelAt = [&](const SbVec3f& point) {
        SbVec3f screen;
        view.projectToScreen(point, screen);
        const int x = int(screen[0] * 800), y = int(screen[1] * 600);
        const unsigned char* p = &area->rgb[(size_t(y) * 800 + x) * 3];
        return Pixel{p[0], p[1], p[2]};
    };
    EXPECT_EQ(swarm->modelsDrawn(), 1);
    EXPECT_EQ(swarm->batchDrawn(), 1);
    const Pixel material = pixelAt(SbVec3f(0, 0, 6));
    EXPECT_NE(material, (Pixel{0, 0, 0}));
    EXPECT_EQ(pixelAt(SbVec3f(-4, -10, 0)), material) << "near craft";
    // The far craft's hull, between its dome and its rim.
    EXPECT_EQ(pixelAt(SbVec3f(4.36f, 0, 0)), material) << "far craft";
    EXPECT_EQ(pixelAt(SbVec3f(0, 0, -6)), (Pixel{0, 0, 255})) << "the glowing shape after";

    // One edit moves a craft.
    swarm->position.set1Value(1, SbVec3f(4, 0, -3));
    ASSERT_TRUE(area->nextFrame());
    EXPECT_EQ(pixelAt(SbVec3f(4.36f, 0, -3)), material) << "moved far craft";
    EXPECT_EQ(pixelAt(SbVec3f(4.36f, 0, 0)), (Pixel{0, 0, 0})) << "where it was";

    delete area;
    root->unref();
}

}  // namespace
