#include "city/CraftRelease.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// The ten craft's block: 25 x 3 x 25 over x and z from 0, y from -10 to -7.
const double tenSide = 25;
const double tenHeight = 3;
const double tenCount = 10;
const double tenCentre = 12.5;
const double blockBottom = -7;  // y grows downwards; buildings reach up to -4

// The collision space is x and z from -60 to 60 and y from -110 up; a craft
// swings about five units round its start, so the block keeps six inside.
const double widest = 108;
const double tallest = 97;

// A craft's box reaches 0.5 from its centre along x and z (0.25 along y) in
// either of its shapes; a cell keeps a gap of 0.05 round it.
const SbVec3f reach(0.55f, 0.3f, 0.55f);

}  // namespace

SbVec3f tenCraftPosition(int r1, int r2, int r3) {
    const float z = static_cast<float>(r1 / 32768.0 * tenSide);
    const float y = static_cast<float>(r2 / 32768.0 * tenHeight - 10);
    const float x = static_cast<float>(r3 / 32768.0 * tenSide);
    return SbVec3f(x, y, z);
}

SbBox3f releaseBox(int kind, const SbVec3f& at) {
    const float px = at[0];
    const float py = at[1];
    const float pz = at[2];
    if (kind == 1) {
        return SbBox3f(px - 0.5f, py - 0.25f, pz - 0.5f, px + 0.5f, py + 0.25f, pz + 0.5f);
    }
    return SbBox3f(px - 0.5f, py - 0.25f, pz, px + 0.25f, py + 0.25f, pz + 0.5f);
}

CraftRelease::CraftRelease(int count) {
    count = std::max(count, 1);
    const double perCraft = tenSide * tenHeight * tenSide / tenCount;
    double side = std::min(tenSide * std::sqrt(count / tenCount), widest);
    double height = std::clamp(count * perCraft / (side * side), tenHeight, tallest);

    // Cells about twice as wide as high, whole layers of them.
    const double cellHeight = std::cbrt(side * side * height / count / 4);
    cellsY = std::max(1, static_cast<int>(height / cellHeight));
    cellsX = cellsZ = static_cast<int>(std::ceil(std::sqrt(double(count) / cellsY)));
    // A crowd too large for the space still gets cells that hold a craft: the
    // block then reaches past the collision space.
    const double minimumWidth = 2 * reach[0], minimumHeight = 2 * reach[1];
    const double cellWidth = std::max(side / cellsX, minimumWidth);
    const double layer = std::max(height / cellsY, minimumHeight);
    side = cellWidth * cellsX;
    height = layer * cellsY;
    cellSize.setValue(float(cellWidth), float(layer), float(cellWidth));

    const double centre =
        side < widest ? std::clamp(tenCentre, (side - widest) / 2, (widest - side) / 2) : 0;
    blockMin.setValue(float(centre - side / 2), float(blockBottom - height),
                      float(centre - side / 2));
    blockMax.setValue(float(centre + side / 2), float(blockBottom), float(centre + side / 2));

    const int cells = cellsX * cellsY * cellsZ;
    stride = std::max(1, static_cast<int>(cells * 0.618034));
    while (std::gcd(stride, cells) != 1) {
        ++stride;
    }
}

SbVec3f CraftRelease::position(int n, int r1, int r2, int r3) const {
    const long cells = long(cellsX) * cellsY * cellsZ;
    const long cell = long(n) * stride % cells;
    const int ix = static_cast<int>(cell % cellsX);
    const int iz = static_cast<int>(cell / cellsX % cellsZ);
    const int iy = static_cast<int>(cell / (long(cellsX) * cellsZ));
    // Layer 0 is the lowest, just above the city.
    const double x0 = blockMin[0] + double(ix) * cellSize[0];
    const double z0 = blockMin[2] + double(iz) * cellSize[2];
    const double y0 = blockMax[1] - double(iy + 1) * cellSize[1];
    auto within = [](double from, float size, float margin, int draw) {
        return from + margin + draw / 32768.0 * (size - 2 * margin);
    };
    return SbVec3f(static_cast<float>(within(x0, cellSize[0], reach[0], r3)),
                   static_cast<float>(within(y0, cellSize[1], reach[1], r2)),
                   static_cast<float>(within(z0, cellSize[2], reach[2], r1)));
}
