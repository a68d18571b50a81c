// Placeholder so that the tree links; the real octree replaces this file.
#include "octree/OctTree.h"

OctTree::OctTree(SbBox3f)
    : objectCount(0), depth(0), nodeCapacity(4), maxDepth(1000), parent(nullptr), children{} {}

OctTree::OctTree(OctTree* parent, SbBox3f)
    : objectCount(0),
      depth(parent->depth + 1),
      nodeCapacity(parent->nodeCapacity),
      maxDepth(parent->maxDepth),
      parent(parent),
      children{} {}

bool OctTree::boxesOverlap(const SbBox3f&, const SbBox3f&) { return false; }
void OctTree::insert(CollisionObject) {}
void OctTree::remove(CollisionObject) {}
bool OctTree::insertAndCheck(CollisionObject) { return false; }
OctTree* OctTree::findCollidingNode(OctTree*) { return nullptr; }
