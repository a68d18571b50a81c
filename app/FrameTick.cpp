#include "app/FrameTick.h"

#include <Inventor/sensors/SoOneShotSensor.h>

#include "app/Globals.h"
#include "perfgraph/SoPerfGraph.h"
#include "simulation/Session.h"
#include "simulation/Simulation.h"

SbTime lastTickTime = SbTime::zero();
TickDriver* tickDriver = nullptr;

void restartFrameTick() {
    lastTickTime = SbTime::zero();
}

void frameTick(void* data, SoSensor* sensor) {
    Session& session = *static_cast<Session*>(data);
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
    const SbTime measured = interval;
    if (tickDriver && !tickDriver->beforeStep(interval)) {
        tick->schedule();
        return;
    }
    ++session.ticks;
    simulationStep(interval, session);
    if (tickDriver) {
        tickDriver->afterStep(interval);
    }
    tick->schedule();
    fpsGraph->addValue(static_cast<float>(1.0 / measured.getValue()));
}
