// A move decided before the tree changes: tryMove.
#include <vector>

#include "octree/OctTree.h"
#include "octree/internal/OctTreeChangeCheck.h"

// What filing a tried record would do, worked out before anything changes,
// on the tree as it is with the mover's filed record taken out.
struct OctTree::Trial {
    const CollisionObject& record;
    // The mover's filed box: seen as gone, and found in how many leaves.
    const SbBox3f* gone;
    int goneFound;
    bool collides;
    // The leaves the filing would append the record to.
    std::vector<OctTree*>& leaves;
};

bool OctTree::tryMove(CollisionObject from, CollisionObject to) {
    if (to.box == nullptr) {
        return moveByFourCalls(from, to);
    }
    static thread_local std::vector<OctTree*> leaves;
    leaves.clear();
    Trial trial{to, from.box, 0, false, leaves};
    // The count insertAndCheck would see, after remove took the mover out.
    const int reachesTo = reachesRegion(*to.box);
    root->recordsFiled += reachesTo - 1;
    const bool onlyAppends = tryFiling(trial);
    root->recordsFiled -= reachesTo - 1;
    // Where the filing would split or refuse, where the tried box is filed
    // already, or where the mover was not met (so remove would count
    // otherwise), the four calls decide.
    if (!onlyAppends || trial.goneFound == 0) {
        return moveByFourCalls(from, to);
    }
    if (trial.collides) {
        refile(from);
        return true;
    }
    remove(from);
    const ChangeCheck change(*this, nullptr, to.box);
    root->recordsFiled += reachesTo;
    for (OctTree* leaf : leaves) {
        leaf->keep(to, false);
    }
    return false;
}

bool OctTree::moveByFourCalls(const CollisionObject& from, const CollisionObject& to) {
    remove(from);
    if (!insertAndCheck(to)) {
        return false;
    }
    remove(to);
    insert(from);
    return true;
}

// False where filing would do more than append the record: split a leaf,
// refuse the record at maxDepth, or add a second copy of its box to a leaf.
bool OctTree::tryFiling(Trial& trial) {
    const SbBox3f& box = *trial.record.box;
    if (isInner()) {
        for (unsigned reached = overlappedOctants(box); reached != 0; reached &= reached - 1) {
            if (!childBlock[lowestOctant(reached)].tryFiling(trial)) {
                return false;
            }
        }
        return true;
    }
    int staying = 0;
    bool goneHere = false;
    for (int i = 0; i < objectCount; ++i) {
        const SbBox3f* other = objects[i].box;
        if (other == trial.gone) {
            goneHere = true;
            continue;
        }
        if (other == &box) {
            return false;
        }
        ++staying;
        trial.collides = trial.collides || boxesOverlap(box, *other);
    }
    trial.goneFound += goneHere;
    // Where the leaf is full without the mover, the decision to keep rather
    // than split is taken with the mover's record still in the list: a record
    // more can only turn keeping into splitting, which the four calls then do.
    if (staying >= nodeCapacity && (depth == maxDepth || !keepsInsteadOfSplitting(trial.record))) {
        return false;
    }
    trial.collides = trial.collides || leafCollides(trial.gone);
    trial.leaves.push_back(this);
    return true;
}

// remove and then insert of the same record, in one walk: in each leaf its
// box reaches, its copies go and it is filed again. The filings depend only
// on their own leaf and the root's counts, which are those insert would see:
// the record was found filed, so remove would take one off and insert give
// it back.
void OctTree::refile(const CollisionObject& record) {
    const ChangeCheck change(*this, record.box, record.box);
    refileBelow(record);
}

void OctTree::refileBelow(const CollisionObject& record) {
    if (isInner()) {
        for (unsigned reached = overlappedOctants(*record.box); reached != 0;
             reached &= reached - 1) {
            childBlock[lowestOctant(reached)].refileBelow(record);
        }
        return;
    }
    if (objectCount > 0) {
        removeFromList(record.box);
    }
    file(record, false);
}
