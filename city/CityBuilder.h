#pragma once

#include <Inventor/lists/SbList.h>

class CollisionObject;
class ElementGrid;
class LayoutDraws;
class RecordFiling;
class SoSeparator;

// Builds the world once at start-up: surroundings, city layout, flying craft.
// Every collidable thing it builds is filed in the index it is handed.
// Each operation is defined beside what it builds: buildEnvironment in
// Environment.cpp, createFlyingObjects in FlyingObject.cpp, the rest in
// CityBuilder.cpp.
class CityBuilder {
public:
    CityBuilder();
    // Releases the array's storage only: the grid and its elements live to
    // the end of the process, and the craft's records are not the builder's.
    virtual ~CityBuilder();

    void buildEnvironment(SoSeparator* root, RecordFiling& tree);
    // Draws from the standard rand, or from the draws given.
    void generateCity(RecordFiling& tree);
    void generateCity(RecordFiling& tree, LayoutDraws& draws);
    void createFlyingObjects(int kind, int count, SoSeparator* group, RecordFiling& tree);
    void addCityToScene(SoSeparator* root);

    ElementGrid* grid;
    // Seed of the city's and the craft's draws. -1 (or any negative value)
    // means the process id; generateCity puts the seed it used here.
    int seed = -1;
    // The flying craft's records, in creation order. The program owns them:
    // its tear-down deletes them after the main loop, or the simulation step
    // does before Escape ends the process.
    SbList<CollisionObject*> flyingObjects;
};
