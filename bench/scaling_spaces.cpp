#include "bench/scaling_spaces.h"

#include "tests/support/CityWorkload.h"

namespace {

CollisionObject recordOf(const SbBox3f* box) {
    const SbVec3f centre = box->getCenter();
    // The tree never writes through a record's box.
    return CollisionObject(centre[0], centre[1], centre[2], const_cast<SbBox3f*>(box));
}

btVector3 bulletVector(const SbVec3f& v) {
    return btVector3(v[0], v[1], v[2]);
}

// Collects whether any candidate other than the mover itself really overlaps.
struct HalfOpenHit : btBroadphaseAabbCallback {
    HalfOpenHit(const btBroadphaseProxy* self, const SbBox3f& tried) : self(self), tried(tried) {}

    bool process(const btBroadphaseProxy* proxy) override {
        if (proxy != self && !hit) {
            hit = OctTree::boxesOverlap(tried, *static_cast<const SbBox3f*>(proxy->m_clientObject));
        }
        return true;
    }

    const btBroadphaseProxy* self;
    const SbBox3f& tried;
    bool hit = false;
};

}  // namespace

OctreeSpace::OctreeSpace(Move move) : tree(cityRootBox()), move(move) {}

void OctreeSpace::addStatic(const SbBox3f* box) {
    tree.insert(recordOf(box));
}

void OctreeSpace::addMover(int, SbBox3f* box) {
    tree.insert(recordOf(box));
}

void OctreeSpace::removeRecord(const CollisionObject& record) {
    if (move == Move::fourCallsEveryNode) {
        tree.removeEverywhere(record);
    } else {
        tree.remove(record);
    }
}

bool OctreeSpace::tryMove(int, SbBox3f* from, SbBox3f* to) {
    const CollisionObject old = recordOf(from);
    const CollisionObject candidate = recordOf(to);
    if (move == Move::tried) {
        return tree.tryMove(old, candidate);
    }
    removeRecord(old);
    if (!tree.insertAndCheck(candidate)) {
        return false;
    }
    removeRecord(candidate);
    tree.insert(old);
    return true;
}

void FlatSpace::addStatic(const SbBox3f* box) {
    list.insert(recordOf(box));
}

void FlatSpace::addMover(int, SbBox3f* box) {
    list.insert(recordOf(box));
}

bool FlatSpace::tryMove(int, SbBox3f* from, SbBox3f* to) {
    const CollisionObject old = recordOf(from);
    list.remove(old);
    const CollisionObject candidate = recordOf(to);
    if (!list.insertAndCheck(candidate)) {
        return false;
    }
    list.remove(candidate);
    list.insert(old);
    return true;
}

BulletSpace::BulletSpace() {
    // Pairs are never read: a move asks the trees directly. Deferring keeps
    // setAabb from searching for pairs and filling the pair cache.
    broadphase.m_deferedcollide = true;
}

BulletSpace::~BulletSpace() {
    for (btBroadphaseProxy* proxy : proxies) {
        broadphase.destroyProxy(proxy, nullptr);
    }
}

btBroadphaseProxy* BulletSpace::addProxy(const SbBox3f* box, int group) {
    btBroadphaseProxy* proxy = broadphase.createProxy(
        bulletVector(box->getMin()), bulletVector(box->getMax()), BOX_SHAPE_PROXYTYPE,
        const_cast<SbBox3f*>(box), group, btBroadphaseProxy::AllFilter, nullptr);
    proxies.push_back(proxy);
    return proxy;
}

void BulletSpace::addStatic(const SbBox3f* box) {
    addProxy(box, btBroadphaseProxy::StaticFilter);
}

void BulletSpace::addMover(int index, SbBox3f* box) {
    if (static_cast<int>(moverProxies.size()) <= index) {
        moverProxies.resize(index + 1);
    }
    moverProxies[index] = addProxy(box, btBroadphaseProxy::DefaultFilter);
}

bool BulletSpace::tryMove(int index, SbBox3f*, SbBox3f* to) {
    btBroadphaseProxy* proxy = moverProxies[index];
    HalfOpenHit hit(proxy, *to);
    broadphase.aabbTest(bulletVector(to->getMin()), bulletVector(to->getMax()), hit);
    if (hit.hit) {
        return true;
    }
    proxy->m_clientObject = to;
    broadphase.setAabb(proxy, bulletVector(to->getMin()), bulletVector(to->getMax()), nullptr);
    return false;
}

void BulletSpace::endStep() {
    broadphase.m_sets[0].optimizeIncremental(1);
}
