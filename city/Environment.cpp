#include <Inventor/SbBox3f.h>
#include <Inventor/nodes/SoEnvironment.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoPointLight.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoTranslation.h>

#include <cstdlib>

#include "city/CityBuilder.h"
#include "city/DataFiles.h"
#include "city/Skybox.h"
#include "octree/CollisionObject.h"
#include "spatialindex/RecordFiling.h"
#include "world/WorldConstants.h"

namespace {

// putenv keeps the string itself, so it must outlive the process's use of it.
char fpsCounterSetting[] = "COIN_SHOW_FPS_COUNTER=1";

}  // namespace

void CityBuilder::buildEnvironment(SoSeparator* root, RecordFiling& tree) {
    installDataFileResolver();
    putenv(fpsCounterSetting);

    SoEnvironment* environment = new SoEnvironment;
    environment->ambientIntensity = 0.75f;
    root->addChild(environment);

    SoPointLight* light = new SoPointLight;
    light->location.setValue(100, -200, 50);
    light->intensity = 1.0f;
    root->addChild(light);

    // The skybox is centred over the city with its floor just below y = 0.
    SoTranslation* toSkybox = new SoTranslation;
    toSkybox->translation.setValue(15, 0.0005f, 15);
    root->addChild(toSkybox);

    // Material and grass stay in force for everything added to the root later.
    SoMaterial* material = new SoMaterial;
    material->ambientColor.setValue(0.7f, 0.9f, 0.7f);
    root->addChild(material);

    SoTexture2* grass = new SoTexture2;
    setTextureFile(grass, "texture/Trava.jpg");
    root->addChild(grass);

    root->addChild(createSkybox());

    SoTranslation* back = new SoTranslation;
    back->translation.setValue(-15, -0.0005f, -15);
    root->addChild(back);

    SbBox3f* groundBox = new SbBox3f(groundSlab());
    const CollisionObject ground(1000, 0.1f, 1000, 0, 0.0005f, 0, groundBox, root);
    tree.insert(ground);
}
