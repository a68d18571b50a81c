#pragma once

// Which mover the inspector follows: a craft by its number in cityBuilder's
// flyingObjects, the camera, or none.
const int noMover = -2;
const int cameraMover = -1;

// The mover Tab (step 1) or Shift+Tab (step -1) selects after current, in the
// order craft 0, 1, ..., the last craft, the camera, craft 0 again. From none,
// Tab starts at craft 0 and Shift+Tab at the camera; without craft both give
// the camera. A current craft beyond craftCount counts as the camera.
int nextMover(int current, int craftCount, int step);
