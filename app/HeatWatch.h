#pragma once

#include "simulation/Session.h"

class IndexView;

// Hands every mover's moves to the overlay's heat colouring (key C), which
// asks the octree what each would test. It is in the session's watchers only
// while the overlay counts heat, so that moves cost nothing more otherwise.
class HeatWatch : public MoveWatcher {
public:
    explicit HeatWatch(IndexView& view) : view(view) {}

    bool watches(const FlyingObject*) const override { return true; }
    void beforeMove(const CollisionIndex& index, const CollisionObject& filed,
                    const CollisionObject& tried) override;
    void afterMove(const FlyingObject*, const CollisionObject&, bool, bool, double) override {}

    // Puts the watch into the session's watchers, or takes it out, as the
    // view's heat counting is on or off.
    void follow(Session& session);

private:
    IndexView& view;
};
