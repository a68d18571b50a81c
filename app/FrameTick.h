#pragma once

#include <Inventor/SbTime.h>

class SoSensor;

// Time of the previous tick; zero until the first tick has run.
extern SbTime lastTickTime;

// Callback of the one-shot tick sensor: one simulation step per main-loop
// pass. The sensor's data is the run's Session, which the step is handed and
// which counts the ticks that ran a step.
void frameTick(void* session, SoSensor* sensor);

// Makes the next tick only take the time, as the first one does: for a loop
// that carries on after a pause, which is no frame's interval.
void restartFrameTick();
