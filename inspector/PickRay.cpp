#include "inspector/PickRay.h"

#include <Inventor/SbViewVolume.h>
#include <Inventor/SbViewportRegion.h>
#include <Inventor/nodes/SoCamera.h>

#include <limits>

#include "octree/CollisionObject.h"

SbViewVolume shownViewVolume(const SoCamera& camera, const SbViewportRegion& viewport) {
    const float aspect = viewport.getViewportAspectRatio();
    SbViewVolume volume = const_cast<SoCamera&>(camera).getViewVolume(aspect);
    // With the camera adjusted to the viewport (the default), a viewport
    // taller than wide widens the volume instead of squashing the picture.
    if (camera.viewportMapping.getValue() == SoCamera::ADJUST_CAMERA && aspect < 1.0f &&
        aspect > 0.0f) {
        volume.scale(1.0f / aspect);
    }
    return volume;
}

SbLine pickRay(const SbViewVolume& volume, const SbVec2f& normalizedPoint) {
    SbLine ray;
    volume.projectPointToLine(normalizedPoint, ray);
    return ray;
}

bool rayMeetsBox(const SbVec3f& from, const SbVec3f& direction, const SbBox3f& box,
                 float& distance) {
    if (box.isEmpty()) {
        return false;
    }
    // The slabs' method: the ray's interval inside each pair of faces.
    float enter = 0.0f;
    float leave = std::numeric_limits<float>::max();
    for (int axis = 0; axis < 3; ++axis) {
        const float low = box.getMin()[axis];
        const float high = box.getMax()[axis];
        if (direction[axis] == 0.0f) {
            if (from[axis] < low || from[axis] > high) {
                return false;
            }
            continue;
        }
        float t0 = (low - from[axis]) / direction[axis];
        float t1 = (high - from[axis]) / direction[axis];
        if (t0 > t1) {
            const float swap = t0;
            t0 = t1;
            t1 = swap;
        }
        enter = t0 > enter ? t0 : enter;
        leave = t1 < leave ? t1 : leave;
        if (enter > leave) {
            return false;
        }
    }
    distance = enter;
    return true;
}

int pickCraft(const SbLine& ray, const SbList<CollisionObject*>& records) {
    int nearest = -1;
    float nearestDistance = std::numeric_limits<float>::max();
    for (int i = 0; i < records.getLength(); ++i) {
        const CollisionObject* record = records[i];
        float distance = 0.0f;
        if (record && record->box &&
            rayMeetsBox(ray.getPosition(), ray.getDirection(), *record->box, distance) &&
            distance < nearestDistance) {
            nearest = i;
            nearestDistance = distance;
        }
    }
    return nearest;
}
