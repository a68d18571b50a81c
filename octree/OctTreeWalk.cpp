#include "octree/OctTree.h"

void OctTree::walkReached(const SbBox3f& box, LeafVisitor visit, void* data) const {
    if (!isInner()) {
        visit(data, *this, SbBox3f(octants[0].getMin(), octants[7].getMax()));
        return;
    }
    for (unsigned reached = overlappedOctants(box); reached != 0; reached &= reached - 1) {
        childBlock[lowestOctant(reached)].walkReached(box, visit, data);
    }
}

int OctTree::walkLeaves(LeafVisitor visit, void* data) const {
    int nodes = 1;
    bool leaf = true;
    for (const OctTree* child : children) {
        if (child != nullptr) {
            leaf = false;
            nodes += child->walkLeaves(visit, data);
        }
    }
    if (leaf) {
        // A node keeps no box of its own; its octants span it.
        visit(data, *this, SbBox3f(octants[0].getMin(), octants[7].getMax()));
    }
    return nodes;
}
