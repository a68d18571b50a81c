#include "tests/support/TreeBoxes.h"

#include <unordered_set>

#include "octree/OctTree.h"

namespace {

struct Collected {
    std::vector<SbBox3f*> boxes;
    std::unordered_set<const SbBox3f*> seen;
};

void collectLeaf(void* data, const OctTree& leaf, const SbBox3f&) {
    Collected& collected = *static_cast<Collected*>(data);
    for (int i = 0; i < leaf.objectCount; ++i) {
        SbBox3f* box = leaf.objects[i].box;
        if (collected.seen.insert(box).second) {
            collected.boxes.push_back(box);
        }
    }
}

}  // namespace

std::vector<SbBox3f*> boxesInTree(const OctTree& tree) {
    Collected collected;
    tree.walkLeaves(collectLeaf, &collected);
    return collected.boxes;
}

void releaseTree(OctTree& tree) {
    for (SbBox3f* box : boxesInTree(tree)) {
        delete box;
    }
}
