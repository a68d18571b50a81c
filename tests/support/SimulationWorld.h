#pragma once

#include <Inventor/SbLinear.h>

#include <memory>
#include <vector>

#include "city/CityBuilder.h"
#include "simulation/Session.h"

class SoSeparator;

// Frees what a run of the simulation leaves in the program's globals: every
// craft record with its flying object and box (flyingObjects is left empty),
// the camera's record with its box, and the octree with its nodes; forgets a
// swarm node, which goes with the caller's scene. Boxes of
// static things filed in the tree stay with whoever made them.
void releaseSimulationWorld();

// The start every simulated world shares: Coin initialised, the step's and the
// key table's start values, the octree over the program's region with a
// fresh set of indexes in the session (the octree active), and the camera at
// its start, added to root and filed.
void startWorld(SoSeparator* root, Session& session, std::unique_ptr<IndexSet>& indexes);

// Frees the elements a builder laid out, and its grid.
void releaseCity(CityBuilder& builder);

// The collidable world as start-up builds it from a seed (buildWorld): the
// ground, the city, the camera at its start and the craft, filed in the chosen
// index of its own set (numbered as in IndexSet), with a fresh session and the
// simulation's and the key table's start values. The drawing is left out; the
// working folder must be the data folder. It lives in the program's globals,
// so only one exists at a time; it frees everything at its end.
class SeededWorld {
public:
    SeededWorld(int seed, int craft, int index);
    ~SeededWorld();
    SeededWorld(const SeededWorld&) = delete;
    SeededWorld& operator=(const SeededWorld&) = delete;

    // One step of the program's work at 50 steps a second.
    void step();
    // Each craft's position, then the camera's.
    std::vector<SbVec3f> positions() const;
    // Pairs of distinct things filed in the active index whose boxes overlap.
    int overlappingPairs() const;
    // The scene the world's nodes went into.
    SoSeparator* scene() const { return root; }

    Session session;
    std::unique_ptr<IndexSet> indexes;

private:
    SoSeparator* root;
};
