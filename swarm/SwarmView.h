#pragma once

#include <Inventor/SbViewVolume.h>

#include <vector>

// The craft a view shows, sorted by how they are drawn: those whose sphere of
// the given radius reaches into the view volume, nearer to its eye than
// detailDistance (in near) or not (in far), each by its index into positions.
// The volume and the positions are in the same space.
void sortCraftInView(const SbViewVolume& view, const SbVec3f* positions, int count, float radius,
                     float detailDistance, std::vector<int>& near, std::vector<int>& far);
