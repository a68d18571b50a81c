#pragma once

// For the octree's own sources only (internal/: no user of the library sees it).

#include <vector>

#include "octree/OctTree.h"

// Put at the start of a public operation that changes the tree: when it goes
// out of scope it checks what the operation may have changed, and now and
// then the whole tree, and aborts on a broken invariant. Only builds with
// BRENNOC_OCTREE_VALIDATE check; in others it is empty.
class OctTree::ChangeCheck {
public:
#if defined(BRENNOC_OCTREE_VALIDATE)
    // removed: the box whose copies the operation takes out; filed: the box
    // it files. Either may be null.
    ChangeCheck(const OctTree& tree, const SbBox3f* removed, const SbBox3f* filed);
    ~ChangeCheck();

private:
    bool changedPartsHold(Validation& check) const;

    const OctTree& tree;
    const SbBox3f* removed;
    const SbBox3f* filed;
    int nodesBefore;
    int recordsFiledBefore;
    int recordsFiledChange;
    // The leaves the filed box reached before the operation: only there can
    // it split nodes.
    std::vector<const OctTree*> leavesReached;
#else
    ChangeCheck(const OctTree&, const SbBox3f*, const SbBox3f*) {}
#endif
    ChangeCheck(const ChangeCheck&) = delete;
    ChangeCheck& operator=(const ChangeCheck&) = delete;
};
