#pragma once

#include <Inventor/lists/SbList.h>

class CollisionObject;
class ElementGrid;
class OctTree;
class SoSeparator;

// Builds the world once at start-up: surroundings, city layout, flying craft.
class CityBuilder {
public:
    CityBuilder();
    virtual ~CityBuilder();

    void buildEnvironment(SoSeparator* root, OctTree& tree);
    void generateCity(OctTree& tree);
    void createFlyingObjects(int kind, int count, SoSeparator* group, OctTree& tree);
    void addCityToScene(SoSeparator* root);

    ElementGrid* grid;
    // The flying craft's records, in creation order.
    SbList<CollisionObject*> flyingObjects;
};
