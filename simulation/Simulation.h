#pragma once

#include <Inventor/SbTime.h>

// One step of the program's per-frame work, given the time since the last one.
void simulationStep(SbTime interval);
