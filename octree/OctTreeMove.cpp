// A move decided before the tree changes: tryMove.
#include "octree/OctTree.h"
#include "octree/internal/MoveHints.h"
#include "octree/internal/OctTreeChangeCheck.h"
#include "octree/internal/OctantMasks.h"

// What a move would do, worked out in one walk before anything changes, on
// the tree as it is with the mover's filed record taken out: the walk goes
// down every octant the filed box or the tried one reaches, and keeps the
// leaves of each in the order remove and the filing visit them.
struct OctTree::Trial {
    // Room for the leaves of a small mover's two boxes, so that a move
    // allocates nothing; a move reaching more walks again to change them.
    static constexpr int room = 32;

    const CollisionObject& record;
    // The mover's filed box: seen as gone, and found in how many leaves.
    const SbBox3f* gone;
    int goneFound = 0;
    bool collides = false;
    // False where the filing would do more than append the tried record.
    bool onlyAppends = true;
    // True where the leaves did not all fit in the room below.
    bool roomFull = false;
    // With homes, the walk notes the deepest node it passes that holds each
    // box inside (holdsInside): where that box's next move can start.
    bool homes = false;
    OctTree* goneHome = nullptr;
    OctTree* triedHome = nullptr;
    // The leaves the filed box reaches (remove looks there, a refused move
    // files the mover again there) and those the tried record would be
    // appended to.
    OctTree* goneLeaves[room];
    int goneCount = 0;
    OctTree* triedLeaves[room];
    int triedCount = 0;
#if defined(BRENNOC_SSE_OCTANTS)
    // Both boxes' corners as the octant test reads them, loaded once a move.
    __m128 goneMin, goneMax, triedMin, triedMax;
#endif

    Trial(const CollisionObject& record, const SbBox3f* gone) : record(record), gone(gone) {
#if defined(BRENNOC_SSE_OCTANTS)
        auto lanes = [](const SbVec3f& v) { return _mm_setr_ps(v[0], v[1], v[2], 0.0f); };
        goneMin = lanes(gone->getMin());
        goneMax = lanes(gone->getMax());
        triedMin = lanes(record.box->getMin());
        triedMax = lanes(record.box->getMax());
#endif
    }
};

bool OctTree::tryMove(CollisionObject from, CollisionObject to) {
    if (to.box == nullptr || from.box == nullptr) {
        return moveByFourCalls(from, to);
    }
    Trial trial(to, from.box);
    // The count insertAndCheck would see, after remove took the mover out.
    const int reachesTo = reachesRegion(*to.box);
    OctTree** hint = nullptr;
    if (this == root && from.owner != nullptr && from.owner == to.owner) {
        if (hints == nullptr) {
            hints = new MoveHints();
        }
        hint = &hints->hintFor(from.owner, static_cast<std::size_t>(recordsFiled));
        trial.homes = true;
        fetchAhead(*hints);
    }
    // Where the hinted node holds both boxes inside, the walk from the root
    // would go straight down to it: start there.
    OctTree* start = this;
    if (hint != nullptr && *hint != nullptr && (*hint)->holdsInside(*from.box) &&
        (*hint)->holdsInside(*to.box)) {
        start = *hint;
        trial.goneHome = start;
        trial.triedHome = start;
    }
    root->recordsFiled += reachesTo - 1;
    start->walkMove(trial, true, true);
    root->recordsFiled -= reachesTo - 1;
    // Where the filing would split or refuse, where the tried box is filed
    // already, or where the mover was not met (so remove would count
    // otherwise), the four calls decide.
    if (!trial.onlyAppends || trial.goneFound == 0) {
        return moveByFourCalls(from, to);
    }
    if (trial.roomFull) {
        return trial.collides ? refile(from) : moveByWalks(from, to, reachesTo);
    }
    if (hint != nullptr) {
        *hint = trial.collides ? trial.goneHome : trial.triedHome;
    }
    if (trial.collides) {
        // remove and then insert of the mover, in each leaf its box reaches:
        // its copies go and it is filed again. The filings depend only on
        // their own leaf and the root's counts, which are those insert would
        // see: the mover was found filed, so remove would take one off and
        // insert give it back.
        const ChangeCheck change(*this, from.box, from.box);
        for (int n = 0; n < trial.goneCount; ++n) {
            OctTree* leaf = trial.goneLeaves[n];
            if (leaf->objectCount > 0) {
                leaf->removeFromList(from.box);
            }
            leaf->file(from, false);
        }
        return true;
    }
    // remove(from) in every leaf first, then the appends of the filing.
    const ChangeCheck change(*this, from.box, to.box);
    for (int n = 0; n < trial.goneCount; ++n) {
        OctTree* leaf = trial.goneLeaves[n];
        if (leaf->objectCount > 0) {
            leaf->removeFromList(from.box);
        }
    }
    root->recordsFiled += reachesTo - 1;
    for (int n = 0; n < trial.triedCount; ++n) {
        trial.triedLeaves[n]->keep(to, false);
    }
    return false;
}

// Movers move in the same order step after step, and a move's time is that
// of reading its node and its neighbours' boxes from memory: ask for the
// node of the move after next now, and for the boxes in the next one's node,
// asked for during the previous move, so that both have arrived when needed.
void OctTree::fetchAhead(const MoveHints& hints) {
#if defined(__GNUC__)
    if (const OctTree* later = hints.hintAhead(2)) {
        const char* lines = reinterpret_cast<const char*>(later);
        __builtin_prefetch(lines);
        __builtin_prefetch(lines + nodeAlignment);
        __builtin_prefetch(lines + 2 * nodeAlignment);
    }
    if (const OctTree* next = hints.hintAhead(1)) {
        const int count = next->objectCount < nodeCapacity ? next->objectCount : nodeCapacity;
        for (int i = 0; i < count; ++i) {
            __builtin_prefetch(next->objects[i].box);
        }
    }
#else
    (void)hints;
#endif
}

// The move as decided, its leaves found by walking again: the mover's copies
// taken out, then the tried record appended in every leaf its box reaches.
bool OctTree::moveByWalks(const CollisionObject& from, const CollisionObject& to, int reachesTo) {
    const ChangeCheck change(*this, from.box, to.box);
    removeCopies(from.box);
    root->recordsFiled += reachesTo - 1;
    appendBelow(to);
    return false;
}

void OctTree::appendBelow(const CollisionObject& record) {
    if (!isInner()) {
        keep(record, false);
        return;
    }
    for (unsigned reached = overlappedOctants(*record.box); reached != 0; reached &= reached - 1) {
        childBlock[lowestOctant(reached)].appendBelow(record);
    }
}

// remove and then insert of the same record, in one walk: in each leaf its
// box reaches, its copies go and it is filed again, as the refused move's
// leaves are when they fit in the room. Answers true: the move is refused.
bool OctTree::refile(const CollisionObject& record) {
    const ChangeCheck change(*this, record.box, record.box);
    refileBelow(record);
    return true;
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

bool OctTree::moveByFourCalls(const CollisionObject& from, const CollisionObject& to) {
    remove(from);
    if (!insertAndCheck(to)) {
        return false;
    }
    remove(to);
    insert(from);
    return true;
}

// Down the octants either box reaches, in ascending order, as remove and the
// filing each walk theirs; stops where the four calls will decide.
void OctTree::walkMove(Trial& trial, bool goneReaches, bool triedReaches) {
    if (trial.homes) {
        // The nodes holding a box inside lie on one path down, each a child
        // of the one before, and the walk meets them in that order: only a
        // child of the deepest found so far can be the next.
        if (goneReaches && parent == trial.goneHome && holdsInside(*trial.gone)) {
            trial.goneHome = this;
        }
        if (triedReaches && parent == trial.triedHome && holdsInside(*trial.record.box)) {
            trial.triedHome = this;
        }
    }
    if (isInner()) {
#if defined(BRENNOC_SSE_OCTANTS)
        // The node's planes loaded once for both boxes.
        const __m128 lo = _mm_loadu_ps(regionMin);
        const __m128 mid = _mm_loadu_ps(centre);
        const __m128 hi = _mm_loadu_ps(regionMax);
        const unsigned gone = goneReaches ? octree::octantMasks[octree::halvesReached(
                                                lo, mid, hi, trial.goneMin, trial.goneMax)]
                                          : 0u;
        const unsigned tried = triedReaches ? octree::octantMasks[octree::halvesReached(
                                                  lo, mid, hi, trial.triedMin, trial.triedMax)]
                                            : 0u;
#else
        const unsigned gone = goneReaches ? overlappedOctants(*trial.gone) : 0u;
        const unsigned tried = triedReaches ? overlappedOctants(*trial.record.box) : 0u;
#endif
        for (unsigned reached = gone | tried; reached != 0 && trial.onlyAppends;
             reached &= reached - 1) {
            const int k = lowestOctant(reached);
            childBlock[k].walkMove(trial, (gone >> k) & 1, (tried >> k) & 1);
        }
        return;
    }
    if (goneReaches) {
        if (trial.goneCount == Trial::room) {
            trial.roomFull = true;
        } else {
            trial.goneLeaves[trial.goneCount++] = this;
        }
    }
    if (triedReaches) {
        tryFiling(trial);
        return;
    }
    for (int i = 0; i < objectCount; ++i) {
        if (objects[i].box == trial.gone) {
            ++trial.goneFound;
            return;
        }
    }
}

// In a leaf the tried record reaches: whether filing would only append it,
// and whether it would collide there.
void OctTree::tryFiling(Trial& trial) {
    const SbBox3f& box = *trial.record.box;
    int staying = 0;
    bool goneHere = false;
    for (int i = 0; i < objectCount; ++i) {
        const SbBox3f* other = objects[i].box;
        if (other == trial.gone) {
            goneHere = true;
            continue;
        }
        if (other == &box) {
            trial.onlyAppends = false;
            return;
        }
        ++staying;
        trial.collides = trial.collides || boxesOverlap(box, *other);
    }
    trial.goneFound += goneHere;
    // Where the leaf is full without the mover, the decision to keep rather
    // than split is taken with the mover's record still in the list: a record
    // more can only turn keeping into splitting, which the four calls then do.
    if (staying >= nodeCapacity && (depth == maxDepth || !keepsInsteadOfSplitting(trial.record))) {
        trial.onlyAppends = false;
        return;
    }
    trial.collides = trial.collides || leafCollides(trial.gone);
    if (trial.triedCount == Trial::room) {
        trial.roomFull = true;
    } else {
        trial.triedLeaves[trial.triedCount++] = this;
    }
}
