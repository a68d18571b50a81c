#pragma once

#include <Inventor/SbTime.h>

class SoSensor;

// Time of the previous tick; zero until the first tick has run.
extern SbTime lastTickTime;

// Callback of the one-shot tick sensor: one simulation step per main-loop
// pass. The sensor's data is the run's Session, which the step is handed and
// which counts the ticks that ran a step.
void frameTick(void* session, SoSensor* sensor);
