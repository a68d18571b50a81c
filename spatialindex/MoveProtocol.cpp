#include "spatialindex/MoveProtocol.h"

#include "spatialindex/CollisionIndex.h"

void refile(CollisionIndex& index, const CollisionObject& old, const CollisionObject& replacement) {
    index.remove(old);
    index.insert(replacement);
}
