#pragma once

// Frees what a run of the simulation leaves in the program's globals: every
// craft record with its flying object and box (flyingObjects is left empty),
// the camera's record with its box, and the octree with its nodes. Boxes of
// static things filed in the tree stay with whoever made them.
void releaseSimulationWorld();
