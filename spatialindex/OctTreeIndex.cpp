#include "spatialindex/OctTreeIndex.h"

#include <cstdio>

#include "octree/OctTree.h"

namespace {

void collectLeaf(void* data, const OctTree& leaf, const SbBox3f&) {
    RecordsOncePerBox& collected = *static_cast<RecordsOncePerBox*>(data);
    for (int i = 0; i < leaf.objectCount; ++i) {
        collected.offer(leaf.objects[i]);
    }
}

struct CellWalk {
    IndexBoxVisitor visit;
    void* data;
    IndexNumbers numbers;
};

void showLeaf(void* data, const OctTree& leaf, const SbBox3f& region) {
    CellWalk& walk = *static_cast<CellWalk*>(data);
    if (leaf.depth > walk.numbers.depth) {
        walk.numbers.depth = leaf.depth;
    }
    if (leaf.objectCount > 0) {
        walk.numbers.records += leaf.objectCount;
        ++walk.numbers.leaves;
        walk.visit(walk.data, region, INDEX_CELL, leaf.objectCount);
    }
}

// One tried move's decision in the leaves its box reaches, as the octree's
// move makes it: in each, the tried box against every record but the mover's
// own, then those records in pairs, each test only until the first overlap
// anywhere.
struct LeafExplanation {
    const SbBox3f& tried;
    const SbBox3f* gone;
    MoveExplanation& explanation;
    bool withBoxes;
};

void noteTested(LeafExplanation& walk, const CollisionObject& record) {
    std::vector<CollisionObject>& tested = walk.explanation.testedRecords;
    for (const CollisionObject& seen : tested) {
        if (seen.box == record.box) {
            return;
        }
    }
    tested.push_back(record);
}

bool testRecord(LeafExplanation& walk, const CollisionObject& record, const SbBox3f& against) {
    MoveExplanation& explanation = walk.explanation;
    ++explanation.tested;
    if (walk.withBoxes) {
        noteTested(walk, record);
    }
    if (OctTree::boxesOverlap(against, *record.box)) {
        explanation.refused = true;
        explanation.refusedBy = record;
        return true;
    }
    return false;
}

void explainLeaf(void* data, const OctTree& leaf, const SbBox3f& region) {
    LeafExplanation& walk = *static_cast<LeafExplanation*>(data);
    MoveExplanation& explanation = walk.explanation;
    const int testsBefore = explanation.tested;
    ++explanation.visited;
    for (int i = 0; i < leaf.objectCount && !explanation.refused; ++i) {
        const CollisionObject& other = leaf.objects[i];
        if (other.box != walk.gone && testRecord(walk, other, walk.tried)) {
            break;
        }
    }
    for (int i = 0; i < leaf.objectCount - 1 && !explanation.refused; ++i) {
        const CollisionObject& first = leaf.objects[i];
        if (first.box == walk.gone) {
            continue;
        }
        for (int j = i + 1; j < leaf.objectCount && !explanation.refused; ++j) {
            const CollisionObject& second = leaf.objects[j];
            if (second.box != walk.gone && testRecord(walk, second, *first.box)) {
                // The pair's first record is the one named.
                explanation.refusedBy = first;
            }
        }
    }
    if (walk.withBoxes) {
        explanation.visitedBoxes.push_back(region);
        explanation.visitedKinds.push_back(INDEX_CELL);
        explanation.visitedTests.push_back(explanation.tested - testsBefore);
    }
}

}  // namespace

void OctTreeIndex::insert(const CollisionObject& record) {
    tree.insert(record);
}

void OctTreeIndex::remove(const CollisionObject& record) {
    tree.remove(record);
}

bool OctTreeIndex::insertAndCheck(const CollisionObject& record) {
    return tree.insertAndCheck(record);
}

bool OctTreeIndex::makeMove(const CollisionObject& filed, const CollisionObject& tried) {
    return tree.tryMove(filed, tried);
}

void OctTreeIndex::collect(std::vector<CollisionObject>& records) const {
    RecordsOncePerBox collected(records);
    tree.walkLeaves(collectLeaf, &collected);
}

IndexNumbers OctTreeIndex::walkBoxes(IndexBoxVisitor visit, void* data) const {
    CellWalk walk{visit, data, IndexNumbers()};
    walk.numbers.nodes = tree.walkLeaves(showLeaf, &walk);
    return walk.numbers;
}

std::string OctTreeIndex::describe(const IndexNumbers& numbers) const {
    char text[96];
    std::snprintf(text, sizeof text, "nodes %d  records %d  depth %d  leaves %d", numbers.nodes,
                  numbers.records, numbers.depth, numbers.leaves);
    return text;
}

void OctTreeIndex::explainMove(const CollisionObject& filed, const CollisionObject& tried,
                               MoveExplanation& explanation, bool withBoxes) const {
    explanation = MoveExplanation();
    if (filed.box == nullptr || tried.box == nullptr) {
        return;
    }
    LeafExplanation walk{*tried.box, filed.box, explanation, withBoxes};
    tree.walkReached(*tried.box, explainLeaf, &walk);
}
