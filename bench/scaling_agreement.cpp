#include "bench/scaling_agreement.h"

#include <cstdio>

#include "tests/support/CityWorkload.h"

bool Agreement::check(const Key& key, const std::string& space, const Outcomes& outcomes) {
    auto found = references.find(key);
    if (found == references.end()) {
        references[key] = Reference{space, outcomes, 1};
        return true;
    }
    const Reference& reference = found->second;
    const std::size_t movers = static_cast<std::size_t>(key.movers);
    for (std::size_t i = 0; i < outcomes.size() && i < reference.outcomes.size(); ++i) {
        if (outcomes[i] != reference.outcomes[i]) {
            std::fprintf(stderr,
                         "DISAGREEMENT with %d %s movers at step %zu, mover %zu: %s says %s, %s "
                         "says %s\n",
                         key.movers, key.start.c_str(), i / movers, i % movers, space.c_str(),
                         outcomes[i] ? "collided" : "free", reference.space.c_str(),
                         reference.outcomes[i] ? "collided" : "free");
            return false;
        }
    }
    if (outcomes.size() != reference.outcomes.size()) {
        std::fprintf(stderr, "DISAGREEMENT with %d %s movers: %zu moves against %zu\n", key.movers,
                     key.start.c_str(), outcomes.size(), reference.outcomes.size());
        return false;
    }
    ++found->second.runs;
    return true;
}

void Agreement::report() const {
    for (const auto& entry : references) {
        const Key& key = entry.first;
        std::fprintf(stderr,
                     "agreement check passed with %d %s movers over %zu steps (%s): %d runs, "
                     "same outcomes\n",
                     key.movers, key.start.c_str(), key.steps, key.rule.c_str(), entry.second.runs);
    }
}

WatchedOctreeSpace::WatchedOctreeSpace()
    : OctreeSpace(OctreeSpace::FOUR_CALLS), plain(worldRegion()) {}

void WatchedOctreeSpace::insert(const CollisionObject& record) {
    OctreeSpace::insert(record);
    plain.insert(record);
}

bool WatchedOctreeSpace::makeMove(const CollisionObject& filed, const CollisionObject& tried) {
    // The flat list's own first half of the move answers whether the tried
    // box overlaps another; its second half follows the octree's answer.
    plain.remove(filed);
    const bool overlapping = plain.insertAndCheck(tried);
    const bool collided = OctreeSpace::makeMove(filed, tried);
    if (collided) {
        plain.remove(tried);
        plain.insert(filed);
    }
    ++moves;
    refused += collided;
    refusedOverlapping += collided && overlapping;
    acceptedOverlapping += !collided && overlapping;
    return collided;
}
