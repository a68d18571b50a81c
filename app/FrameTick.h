#pragma once

#include <Inventor/SbTime.h>

class SoSensor;

// Time of the previous tick; zero until the first tick has run.
extern SbTime lastTickTime;

// Callback of the one-shot tick sensor: one simulation step per main-loop pass.
void frameTick(void* userData, SoSensor* sensor);

// Ticks that ran a simulation step so far.
unsigned long frameTickCount();
