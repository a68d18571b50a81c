#pragma once

#include <Inventor/SbBox3f.h>
#include <Inventor/lists/SbList.h>

#include <cstddef>

#include "octree/CollisionObject.h"

// One node of the octree; the root is built over the whole region.
class OctTree {
public:
    explicit OctTree(SbBox3f box);
    OctTree(OctTree* parent, SbBox3f box);
    // Nodes live as long as their root; the program's root lives to the end.
    ~OctTree() {
        for (OctTree* child : children) {
            delete child;
        }
    }
    OctTree(const OctTree&) = delete;
    OctTree& operator=(const OctTree&) = delete;

    // Half-open per axis: boxes that only touch do not overlap.
    static bool boxesOverlap(const SbBox3f& first, const SbBox3f& second);

    void insert(CollisionObject record);
    // Deletes every copy of the record (same box pointer) from this subtree,
    // descending only into octants the record's box overlaps: a copy is filed
    // only where it overlaps, and a filed box never changes.
    void remove(CollisionObject record);
    // The same deletion visiting every node, whatever the box; the reference
    // the pruned walk is measured and checked against.
    void removeEverywhere(CollisionObject record);
    // Files the record like insert and reports whether any leaf it reached now
    // holds two overlapping records.
    bool insertAndCheck(CollisionObject record);
    OctTree* findCollidingNode(OctTree* node);

    // Nodes in this node's subtree, this node included.
    int nodeCount() const;
    // Bytes held by this subtree's nodes and their record lists.
    std::size_t memoryBytes() const;

    // A read-only walk: calls visit for every leaf of this subtree (a node
    // without children) with the leaf's region, and returns how many nodes
    // the subtree has.
    using LeafVisitor = void (*)(void* data, const OctTree& leaf, const SbBox3f& region);
    int walkLeaves(LeafVisitor visit, void* data) const;

    int objectCount;
    int depth;
    int nodeCapacity;
    int maxDepth;
    SbList<CollisionObject> objects;
    OctTree* parent;
    OctTree* children[8];
    SbBox3f octants[8];

    // Bounds on growth; the root sets them, children copy them. A full leaf
    // keeps its records instead of splitting when the split would take the
    // tree past nodeBudget nodes, or when two or more of its octants would
    // each receive all of its records: at any depth if the records share a
    // common region there, from crowdDepth on even if they only meet.
    int nodeBudget;
    int crowdDepth;
    OctTree* root;
    // Nodes created so far; kept up to date at the root only.
    int treeNodes;

    static constexpr int defaultNodeBudget = 100000;
    static constexpr int defaultCrowdDepth = 12;

private:
    bool file(const CollisionObject& record, bool check);
    void removeFromList(const CollisionObject& record);
    bool keepsInsteadOfSplitting(const CollisionObject& record) const;
    void split();
    SbBox3f region() const;
};
