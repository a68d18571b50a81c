#pragma once

class CollisionIndex;
class CollisionObject;

// A mover's move is tried with CollisionIndex::tryMove, the same way through
// every index.

// Files replacement in place of old, without a check: the camera's record
// rebuilt where free flight left the camera.
void refile(CollisionIndex& index, const CollisionObject& old, const CollisionObject& replacement);
