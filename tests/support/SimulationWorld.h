#pragma once

class SoSeparator;

// Puts the camera where start-up puts it, at rest, with its record filed in
// the global octree (which the caller has made); gravity and the craft's orbit
// phase as at start-up.
void placeCameraAtStart(SoSeparator* root);

// Frees what a run of the simulation leaves in the program's globals: every
// craft record with its flying object and box (flyingObjects is left empty),
// the camera's record with its box, and the octree with its nodes; forgets a
// swarm node, which goes with the caller's scene. Boxes of
// static things filed in the tree stay with whoever made them.
void releaseSimulationWorld();
