#pragma once

// The scaling benchmark's check that its spaces decide moves alike.
//
// Spread movers start apart, and every filed box stays apart from the others
// (a move into another box is refused), so every space decides every move
// alike: the tried box collides exactly when it overlaps another filed box.
//
// Crowded movers start inside one another. The octree then refuses a move
// whose tried box overlaps nothing but reaches a leaf where two other boxes
// overlap each other; the pairwise spaces (the flat list, Bullet) test the
// tried box alone and accept it. Their paths part from the first such move,
// so each kind is compared with its own kind, and the octree is watched move
// by move against a plain list of the same boxes: every move whose tried box
// overlaps another box must be refused by the octree too.

#include <cstddef>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "bench/scaling_spaces.h"
#include "spatialindex/FlatIndex.h"

// One outcome per move in the order tried: true where the move was refused.
using Outcomes = std::vector<bool>;

class Agreement {
public:
    // Runs under one key must decide alike: the same start and movers, the
    // same number of steps, and a rule that decides alike from that start.
    struct Key {
        std::string start;
        std::string rule;
        int movers;
        std::size_t steps;

        bool operator<(const Key& other) const {
            return std::tie(start, rule, movers, steps) <
                   std::tie(other.start, other.rule, other.movers, other.steps);
        }
    };

    // Compares a run with the first of its key; at the first move decided
    // otherwise it says which on standard error and answers false.
    bool check(const Key& key, const std::string& space, const Outcomes& outcomes);
    // Standard error: a line for every key, with the runs that agreed.
    void report() const;

private:
    struct Reference {
        std::string space;
        Outcomes outcomes;
        int runs;
    };
    std::map<Key, Reference> references;
};

// The octree, its moves made by the four calls, with every filed box also
// kept in a flat list: before each move the tried box is tested against every
// other box, as a pairwise space tests it on the same state.
class WatchedOctreeSpace : public OctreeSpace {
public:
    WatchedOctreeSpace();

    void insert(const CollisionObject& record) override;

    int moves = 0;
    // Moves the octree refused, and of them those whose tried box overlapped
    // another box (the pairwise spaces refuse those on the same state).
    int refused = 0;
    int refusedOverlapping = 0;
    // Moves the octree accepted though the tried box overlapped another box:
    // must stay 0.
    int acceptedOverlapping = 0;

protected:
    bool makeMove(const CollisionObject& filed, const CollisionObject& tried) override;

private:
    FlatIndex plain;
};
