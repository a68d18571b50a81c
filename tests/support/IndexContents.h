#pragma once

#include <map>

#include "octree/CollisionObject.h"

class CollisionIndex;

// A static thing's record around the box, as the city files its parts.
CollisionObject recordOf(SbBox3f* box);

// How many records of each box the index holds (collect gives one a box).
std::map<const SbBox3f*, int> held(const CollisionIndex& index);
