#pragma once

#include <Inventor/SbBox3f.h>
#include <Inventor/SbLinear.h>
#include <Inventor/lists/SbList.h>

class CollisionObject;
class SbViewportRegion;
class SoCamera;

// Picking a craft with the mouse: the ray through the pointer, from the view
// volume the camera shows, and the nearest craft box it meets.

// The view volume the camera shows in the viewport, as the render action
// adjusts it to the viewport's shape.
SbViewVolume shownViewVolume(const SoCamera& camera, const SbViewportRegion& viewport);

// The ray through a point of the viewport given in 0..1 from its lower left
// corner, from the near plane away from the eye.
SbLine pickRay(const SbViewVolume& volume, const SbVec2f& normalizedPoint);

// Whether the ray from `from` along `direction` meets the box in front of
// `from` (or `from` lies in it); distance is then how far along the ray it
// enters, in units of direction's length (0 from inside).
bool rayMeetsBox(const SbVec3f& from, const SbVec3f& direction, const SbBox3f& box,
                 float& distance);

// The number in records of the craft whose box the ray meets first, or -1
// when it meets none. Empty entries and records without a box are passed over.
int pickCraft(const SbLine& ray, const SbList<CollisionObject*>& records);
