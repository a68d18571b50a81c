#include "bench/scaling_agreement.h"

#include <cstdio>

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

WatchedOctreeSpace::WatchedOctreeSpace() : octree(OctreeSpace::Move::fourCalls) {}

void WatchedOctreeSpace::addStatic(const SbBox3f* box) {
    octree.addStatic(box);
    statics.push_back(box);
}

void WatchedOctreeSpace::addMover(int index, SbBox3f* box) {
    octree.addMover(index, box);
    if (static_cast<int>(movers.size()) <= index) {
        movers.resize(index + 1);
    }
    movers[index] = box;
}

bool WatchedOctreeSpace::overlapsAnother(int index, const SbBox3f& tried) const {
    for (const SbBox3f* box : statics) {
        if (OctTree::boxesOverlap(tried, *box)) {
            return true;
        }
    }
    for (std::size_t i = 0; i < movers.size(); ++i) {
        if (static_cast<int>(i) != index && OctTree::boxesOverlap(tried, *movers[i])) {
            return true;
        }
    }
    return false;
}

bool WatchedOctreeSpace::tryMove(int index, SbBox3f* from, SbBox3f* to) {
    const bool overlapping = overlapsAnother(index, *to);
    const bool collided = octree.tryMove(index, from, to);
    ++moves;
    refused += collided;
    refusedOverlapping += collided && overlapping;
    acceptedOverlapping += !collided && overlapping;
    if (!collided) {
        movers[index] = to;
    }
    return collided;
}
