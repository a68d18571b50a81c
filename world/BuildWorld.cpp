#include "world/BuildWorld.h"

#include "app/Globals.h"
#include "spatialindex/IndexSet.h"

void buildWorld(SoSeparator* root, IndexSet& indexes, int seed, int craft) {
    startCamera(root, indexes.active());

    turnWeight = 1.0f;
    turnInertia = 25.132741f;

    cityBuilder.buildEnvironment(root, indexes.active());
    cityBuilder.seed = seed;
    cityBuilder.generateCity(indexes.active());
    cityBuilder.createFlyingObjects(2, craft, root, indexes.active());
    indexes.active().filedAll();
}
