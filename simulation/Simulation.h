#pragma once

#include <Inventor/SbTime.h>

struct Session;

// One step of the program's per-frame work, given the time since the last one
// and the run's session (its choices, hooks and figures). It integrates at
// most a quarter of a second, however long the interval measured.
void simulationStep(SbTime interval, Session& session);
