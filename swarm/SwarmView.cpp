#include "swarm/SwarmView.h"

#include <Inventor/SbPlane.h>

void sortCraftInView(const SbViewVolume& view, const SbVec3f* positions, int count, float radius,
                     float detailDistance, std::vector<int>& near, std::vector<int>& far) {
    near.clear();
    far.clear();
    // Left, bottom, right, top, near and far, each facing into the volume.
    SbPlane planes[6];
    view.getViewVolumePlanes(planes);
    SbVec3f normal[6];
    float offset[6];
    for (int k = 0; k < 6; ++k) {
        normal[k] = planes[k].getNormal();
        offset[k] = planes[k].getDistanceFromOrigin() - radius;
    }
    const SbVec3f eye = view.getProjectionPoint();
    const float detail2 = detailDistance * detailDistance;
    for (int i = 0; i < count; ++i) {
        const SbVec3f& p = positions[i];
        // A NaN position fails every test and is left out.
        bool inside = true;
        for (int k = 0; k < 6 && inside; ++k) {
            inside = normal[k].dot(p) >= offset[k];
        }
        if (!inside) {
            continue;
        }
        if ((p - eye).sqrLength() < detail2) {
            near.push_back(i);
        } else {
            far.push_back(i);
        }
    }
}
