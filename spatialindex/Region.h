#pragma once

#include <Inventor/SbBox3f.h>

// The part of box inside region, half-open on each axis like the boxes'
// overlap: false when nothing of it is, as for a box that only touches the
// region. Boxes collide only inside the region, as in an octree built over it.
inline bool clipToRegion(const SbBox3f& box, const SbBox3f& region, SbBox3f& clipped) {
    SbVec3f min, max;
    for (int axis = 0; axis < 3; ++axis) {
        min[axis] =
            box.getMin()[axis] > region.getMin()[axis] ? box.getMin()[axis] : region.getMin()[axis];
        max[axis] =
            box.getMax()[axis] < region.getMax()[axis] ? box.getMax()[axis] : region.getMax()[axis];
        if (!(min[axis] < max[axis])) {
            return false;
        }
    }
    clipped.setBounds(min, max);
    return true;
}

// Whether all of box lies in region (faces included): the indexes decide
// collisions only inside it, so a mover's box must stay there.
inline bool insideRegion(const SbBox3f& box, const SbBox3f& region) {
    for (int axis = 0; axis < 3; ++axis) {
        if (!(box.getMin()[axis] >= region.getMin()[axis] &&
              box.getMax()[axis] <= region.getMax()[axis])) {
            return false;
        }
    }
    return true;
}
