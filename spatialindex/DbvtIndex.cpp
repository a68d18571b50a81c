#include "spatialindex/DbvtIndex.h"

#include <cstdio>

#include "octree/OctTree.h"
#include "spatialindex/Region.h"

namespace {

btVector3 bulletVector(const SbVec3f& v) {
    return btVector3(v[0], v[1], v[2]);
}

SbVec3f sbVector(const btVector3& v) {
    return SbVec3f(v.getX(), v.getY(), v.getZ());
}

// Whether any candidate other than the skipped proxy really overlaps.
struct HalfOpenHit : btBroadphaseAabbCallback {
    HalfOpenHit(const btBroadphaseProxy* skipped, const SbBox3f& box)
        : skipped(skipped), box(box) {}

    bool process(const btBroadphaseProxy* proxy) override {
        if (proxy != skipped && !hit) {
            const CollisionObject& other =
                *static_cast<const CollisionObject*>(proxy->m_clientObject);
            hit = OctTree::boxesOverlap(box, *other.box);
        }
        return true;
    }

    const btBroadphaseProxy* skipped;
    const SbBox3f& box;
    bool hit = false;
};

void walk(const btDbvtNode* node, int depth, IndexBoxVisitor visit, void* data) {
    if (node == nullptr) {
        return;
    }
    const SbBox3f box(sbVector(node->volume.Mins()), sbVector(node->volume.Maxs()));
    visit(data, box, node->isleaf() ? INDEX_NODE_LEAF : INDEX_NODE, depth);
    if (node->isinternal()) {
        walk(node->childs[0], depth + 1, visit, data);
        walk(node->childs[1], depth + 1, visit, data);
    }
}

}  // namespace

DbvtIndex::DbvtIndex(const SbBox3f& region) : region(region) {
    // Pairs are never read; deferring keeps setAabb from searching for them.
    broadphase.m_deferedcollide = true;
}

DbvtIndex::~DbvtIndex() {
    for (const std::unique_ptr<Entry>& entry : entries) {
        broadphase.destroyProxy(entry->proxy, nullptr);
    }
}

void DbvtIndex::add(const CollisionObject& record) {
    entries.push_back(std::unique_ptr<Entry>(new Entry{record, nullptr, entries.size()}));
    Entry* entry = entries.back().get();
    // The client object is the entry's own copy of the record.
    entry->proxy = broadphase.createProxy(
        bulletVector(record.box->getMin()), bulletVector(record.box->getMax()), BOX_SHAPE_PROXYTYPE,
        &entry->record, btBroadphaseProxy::DefaultFilter, btBroadphaseProxy::AllFilter, nullptr);
    byBox.emplace(record.box, entry);
}

void DbvtIndex::drop(Entry* entry) {
    broadphase.destroyProxy(entry->proxy, nullptr);
    const std::size_t slot = entry->slot;
    entries[slot].swap(entries.back());
    entries[slot]->slot = slot;
    entries.pop_back();
}

void DbvtIndex::insert(const CollisionObject& record) {
    if (record.box) {
        add(record);
    }
}

void DbvtIndex::remove(const CollisionObject& record) {
    const auto found = byBox.equal_range(record.box);
    for (auto it = found.first; it != found.second; ++it) {
        drop(it->second);
    }
    byBox.erase(found.first, found.second);
}

bool DbvtIndex::overlapsAny(const SbBox3f& box, const btBroadphaseProxy* skipped) {
    SbBox3f clipped;
    if (!clipToRegion(box, region, clipped)) {
        return false;
    }
    HalfOpenHit hit(skipped, clipped);
    broadphase.aabbTest(bulletVector(clipped.getMin()), bulletVector(clipped.getMax()), hit);
    return hit.hit;
}

bool DbvtIndex::insertAndCheck(const CollisionObject& record) {
    if (!record.box) {
        return false;
    }
    const bool collided = overlapsAny(*record.box, nullptr);
    add(record);
    return collided;
}

DbvtIndex::Entry* DbvtIndex::loneEntry(const SbBox3f* from, const SbBox3f* to) {
    if (to == nullptr || to == from || byBox.count(from) != 1) {
        return nullptr;
    }
    return byBox.find(from)->second;
}

void DbvtIndex::refile(Entry* entry, const CollisionObject& to) {
    auto node = byBox.extract(entry->record.box);
    entry->record = to;
    node.key() = to.box;
    byBox.insert(std::move(node));
    broadphase.setAabb(entry->proxy, bulletVector(to.box->getMin()), bulletVector(to.box->getMax()),
                       nullptr);
}

bool DbvtIndex::moveAndCheck(const CollisionObject& from, const CollisionObject& to) {
    Entry* entry = loneEntry(from.box, to.box);
    if (!entry) {
        return CollisionIndex::moveAndCheck(from, to);
    }
    // Asked before the proxy moves: skipping the mover's own proxy is as if
    // it had been taken out.
    const bool collided = overlapsAny(*to.box, entry->proxy);
    refile(entry, to);
    return collided;
}

void DbvtIndex::moveBack(const CollisionObject& from, const CollisionObject& to) {
    Entry* entry = loneEntry(from.box, to.box);
    if (!entry) {
        CollisionIndex::moveBack(from, to);
        return;
    }
    refile(entry, to);
}

void DbvtIndex::removeAll(const std::vector<CollisionObject>&) {
    for (const std::unique_ptr<Entry>& entry : entries) {
        broadphase.destroyProxy(entry->proxy, nullptr);
    }
    entries.clear();
    byBox.clear();
}

void DbvtIndex::collect(std::vector<CollisionObject>& records) const {
    RecordsOncePerBox collected(records);
    for (const std::unique_ptr<Entry>& entry : entries) {
        collected.offer(entry->record);
    }
}

void DbvtIndex::stepDone() {
    broadphase.m_sets[0].optimizeIncremental(1);
}

void DbvtIndex::filedAll() {
    broadphase.optimize();
}

IndexNumbers DbvtIndex::walkBoxes(IndexBoxVisitor visit, void* data) const {
    for (const btDbvt& tree : broadphase.m_sets) {
        walk(tree.m_root, 0, visit, data);
    }
    IndexNumbers numbers;
    numbers.nodes = nodeCount();
    numbers.leaves = leafCount();
    numbers.depth = height();
    return numbers;
}

std::string DbvtIndex::describe(const IndexNumbers& numbers) const {
    char text[80];
    std::snprintf(text, sizeof text, "nodes %d  height %d  leaves %d", numbers.nodes, numbers.depth,
                  numbers.leaves);
    return text;
}

int DbvtIndex::leafCount() const {
    return broadphase.m_sets[0].m_leaves + broadphase.m_sets[1].m_leaves;
}

int DbvtIndex::nodeCount() const {
    int nodes = 0;
    for (const btDbvt& tree : broadphase.m_sets) {
        nodes += tree.m_leaves > 0 ? 2 * tree.m_leaves - 1 : 0;
    }
    return nodes;
}

int DbvtIndex::height() const {
    int height = 0;
    for (const btDbvt& tree : broadphase.m_sets) {
        const int levels = btDbvt::maxdepth(tree.m_root);
        if (levels - 1 > height) {
            height = levels - 1;
        }
    }
    return height;
}

// The query overlapsAny makes, told: the same walk as the broadphase's
// aabbTest (each tree's nodes from a stack, the second child first), every
// node whose fattened volume is tested counted, and the half-open test of each
// leaf's record other than the mover's own until the first overlap.
void DbvtIndex::explainMove(const CollisionObject& filed, const CollisionObject& tried,
                            MoveExplanation& explanation, bool withBoxes) const {
    explanation = MoveExplanation();
    SbBox3f clipped;
    if (tried.box == nullptr || !clipToRegion(*tried.box, region, clipped)) {
        return;
    }
    const btDbvtVolume bounds =
        btDbvtVolume::FromMM(bulletVector(clipped.getMin()), bulletVector(clipped.getMax()));
    std::vector<const btDbvtNode*> stack;
    for (const btDbvt& tree : broadphase.m_sets) {
        if (tree.m_root != nullptr) {
            stack.push_back(tree.m_root);
        }
        while (!stack.empty()) {
            const btDbvtNode* node = stack.back();
            stack.pop_back();
            ++explanation.visited;
            const bool met = Intersect(node->volume, bounds);
            int tests = 0;
            if (met && node->isinternal()) {
                stack.push_back(node->childs[0]);
                stack.push_back(node->childs[1]);
            } else if (met) {
                const btBroadphaseProxy* proxy = static_cast<const btDbvtProxy*>(node->data);
                const CollisionObject& other =
                    *static_cast<const CollisionObject*>(proxy->m_clientObject);
                if (other.box != filed.box && !explanation.refused) {
                    tests = 1;
                    ++explanation.tested;
                    if (withBoxes) {
                        explanation.testedRecords.push_back(other);
                    }
                    if (OctTree::boxesOverlap(clipped, *other.box)) {
                        explanation.refused = true;
                        explanation.refusedBy = other;
                    }
                }
            }
            if (withBoxes) {
                explanation.visitedBoxes.push_back(
                    SbBox3f(sbVector(node->volume.Mins()), sbVector(node->volume.Maxs())));
                explanation.visitedKinds.push_back(node->isleaf() ? INDEX_NODE_LEAF : INDEX_NODE);
                explanation.visitedTests.push_back(tests);
            }
        }
    }
}
