#pragma once

#include <Inventor/SbLinear.h>

// Mode flags and motion state of the simulation, kept between steps.
extern bool physicsEnabled;
// The camera's record must be rebuilt at the camera's position before it takes
// part in collisions again (free-flight moves never touch the octree).
extern bool cameraObjectStale;
extern float flightSpeed;
extern float cameraThrust;
extern SbVec3f cameraVelocity;
// Phase of the orbit targets in degrees, shared by all flying objects.
extern float orbitPhase;

// Receives the cost of each physics step in microseconds. The default feeds the
// lower performance graph when there is one.
using CostSink = void (*)(float microseconds);
extern CostSink costSink;
// Feeds the lower graph one sample per physics step: the step's cost, or with
// graphOctreeShare on, the time spent inside octree calls since the previous
// sample (which needs octreeTiming on). Adds the sample to
// costGraphMicroseconds, also when there is no graph.
void feedCostGraph(float microseconds);
extern bool graphOctreeShare;
extern double costGraphMicroseconds;

// With octreeTiming on, the motion code adds the time it spends inside octree
// calls to octreeMicroseconds: the tree's own share of the step's cost. Off by
// default, as it reads the clock twice per call.
extern bool octreeTiming;
extern double octreeMicroseconds;
