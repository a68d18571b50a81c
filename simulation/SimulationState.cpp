#include "simulation/SimulationState.h"

#include "app/Globals.h"
#include "perfgraph/SoPerfGraph.h"

bool physicsEnabled = false;
bool cameraObjectStale = true;
float flightSpeed = 1.0f;
float cameraThrust = 0.0f;
SbVec3f cameraVelocity(0, 0, 0);
float orbitPhase = 0.001f;

CostSink costSink = feedCostGraph;

bool octreeTiming = false;
double octreeMicroseconds = 0;

bool graphOctreeShare = false;
double costGraphMicroseconds = 0;

namespace {

// octreeMicroseconds at the previous sample, whichever time that sample showed.
double octreeMicrosecondsAtLastSample = 0;

}  // namespace

void feedCostGraph(float microseconds) {
    const double octreeShare = octreeMicroseconds - octreeMicrosecondsAtLastSample;
    octreeMicrosecondsAtLastSample = octreeMicroseconds;
    if (graphOctreeShare) {
        microseconds = static_cast<float>(octreeShare);
    }
    costGraphMicroseconds += microseconds;
    if (costGraph) {
        costGraph->addValue(microseconds);
    }
}
