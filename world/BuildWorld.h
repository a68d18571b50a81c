#pragma once

class IndexSet;
class SoSeparator;

// Builds the world start-up builds, into the program's globals, without a
// window: the camera at its start with its record, the environment, the city
// from seed (-1: the process id; cityBuilder.seed then holds the one used) and
// count craft, every collidable thing filed in the set's active index. Adding
// the city's subtrees to the scene is left to the caller that draws it.
void buildWorld(SoSeparator* root, IndexSet& indexes, int seed, int craft);
