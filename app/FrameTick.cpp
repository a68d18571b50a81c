#include "app/FrameTick.h"

#include <Inventor/sensors/SoOneShotSensor.h>

#include "app/Globals.h"
#include "perfgraph/SoPerfGraph.h"
#include "simulation/Simulation.h"

SbTime lastTickTime = SbTime::zero();

namespace {
unsigned long ticks = 0;
}

unsigned long frameTickCount() { return ticks; }

void restartFrameTick() {
    lastTickTime = SbTime::zero();
}

void frameTick(void*, SoSensor* sensor) {
    SoOneShotSensor* tick = static_cast<SoOneShotSensor*>(sensor);
    SbTime now = SbTime::getTimeOfDay();
    if (lastTickTime == SbTime::zero()) {
        lastTickTime = now;
        tick->schedule();
        return;
    }
    SbTime interval = now - lastTickTime;
    lastTickTime = now;
    // Two ticks within the clock's resolution, or a clock set back: nothing to
    // integrate or divide by.
    if (interval <= SbTime::zero()) {
        tick->schedule();
        return;
    }
    ++ticks;
    simulationStep(interval);
    tick->schedule();
    fpsGraph->addValue(static_cast<float>(1.0 / interval.getValue()));
}
