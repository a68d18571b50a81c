#pragma once

#include <Inventor/SbTime.h>

#include <vector>

#include "spatialindex/IndexSet.h"

class CollisionObject;
class FlyingObject;
class SoEvent;

// Told of every move tried: the tried record and whether it was refused.
using MoveObserver = void (*)(void* data, const CollisionObject& tried, bool refused);

// Follows the moves of the movers it chooses (one selected mover, or every
// one): asked of each move whether it watches that mover, then told of the
// move before the index is asked and after it answered. Watchers cost the
// moves nothing while none is in the session's list.
class MoveWatcher {
public:
    virtual ~MoveWatcher() = default;
    // The mover: a craft, or null for the camera.
    virtual bool watches(const FlyingObject* owner) const = 0;
    // The move about to be tried in the index, which has not changed yet.
    // Not called for a move the region's edge refuses before any index is
    // asked.
    virtual void beforeMove(const CollisionIndex& index, const CollisionObject& filed,
                            const CollisionObject& tried) = 0;
    // The move's answer: edge when the region's edge refused it before any
    // index was asked; the microseconds the index's tryMove took (0 then).
    virtual void afterMove(const FlyingObject* owner, const CollisionObject& tried, bool refused,
                           bool edge, double microseconds) = 0;
};

// What one run of the program keeps beyond the start-up's, the step's and the
// motion's own globals: the choices its command line made, the hooks that
// watch the moves, and the figures the steps measure. main owns the one
// instance and hands it to the frame tick as the sensor's data; the tick hands
// it to the step, the step to the motion code. A new Session is a fresh start.
struct Session {
    // The indexes the moves can go through; they go through the active one.
    IndexSet* indexes = nullptr;
    CollisionIndex& index() { return indexes->active(); }

    // The lower graph is given only the time spent inside collision-index
    // calls instead of each physics step's whole cost (--index-cost).
    bool indexCost = false;
    // Each index call is timed (two clock readings a call): on for the above
    // and for the frame statistics.
    bool indexTiming = false;
    // The frame statistics line is printed at exit (--frame-stats).
    bool frameStats = false;
    // Escape reports where the camera ended (--camera-trace).
    bool cameraTrace = false;
    // The code Escape or the window's closing ends the process with: 1 once
    // a recording could not be written, so that scripts notice.
    int exitCode = 0;

    // Told of every tried move; null unless someone watches (the overlay).
    MoveObserver moveObserver = nullptr;
    void* moveObserverData = nullptr;
    // Follow the movers they choose; empty unless someone watches.
    std::vector<MoveWatcher*> moveWatchers;
    // Puts the watcher into moveWatchers once, or takes it out.
    void setWatching(MoveWatcher* watcher, bool on);

    // While paused, a step moves nothing unless a single step was asked for
    // (one for each); that step integrates over the interval of the last
    // physics step that ran unpaused.
    bool paused = false;
    unsigned long singleStepsAsked = 0;
    SbTime lastPhysicsInterval = SbTime::zero();

    // Frame ticks that ran a step.
    unsigned long ticks = 0;
    SbTime loopStart;
    // Physics steps, the first and last one's end, and the steps since the
    // camera last moved.
    unsigned long physicsSteps = 0;
    SbTime firstPhysicsStep;
    SbTime lastPhysicsStep;
    unsigned long cameraStillSteps = 0;
    // Sums over all physics steps, in microseconds: their whole cost, the part
    // inside index calls (with indexTiming on) and what the lower graph got.
    double physicsMicroseconds = 0;
    double indexMicroseconds = 0;
    double graphMicroseconds = 0;
    // The same for the steps each index was active, in IndexSet's order.
    struct IndexFigures {
        unsigned long steps = 0;
        double physicsMicroseconds = 0;
        double indexMicroseconds = 0;
    };
    IndexFigures perIndex[IndexSet::count];
    // Moves tried (every craft's and the camera's in each step) and refused.
    unsigned long movesTried = 0;
    unsigned long movesRefused = 0;

    // Counts one physics step that took the given microseconds and ended at
    // end, for the active index too, and feeds the lower graph its sample: the
    // step's cost, or with indexCost the time inside index calls since
    // the previous sample.
    void physicsStepTaken(float microseconds, const SbTime& end);

    // The run's keys outside the held-key table, acted on when pressed
    // (between two steps): I asks for the next index, P pauses and resumes
    // the physics, N asks for one step while paused. Returns true for their
    // presses and releases, which should go no further.
    bool handleKey(const SoEvent* event);

    // Index switches asked for by I since the last step, counted round the
    // three indexes: a step moves the records at most once, straight to the
    // index they lead to, so that a storm of presses costs one switch and
    // Escape or the window's close never waits behind them.
    int indexSwitchesAsked = 0;
    // Makes the index the asked switches lead to active; called by the step.
    void switchIndexAsked();

    // Movers (craft and camera) whose box lay outside the indexes' region
    // when the run ended; counted just before their records are released.
    unsigned long moversOutside = 0;

private:
    double indexMicrosecondsAtLastSample = 0;
};
