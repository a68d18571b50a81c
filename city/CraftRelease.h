#pragma once

#include <Inventor/SbBox3f.h>
#include <Inventor/SbLinear.h>

// Where a crowd of craft is released. Ten craft start anywhere in a block of
// 25 x 3 x 25 over the city and may start inside one another; a thousand
// there could never move. A crowd instead gets a block that grows with its
// count, at the density of those ten (until it reaches the edges of the
// collision space), cut into one cell per craft: each craft starts inside its
// own cell, so no two craft start in one another, and the block lies above
// every building and the camera's start.
// Up to this many craft start as the ten do, each drawn by a subtree of its
// own; more are released by CraftRelease and drawn by one swarm node.
const int separateCraftLimit = 10;

// Where one of up to ten craft starts, from three draws (0 ... 32767): r1
// along z, r2 along y, r3 along x, anywhere in the 25 x 3 x 25 block.
SbVec3f tenCraftPosition(int r1, int r2, int r3);

// The box a craft of the kind is filed under where it is released: kind 1
// centred on it, kind 2 off centre (x from -0.5 to +0.25, z from 0 to +0.5).
SbBox3f releaseBox(int kind, const SbVec3f& at);

class CraftRelease {
public:
    // The block and its cells for count craft (at least 1).
    explicit CraftRelease(int count);

    // Where craft n (0, 1, ...) starts, from the three draws (0 ... 32767)
    // that would place one of the ten: r1 along z, r2 along y, r3 along x.
    SbVec3f position(int n, int r1, int r2, int r3) const;

    SbVec3f blockMin;  // the block's corner with the smallest coordinates
    SbVec3f blockMax;
    SbVec3f cellSize;
    int cellsX, cellsY, cellsZ;

private:
    // Craft n takes cell (n * stride) mod the cell count: coprime with it, so
    // every craft gets a cell of its own, spread over the whole block.
    int stride;
};
