#include "app/HeatWatch.h"

#include <algorithm>

#include "indexview/IndexView.h"

void HeatWatch::beforeMove(const CollisionIndex& index, const CollisionObject& filed,
                           const CollisionObject& tried) {
    view.heatMove(index, filed, tried);
}

void HeatWatch::follow(Session& session) {
    std::vector<MoveWatcher*>& watchers = session.moveWatchers;
    const auto at = std::find(watchers.begin(), watchers.end(), this);
    if (view.countsHeat() && at == watchers.end()) {
        watchers.push_back(this);
    } else if (!view.countsHeat() && at != watchers.end()) {
        watchers.erase(at);
    }
}
