#include "spatialindex/FlatIndex.h"

#include <cstdio>

#include "octree/OctTree.h"
#include "spatialindex/Region.h"

void FlatIndex::insert(const CollisionObject& record) {
    if (record.box) {
        records.push_back(record);
    }
}

void FlatIndex::remove(const CollisionObject& record) {
    for (std::size_t i = 0; i < records.size();) {
        if (records[i].isSameObject(record)) {
            records[i] = records.back();
            records.pop_back();
        } else {
            ++i;
        }
    }
}

bool FlatIndex::insertAndCheck(const CollisionObject& record) {
    if (!record.box) {
        return false;
    }
    ++checkCount;
    bool collided = false;
    SbBox3f clipped;
    if (clipToRegion(*record.box, region, clipped)) {
        for (const CollisionObject& other : records) {
            ++testCount;
            if (OctTree::boxesOverlap(clipped, *other.box)) {
                collided = true;
                break;
            }
        }
    }
    records.push_back(record);
    return collided;
}

void FlatIndex::collect(std::vector<CollisionObject>& out) const {
    RecordsOncePerBox collected(out);
    for (const CollisionObject& record : records) {
        collected.offer(record);
    }
}

IndexNumbers FlatIndex::walkBoxes(IndexBoxVisitor visit, void* data) const {
    IndexNumbers numbers;
    numbers.records = static_cast<int>(records.size());
    for (const CollisionObject& record : records) {
        visit(data, *record.box, INDEX_RECORD, 0);
    }
    if (checkCount > checksWalked) {
        testsPerMoveWalked = double(testCount - testsWalked) / double(checkCount - checksWalked);
    }
    checksWalked = checkCount;
    testsWalked = testCount;
    numbers.testsPerMove = testsPerMoveWalked;
    return numbers;
}

std::string FlatIndex::describe(const IndexNumbers& numbers) const {
    char text[64];
    std::snprintf(text, sizeof text, "records %d  tests/move %.0f", numbers.records,
                  numbers.testsPerMove);
    return text;
}

void FlatIndex::explainMove(const CollisionObject& filed, const CollisionObject& tried,
                            MoveExplanation& explanation, bool withBoxes) const {
    explanation = MoveExplanation();
    SbBox3f clipped;
    if (tried.box == nullptr || !clipToRegion(*tried.box, region, clipped)) {
        return;
    }
    // The list as the move's removal of the mover leaves it: each copy's
    // place taken by the last record.
    std::vector<const CollisionObject*> left;
    left.reserve(records.size());
    for (const CollisionObject& record : records) {
        left.push_back(&record);
    }
    for (std::size_t i = 0; i < left.size();) {
        if (left[i]->isSameObject(filed)) {
            left[i] = left.back();
            left.pop_back();
        } else {
            ++i;
        }
    }
    for (const CollisionObject* other : left) {
        ++explanation.visited;
        ++explanation.tested;
        if (withBoxes) {
            explanation.testedRecords.push_back(*other);
        }
        if (OctTree::boxesOverlap(clipped, *other->box)) {
            explanation.refused = true;
            explanation.refusedBy = *other;
            return;
        }
    }
}
