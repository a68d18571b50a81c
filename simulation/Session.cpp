#include "simulation/Session.h"

#include <Inventor/events/SoKeyboardEvent.h>

#include <algorithm>

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
    if (indexes) {
        IndexFigures& figures = perIndex[indexes->activeNumber()];
        ++figures.steps;
        figures.physicsMicroseconds += microseconds;
        figures.indexMicroseconds += indexShare;
    }
    const float sample = indexCost ? static_cast<float>(indexShare) : microseconds;
    graphMicroseconds += sample;
    if (costGraph) {
        costGraph->addValue(sample);
    }
}

bool Session::handleKey(const SoEvent* event) {
    const SoKeyboardEvent::Key keys[] = {SoKeyboardEvent::I, SoKeyboardEvent::P,
                                         SoKeyboardEvent::N};
    for (SoKeyboardEvent::Key key : keys) {
        if (SoKeyboardEvent::isKeyReleaseEvent(event, key)) {
            return true;
        }
        if (!SoKeyboardEvent::isKeyPressEvent(event, key)) {
            continue;
        }
        if (key == SoKeyboardEvent::I && indexes) {
            indexSwitchesAsked = (indexSwitchesAsked + 1) % IndexSet::count;
        } else if (key == SoKeyboardEvent::P) {
            paused = !paused;
            singleStepsAsked = 0;
        } else if (key == SoKeyboardEvent::N && paused) {
            ++singleStepsAsked;
        }
        return true;
    }
    return false;
}

void Session::setWatching(MoveWatcher* watcher, bool on) {
    const auto at = std::find(moveWatchers.begin(), moveWatchers.end(), watcher);
    if (on && at == moveWatchers.end()) {
        moveWatchers.push_back(watcher);
    } else if (!on && at != moveWatchers.end()) {
        moveWatchers.erase(at);
    }
}

void Session::switchIndexAsked() {
    if (indexes && indexSwitchesAsked != 0) {
        indexes->choose((indexes->activeNumber() + indexSwitchesAsked) % IndexSet::count);
    }
    indexSwitchesAsked = 0;
}
