#include "simulation/Session.h"

#include "app/Globals.h"
#include "perfgraph/SoPerfGraph.h"

void Session::physicsStepTaken(float microseconds, const SbTime& end) {
    if (physicsSteps++ == 0) {
        firstPhysicsStep = end;
    }
    lastPhysicsStep = end;
    physicsMicroseconds += microseconds;

    // Taken whichever time the sample shows, so that switching the choice
    // during a run cannot carry earlier time into a sample.
    const double indexShare = indexMicroseconds - indexMicrosecondsAtLastSample;
    indexMicrosecondsAtLastSample = indexMicroseconds;
    const float sample = graphIndexShare ? static_cast<float>(indexShare) : microseconds;
    graphMicroseconds += sample;
    if (costGraph) {
        costGraph->addValue(sample);
    }
}
