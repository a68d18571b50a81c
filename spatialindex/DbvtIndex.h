#pragma once

#include <BulletCollision/BroadphaseCollision/btDbvtBroadphase.h>

#include <memory>
#include <unordered_map>
#include <vector>

#include "spatialindex/CollisionIndex.h"

// Bullet's dynamic AABB tree broadphase as a collision index. Every record is
// one proxy whose box is the record's box; a tried record's box, clipped to the
// region, is queried against the trees, and a candidate counts only when it
// overlaps under the half-open rule (the tree's own test is closed and its
// boxes are fattened, so its candidates are a superset). Pairs are never
// searched for: a move asks the trees directly.
class DbvtIndex : public CollisionIndex {
public:
    explicit DbvtIndex(const SbBox3f& region);
    ~DbvtIndex() override;
    DbvtIndex(const DbvtIndex&) = delete;
    DbvtIndex& operator=(const DbvtIndex&) = delete;

    const char* name() const override { return "dbvt"; }
    void insert(const CollisionObject& record) override;
    void remove(const CollisionObject& record) override;
    bool insertAndCheck(const CollisionObject& record) override;
    // Every proxy destroyed in one pass over the entries.
    void removeAll(const std::vector<CollisionObject>& collected) override;
    // In the order the records were filed, a removed one's place taken by
    // the last.
    void collect(std::vector<CollisionObject>& records) const override;

    // One pass of the tree's incremental rebuild, the upkeep the broadphase's
    // own per-step collide would do.
    void stepDone() override;
    // A full top-down rebuild of the tree.
    void filedAll() override;

    // Every node of the broadphase's trees with its (fattened) box and its
    // depth below its root, inner nodes and leaves.
    IndexNumbers walkBoxes(IndexBoxVisitor visit, void* data) const override;
    void explainMove(const CollisionObject& filed, const CollisionObject& tried,
                     MoveExplanation& explanation, bool withBoxes) const override;
    std::string describe(const IndexNumbers& numbers) const override;
    int nodeCount() const;
    int leafCount() const;
    // Edges from the root down to the deepest leaf; 0 for an empty tree.
    int height() const;

    btDbvtBroadphase broadphase;

protected:
    // A lone record moves its proxy (setAabb) instead of leaving and coming back.
    bool moveAndCheck(const CollisionObject& from, const CollisionObject& to) override;
    void moveBack(const CollisionObject& from, const CollisionObject& to) override;

private:
    struct Entry {
        CollisionObject record;
        btBroadphaseProxy* proxy;
        std::size_t slot;
    };

    // Whether the box, clipped to the region, overlaps the box of a proxy
    // other than the one skipped.
    bool overlapsAny(const SbBox3f& box, const btBroadphaseProxy* skipped);
    void add(const CollisionObject& record);
    void drop(Entry* entry);
    // The entry of the one record filed under from, which a move to another
    // box can take along; null when none or several are.
    Entry* loneEntry(const SbBox3f* from, const SbBox3f* to);
    // The entry filed as to instead, its proxy moved.
    void refile(Entry* entry, const CollisionObject& to);

    const SbBox3f region;
    std::vector<std::unique_ptr<Entry>> entries;
    std::unordered_multimap<const SbBox3f*, Entry*> byBox;
};
