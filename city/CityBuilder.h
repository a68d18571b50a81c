#pragma once

#include <Inventor/lists/SbList.h>

class CollisionObject;
class ElementGrid;
class LayoutDraws;
class RecordFiling;
class SoSeparator;
class SoSwarm;

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
    // Up to ten craft each get a subtree of their own under the group. More
    // are released over a block that grows with their count (CraftRelease)
    // and drawn by one SoSwarm node added to the group, kept in swarm.
    void createFlyingObjects(int kind, int count, SoSeparator* group, RecordFiling& tree);
    void addCityToScene(SoSeparator* root);
    // Shows the craft drawn by swarm where their records now are: one edit
    // of the node, after a step has moved them. Does nothing without a swarm.
    void showFlyingObjects();

    ElementGrid* grid;
    // Seed of the city's and the craft's draws. -1 (or any negative value)
    // means the process id; generateCity puts the seed it used here.
    int seed = -1;
    // The flying craft's records, in creation order. The program owns them:
    // its tear-down deletes them after the main loop, or the simulation step
    // does before Escape ends the process.
    SbList<CollisionObject*> flyingObjects;
    // The node that draws the craft from swarmFirst on in flyingObjects, or
    // null. It belongs to the group it was added to.
    SoSwarm* swarm = nullptr;
    int swarmFirst = 0;

private:
    void releaseSwarm(int kind, int count, SoSeparator* group, RecordFiling& tree);
};
