#include "spatialindex/MoveProtocol.h"

#include "spatialindex/CollisionIndex.h"

bool tryMove(CollisionIndex& index, const CollisionObject& filed, const CollisionObject& tried) {
    return index.tryMove(filed, tried);
}

void refile(CollisionIndex& index, const CollisionObject& old, const CollisionObject& replacement) {
    index.remove(old);
    index.insert(replacement);
}
