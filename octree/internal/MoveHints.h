#pragma once

// For the octree's own sources only (internal/: no user of the library sees it).

#include <cstddef>
#include <cstdint>
#include <vector>

class FlyingObject;
class OctTree;

// Where each mover's next move can start, by the record's owner: the deepest
// node that held the mover's box inside after its last move. A hint is a
// guess the tree checks before it uses it (the node must hold both boxes of
// the move inside; one that no longer does costs a walk from the root), so
// nothing else keeps the hints up to date.
//
// It also learns the order in which the movers move (each owner's follower:
// the owner whose move came next the last time), so that the tree can fetch
// the nodes of the moves to come while it makes this one.
//
// An open-addressed table with linear probing; owners stay once entered, as a
// program's craft do. Kept by the root only.
class MoveHints {
public:
    // The hint for the owner, entered empty (null) if the owner is new: the
    // caller reads it and writes the next one after the move. Notes the owner
    // as the follower of the one asked for before. Enters at most
    // liveOwners + 1 owners before it forgets them all and starts again, so
    // owners that come and go cannot grow the table without bound. Stays
    // valid until the next call.
    OctTree*& hintFor(const FlyingObject* owner, std::size_t liveOwners);

    // The hint of the owner expected to move `ahead` moves after the one
    // last asked for (1: the next one), or null where the order is not known.
    const OctTree* hintAhead(int ahead) const;

    // Bytes held by the table.
    std::size_t memoryBytes() const { return slots.capacity() * sizeof(Slot); }

private:
    static constexpr std::uint32_t none = ~0u;

    struct Slot {
        const FlyingObject* owner = nullptr;
        OctTree* hint = nullptr;
        std::uint32_t follower = none;
    };

    std::size_t firstSlot(const FlyingObject* owner) const;
    std::size_t enter(const FlyingObject* owner, std::size_t liveOwners);
    void grow(std::size_t liveOwners);

    // A power of two in size, at most half full; a null owner is a free slot.
    std::vector<Slot> slots;
    std::size_t used = 0;
    std::uint32_t last = none;
};
