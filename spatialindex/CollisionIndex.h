#pragma once

#include <Inventor/SbBox3f.h>

#include <string>
#include <unordered_set>
#include <vector>

#include "octree/CollisionObject.h"
#include "spatialindex/RecordFiling.h"

// An index of collision records that decides whether a tried record collides.
// A record is known by its box pointer, as in the octree: records that share a
// box are one thing, and removing one removes them all. Every index covers the
// same region; boxes overlap only under the half-open rule of
// OctTree::boxesOverlap, and only inside the region (the octree files nothing
// outside it).
//
// Where no two other filed boxes overlap each other, every index gives the
// same answer: a tried record collides when its box overlaps another filed
// box inside the region. The octree answers whether any leaf the record
// reached now holds two overlapping records, so where two other records
// already overlap (craft released inside one another, the camera placed
// inside a building) it also refuses a record that reaches their leaf.
// The boxes an index shows of its own structure, for drawing.
enum IndexBoxKind {
    INDEX_CELL,       // a region of space holding records (an octree leaf); level: records held
    INDEX_NODE,       // an inner node of a bounding-volume tree; level: its depth
    INDEX_NODE_LEAF,  // a leaf of such a tree; level: its depth
    INDEX_RECORD,     // a filed record's own box; level: 0
};
using IndexBoxVisitor = void (*)(void* data, const SbBox3f& box, IndexBoxKind kind, int level);

// An index's figures as a reader such as the overlay shows them; each index
// fills those it has, the others stay 0.
struct IndexNumbers {
    int nodes = 0;            // nodes of its structure
    int records = 0;          // records held (the octree counts each leaf's copy)
    int depth = 0;            // the octree: its deepest node's depth; the dbvt: its height
    int leaves = 0;           // the octree: leaves holding records; the dbvt: all its leaves
    double testsPerMove = 0;  // the flat list: box tests per tried move since the last walk
};

// What one tried move did inside an index, as CollisionIndex::explainMove
// tells it: for the inspector and the heat colouring, never on a move's path.
struct MoveExplanation {
    // The octree: leaves the tried box reached; the dbvt: nodes whose volume
    // the query tested, inner nodes and leaves; the flat list: records tested.
    int visited = 0;
    // Box-overlap tests made against filed records, up to the first overlap
    // found: the octree also counts the tests of a reached leaf's other
    // records in pairs, which it makes as well.
    int tested = 0;
    // The answer tryMove would give.
    bool refused = false;
    // The filed record that refused it (for the octree's refusal of two other
    // records overlapping in a reached leaf, the first of them); box null
    // when accepted.
    CollisionObject refusedBy;

    // Filled only when explainMove is asked for boxes, in the order visited:
    // what was visited (leaves' regions, nodes' volumes, with their kinds, and
    // how many record tests were made in each), and every record tested, once.
    std::vector<SbBox3f> visitedBoxes;
    std::vector<IndexBoxKind> visitedKinds;
    std::vector<int> visitedTests;
    std::vector<CollisionObject> testedRecords;
};

// What each call costs, with n records filed: filing, removal and a check cost
// the octree O(depth) for each leaf the box reaches (a removal descends only
// where the box overlaps), the dbvt O(log n), the flat list O(n) (a removal
// searches the whole list); collect, walkBoxes and moving the records to
// another index visit everything.
class CollisionIndex : public RecordFiling {
public:
    virtual ~CollisionIndex() = default;

    // Its name as the overlay and the frame statistics show it.
    virtual const char* name() const = 0;
    // Deletes every filed record with the record's box.
    virtual void remove(const CollisionObject& record) = 0;
    // Files the record and reports whether it collides (see above).
    virtual bool insertAndCheck(const CollisionObject& record) = 0;
    // The one way a mover's move is tried, whatever the index: the mover's
    // filed record is taken out and the tried one filed with the colliding
    // insertion; when that collides, the tried record is taken out again and
    // the filed one put back. Returns true when the move is refused.
    // Afterwards the index holds the tried record in place of the filed one,
    // or, refused, the filed one again (a fresh copy). Records are known by
    // their boxes: filed must have the box the mover is filed under. Each
    // index makes it through the hooks below, with these answers and records.
    bool tryMove(const CollisionObject& filed, const CollisionObject& tried) {
        return makeMove(filed, tried);
    }
    // Deletes every filed record, given what collect gave: remove for each,
    // which an index may do in one go.
    virtual void removeAll(const std::vector<CollisionObject>& collected);
    // Called once after each physics step's moves, for upkeep an index may
    // want to spread over the steps.
    virtual void stepDone() {}
    // Called after the world was filed at once, for an index that rebuilds
    // itself then. (Records moved over from another index are not followed
    // by it: the rebuild would cost more than the switch.)
    virtual void filedAll() {}
    // Appends one record of every filed thing (one per box), in an order that
    // depends only on the index's contents and history. Visits every record.
    virtual void collect(std::vector<CollisionObject>& records) const = 0;

    // Calls visit for every box of the index's own structure, in an order
    // that depends only on its contents and history, and returns its figures.
    // Visits every node: for showing and testing, never for a move. By
    // default an index shows nothing.
    virtual IndexNumbers walkBoxes(IndexBoxVisitor visit, void* data) const;
    // The figures as the overlay's line gives them after the index's name,
    // such as "nodes 9  records 6  depth 1  leaves 3"; empty by default.
    virtual std::string describe(const IndexNumbers& numbers) const;
    // Tells what tryMove(filed, tried) would do, without changing anything:
    // the same answer, and what the decision visits and tests. (Where the
    // octree's filing would split a full leaf, it tells the leaves as they
    // are before the split; the answer can then differ.) Costs one more query
    // of the index, and the boxes' copies when asked for them: for the
    // inspector and the heat colouring, never on a move's own path.
    virtual void explainMove(const CollisionObject& filed, const CollisionObject& tried,
                             MoveExplanation& explanation, bool withBoxes) const = 0;

protected:
    // A whole move as tryMove gives it. By default moveAndCheck and, when
    // that collides, moveBack; an index may decide the move before it
    // changes anything.
    virtual bool makeMove(const CollisionObject& filed, const CollisionObject& tried);
    // remove(from), then insertAndCheck(to), with the same result and the
    // same records filed after it; an index may do both in one pass.
    virtual bool moveAndCheck(const CollisionObject& from, const CollisionObject& to);
    // remove(from), then insert(to): a refused move undone, which an index
    // may also do in one pass.
    virtual void moveBack(const CollisionObject& from, const CollisionObject& to);
};

// What collect appends through: each record offered whose box was not met
// before, so that records sharing a box go in once, as the first met.
class RecordsOncePerBox {
public:
    explicit RecordsOncePerBox(std::vector<CollisionObject>& records) : records(records) {}

    void offer(const CollisionObject& record) {
        if (seen.insert(record.box).second) {
            records.push_back(record);
        }
    }

private:
    std::vector<CollisionObject>& records;
    std::unordered_set<const SbBox3f*> seen;
};
