#pragma once

#include <vector>

#include "spatialindex/CollisionIndex.h"

// Every record in one list: a tried record's box, clipped to the region, is
// tested against every filed box until one overlaps, and a removal searches
// the whole list. The baseline the other indexes are measured against.
class FlatIndex : public CollisionIndex {
public:
    explicit FlatIndex(const SbBox3f& region) : region(region) {}

    const char* name() const override { return "flat"; }
    void insert(const CollisionObject& record) override;
    void remove(const CollisionObject& record) override;
    bool insertAndCheck(const CollisionObject& record) override;
    // Empties the list at once.
    void removeAll(const std::vector<CollisionObject>&) override { records.clear(); }
    // In list order: as filed, a removed record's place taken by the last.
    void collect(std::vector<CollisionObject>& records) const override;

    // Every record's box, in list order; the box tests per check since the
    // previous walk (as at the previous walk when nothing was checked since).
    IndexNumbers walkBoxes(IndexBoxVisitor visit, void* data) const override;
    void explainMove(const CollisionObject& filed, const CollisionObject& tried,
                     MoveExplanation& explanation, bool withBoxes) const override;
    std::string describe(const IndexNumbers& numbers) const override;

    const std::vector<CollisionObject>& filed() const { return records; }
    // Checks made (insertAndCheck calls) and box tests they made, since the start.
    unsigned long checks() const { return checkCount; }
    unsigned long tests() const { return testCount; }

private:
    const SbBox3f region;
    std::vector<CollisionObject> records;
    unsigned long checkCount = 0;
    unsigned long testCount = 0;
    // What the previous walk saw.
    mutable unsigned long checksWalked = 0;
    mutable unsigned long testsWalked = 0;
    mutable double testsPerMoveWalked = 0;
};
