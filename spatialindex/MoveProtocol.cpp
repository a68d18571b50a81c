#include "spatialindex/MoveProtocol.h"

#include "spatialindex/CollisionIndex.h"

bool tryMove(CollisionIndex& index, const CollisionObject& filed, const CollisionObject& tried) {
    if (!index.moveAndCheck(filed, tried)) {
        return false;
    }
    index.moveBack(tried, filed);
    return true;
}

void refile(CollisionIndex& index, const CollisionObject& old, const CollisionObject& replacement) {
    index.remove(old);
    index.insert(replacement);
}
