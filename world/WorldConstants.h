#pragma once

#include <Inventor/SbBox3f.h>

// The world's fixed boxes, defined once for the program, its tests and its
// benchmarks.

// The octree's region: nothing outside it is filed, and no index counts an
// overlap outside it.
inline SbBox3f worldRegion() {
    return SbBox3f(-60, -110, -60, 60, 10, 60);
}

// Where the camera starts, and its record's box there.
inline SbVec3f cameraStartPosition() {
    return SbVec3f(1.5f, -3, 1.5f);
}
inline SbBox3f cameraStartBox() {
    return SbBox3f(1.45f, -3.05f, 1.45f, 1.55f, -2.95f, 1.55f);
}

// A thin slab from the ground plane down: whatever ends at y = 0 only touches
// it, whatever reaches past y = 0 collides.
inline SbBox3f groundSlab() {
    return SbBox3f(-500, 0, -500, 500, 0.001f, 500);
}
