#pragma once

#include <Inventor/SbTime.h>

class SoSensor;

// Time of the previous tick; zero until the first tick has run.
extern SbTime lastTickTime;

// Callback of the one-shot tick sensor: one simulation step per main-loop pass.
void frameTick(void* userData, SoSensor* sensor);

// Makes the next tick only take the time, as the first one does: for a loop
// that carries on after a pause, which is no frame's interval.
void restartFrameTick();

// Ticks that ran a simulation step so far.
unsigned long frameTickCount();
