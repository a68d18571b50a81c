#include "app/HeatWatch.h"

#include "indexview/IndexView.h"

void HeatWatch::beforeMove(const CollisionIndex& index, const CollisionObject& filed,
                           const CollisionObject& tried) {
    view.heatMove(index, filed, tried);
}

void HeatWatch::follow(Session& session) {
    session.setWatching(this, view.countsHeat());
}
