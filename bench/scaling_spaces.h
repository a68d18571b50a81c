#pragma once

// The three ways of deciding a move that the scaling benchmark compares. Each
// files static boxes and movers, and tries a mover's move from its filed box
// to a tried one: true when the tried box overlaps another filed box under the
// half-open rule; on false the mover is filed under the tried box.

#include <BulletCollision/BroadphaseCollision/btDbvtBroadphase.h>
#include <Inventor/SbBox3f.h>

#include <vector>

#include "octree/OctTree.h"
#include "tests/support/FlatList.h"

// The simulation's own way: take the mover out, file the tried record with
// insertAndCheck, and on a collision take that out and file the old one back.
class OctreeSpace {
public:
    // How a move goes through the tree.
    enum class Move {
        // tryMove: the tried record is filed only if the move goes ahead.
        tried,
        // The four calls themselves, with the pruned remove.
        fourCalls,
        // The same with removeEverywhere, the walk over every node.
        fourCallsEveryNode,
    };
    explicit OctreeSpace(Move move);

    void addStatic(const SbBox3f* box);
    void addMover(int index, SbBox3f* box);
    bool tryMove(int index, SbBox3f* from, SbBox3f* to);
    void endStep() {}

    OctTree tree;

private:
    void removeRecord(const CollisionObject& record);

    Move move;
};

// Every filed box in one list; the tried box is tested against all of them.
class FlatSpace {
public:
    void addStatic(const SbBox3f* box);
    void addMover(int index, SbBox3f* box);
    bool tryMove(int index, SbBox3f* from, SbBox3f* to);
    void endStep() {}

private:
    FlatList list;
};

// Bullet's dynamic AABB tree broadphase. The tried box is queried against the
// broadphase's trees; a candidate counts only if it overlaps under the
// half-open rule (the tree's own test is closed, touching boxes included). An
// accepted move updates the mover's proxy with setAabb.
class BulletSpace {
public:
    BulletSpace();
    ~BulletSpace();
    BulletSpace(const BulletSpace&) = delete;
    BulletSpace& operator=(const BulletSpace&) = delete;

    void addStatic(const SbBox3f* box);
    void addMover(int index, SbBox3f* box);
    bool tryMove(int index, SbBox3f* from, SbBox3f* to);
    // What the broadphase's own per-step collide would do to keep its tree good.
    void endStep();

    btDbvtBroadphase broadphase;

private:
    btBroadphaseProxy* addProxy(const SbBox3f* box, int group);

    std::vector<btBroadphaseProxy*> proxies;
    std::vector<btBroadphaseProxy*> moverProxies;
};
