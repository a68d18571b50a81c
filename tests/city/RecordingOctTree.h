#pragma once

#include <vector>

#include "octree/CollisionObject.h"

// Every record handed to OctTree::insert, in order; the test owns their boxes.
extern std::vector<CollisionObject> filedRecords;
void forgetFiledRecords();
