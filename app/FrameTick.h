#pragma once

#include <Inventor/SbTime.h>

class SoSensor;

// Time of the previous tick; zero until the first tick has run.
extern SbTime lastTickTime;

// Callback of the one-shot tick sensor: one simulation step per main-loop
// pass. The sensor's data is the run's Session, which the step is handed and
// which counts the ticks that ran a step.
void frameTick(void* session, SoSensor* sensor);

// Watches or drives the ticks that step: a recording writes what each one
// stepped with, a replay gives each its interval from the recording. Null in
// an ordinary run.
class TickDriver {
public:
    virtual ~TickDriver() = default;
    // Before the step, with the interval measured; may replace it. False skips
    // this pass (a replay waiting for its recorded time).
    virtual bool beforeStep(SbTime& interval) = 0;
    // After the step, with the interval it integrated.
    virtual void afterStep(const SbTime& interval) = 0;
};
extern TickDriver* tickDriver;

// Makes the next tick only take the time, as the first one does: for a loop
// that carries on after a pause, which is no frame's interval.
void restartFrameTick();
