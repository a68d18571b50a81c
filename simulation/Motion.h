#pragma once

#include <Inventor/SbLinear.h>

class CollisionIndex;
class CollisionObject;
class FlyingObject;
struct Session;

// Ownership of the movers' boxes: a mover's kept record (its entry in
// cityBuilder's flyingObjects, or cameraObject) owns its box, and the index's
// copies only share it. A move frees whatever it leaves unreferenced: the old
// box once the index's copies of it are removed, or the tried box when the move
// is refused. Tried records are values; only the camera's kept record is
// replaced as a whole. The boxes of the ground, streets and buildings are
// never touched.

// Half the size of a flying object's box once it has moved: 1 x 0.25 x 1,
// centred on its position.
inline const SbVec3f craftHalfExtent(0.5f, 0.125f, 0.5f);

// Where on a circle of the given radius the orbit phase (degrees) points,
// from the circle's centre.
SbVec3f orbitOffset(float radius, float phase);

// The point a flying object steers towards at the given orbit phase (degrees).
SbVec3f orbitTarget(const FlyingObject& object, float phase);

// Advances the shared orbit phase by one flying object's share.
void advanceOrbitPhase();

// Damps a flying object's velocity and adds its thrust, its steering towards
// the orbit target and gravity.
void accelerateFlyingObject(FlyingObject& object, float frameFactor);

// Damps the camera's velocity and adds its thrust and gravity.
void accelerateCamera(float frameFactor);

// The moves below go through the session's active index, count every move
// tried and tell the session's observer of it, and add the time they spend
// inside index calls to its figures when it asks for them.

// A move whose tried box would leave the indexes' region is refused like a
// collision, and a camera back from free flight outside the region is first
// put at its nearest place inside: no mover leaves the region.

// Moves one flying object by one step and files it in the index at its new
// place, or back at its old one when the tried place collides.
void moveFlyingObject(CollisionObject& record, float frameFactor, Session& session);

// Every record of cityBuilder's flyingObjects, first to last.
void moveFlyingObjects(float frameFactor, Session& session);

// Replaces cameraObject by a record around the camera's present position,
// filed in the index in place of the old one.
void rebuildCameraObject(CollisionIndex& index);

// Moves the camera by one step of its velocity unless the move collides;
// returns whether it moved.
bool moveCamera(float frameFactor, Session& session);

// Lets the index do its upkeep after a step's moves.
void finishMoves(Session& session);

// Counts into the session's moversOutside the craft records and the camera's
// record whose box does not lie inside the indexes' region.
void countMoversOutside(Session& session);
