#pragma once

class CollisionIndex;
class CollisionObject;

// The one way a mover's move is tried, whatever the index: the mover's filed
// record is taken out and the tried one filed with the colliding insertion;
// when that collides, the tried record is taken out again and the filed one
// put back. Returns true when the move is refused. Afterwards the index holds
// the tried record in place of the filed one, or, refused, the filed one
// again (a fresh copy). Records are known by their boxes: filed must have the
// box the mover is filed under. An index may decide the move before changing
// anything (CollisionIndex::tryMove).
bool tryMove(CollisionIndex& index, const CollisionObject& filed, const CollisionObject& tried);

// Files replacement in place of old, without a check: the camera's record
// rebuilt where free flight left the camera.
void refile(CollisionIndex& index, const CollisionObject& old, const CollisionObject& replacement);
