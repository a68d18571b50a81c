#include "octree/internal/MoveHints.h"

std::size_t MoveHints::firstSlot(const FlyingObject* owner) const {
    // The address itself, past the bits every allocation shares: owners made
    // one after another and moved in that order take slots in that order.
    const auto key = reinterpret_cast<std::uintptr_t>(owner);
    return static_cast<std::size_t>(key >> 4) & (slots.size() - 1);
}

std::size_t MoveHints::enter(const FlyingObject* owner, std::size_t liveOwners) {
    if (2 * (used + 1) > slots.size()) {
        grow(liveOwners);
    }
    const std::size_t mask = slots.size() - 1;
    std::size_t at = firstSlot(owner);
    while (slots[at].owner != owner && slots[at].owner != nullptr) {
        at = (at + 1) & mask;
    }
    if (slots[at].owner == nullptr) {
        slots[at].owner = owner;
        ++used;
    }
    return at;
}

OctTree*& MoveHints::hintFor(const FlyingObject* owner, std::size_t liveOwners) {
    const std::size_t at = enter(owner, liveOwners);
    if (last != none) {
        slots[last].follower = static_cast<std::uint32_t>(at);
    }
    last = static_cast<std::uint32_t>(at);
    return slots[at].hint;
}

const OctTree* MoveHints::hintAhead(int ahead) const {
    std::uint32_t at = last;
    for (int n = 0; n < ahead && at != none; ++n) {
        at = slots[at].follower;
    }
    return at != none ? slots[at].hint : nullptr;
}

void MoveHints::grow(std::size_t liveOwners) {
    std::vector<Slot> old;
    old.swap(slots);
    const bool forget = used > liveOwners;
    const std::size_t keep = forget ? 0 : used;
    std::size_t size = 64;
    while (2 * (keep + 1) > size) {
        size *= 2;
    }
    slots.assign(size, Slot());
    used = 0;
    if (forget) {
        last = none;
        return;
    }
    // Every owner moves to its new slot with its hint and its follower.
    std::vector<std::uint32_t> moved(old.size(), none);
    for (std::size_t n = 0; n < old.size(); ++n) {
        if (old[n].owner != nullptr) {
            moved[n] = static_cast<std::uint32_t>(enter(old[n].owner, liveOwners));
            slots[moved[n]].hint = old[n].hint;
        }
    }
    for (std::size_t n = 0; n < old.size(); ++n) {
        if (old[n].owner != nullptr && old[n].follower != none) {
            slots[moved[n]].follower = moved[old[n].follower];
        }
    }
    last = last != none ? moved[last] : none;
}
