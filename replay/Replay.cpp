#include "replay/Replay.h"

#include <Inventor/SoDB.h>
#include <Inventor/events/SoKeyboardEvent.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>

#include <cstdlib>
#include <cstring>
#include <thread>

#include "app/Globals.h"
#include "app/KeyStateTable.h"
#include "app/MachineLine.h"
#include "city/DataFiles.h"
#include "city/FlyingObject.h"
#include "octree/CollisionObject.h"
#include "octree/OctTree.h"
#include "simulation/Session.h"
#include "simulation/Simulation.h"
#include "simulation/SimulationState.h"
#include "spatialindex/IndexSet.h"
#include "world/BuildWorld.h"
#include "world/WorldConstants.h"

namespace {

std::uint64_t hashFloats(const float* values, int count, std::uint64_t hash) {
    return recording::fnv64(values, sizeof(float) * static_cast<std::size_t>(count), hash);
}

}  // namespace

std::uint64_t worldStateHash() {
    std::uint64_t hash = recording::fnv64Start;
    const SbList<CollisionObject*>& craft = cityBuilder.flyingObjects;
    for (int i = 0; i < craft.getLength(); ++i) {
        if (craft[i] && craft[i]->owner) {
            const FlyingObject& object = *craft[i]->owner;
            hash = hashFloats(object.currentPosition, 3, hash);
            hash = hashFloats(object.velocity.getValue(), 3, hash);
        }
    }
    if (camera) {
        hash = hashFloats(camera->position.getValue().getValue(), 3, hash);
    }
    return hashFloats(cameraVelocity.getValue(), 3, hash);
}

void Recorder::keyEvent(const SoEvent* event) {
    if (!event->isOfType(SoKeyboardEvent::getClassTypeId())) {
        return;
    }
    const SoKeyboardEvent* key = static_cast<const SoKeyboardEvent*>(event);
    // An event of neither state is neither a press nor a release to anyone.
    if (key->getState() == SoButtonEvent::UNKNOWN) {
        return;
    }
    recording::Chunk chunk;
    chunk.kind = recording::KEY;
    chunk.key = static_cast<std::uint32_t>(key->getKey());
    chunk.pressed = key->getState() == SoButtonEvent::DOWN;
    writer.add(chunk);
}

void Recorder::focusLost() {
    recording::Chunk chunk;
    chunk.kind = recording::FOCUS_LOST;
    writer.add(chunk);
}

void Recorder::visibilityChanged(bool shown) {
    recording::Chunk chunk;
    chunk.kind = shown ? recording::SHOWN : recording::UNMAPPED;
    writer.add(chunk);
}

bool Recorder::beforeStep(SbTime&) {
    stepsBefore = session.physicsSteps;
    return true;
}

void Recorder::afterStep(const SbTime& interval) {
    recording::Chunk tick;
    tick.kind = recording::TICK;
    tick.interval = interval.getValue();
    writer.add(tick);
    if (session.physicsSteps != stepsBefore) {
        recording::Chunk state;
        state.kind = recording::STATE;
        state.state = worldStateHash();
        writer.add(state);
    }
    writer.flush();
    if (writer.failed()) {
        session.exitCode = 1;
    }
}

Player::Player(const recording::Recording& recording, Session& session, bool realSpeed)
    : recording(recording), session(session), realSpeed(realSpeed) {
    for (const recording::Chunk& chunk : recording.chunks) {
        if (chunk.kind == recording::STATE) {
            recordedStates.push_back(chunk.state);
        }
    }
}

void Player::deliver(const recording::Chunk& chunk) {
    switch (chunk.kind) {
        case recording::KEY: {
            // The recorded run ended here; its end is the recording's.
            if (chunk.key == static_cast<std::uint32_t>(SoKeyboardEvent::ESCAPE)) {
                return;
            }
            SoKeyboardEvent event;
            event.setKey(static_cast<SoKeyboardEvent::Key>(chunk.key));
            event.setState(chunk.pressed ? SoButtonEvent::DOWN : SoButtonEvent::UP);
            // The way the render area hands keys on: the run's own keys, then
            // the held-key table.
            if (!session.handleKey(&event)) {
                applyKeyEvent(&event);
            }
            return;
        }
        case recording::FOCUS_LOST:
            releaseHeldKeys();
            return;
        case recording::UNMAPPED:
        case recording::SHOWN:
        case recording::TICK:
        case recording::STATE:
            // The intervals recorded leave the pause out already.
            return;
    }
}

bool Player::due(SbTime interval) {
    if (!realSpeed) {
        return true;
    }
    const SbTime now = SbTime::getTimeOfDay();
    if (started == SbTime::zero()) {
        started = now;
    }
    return now - started >= recordedTime + interval;
}

bool Player::nextTick(SbTime& interval) {
    std::size_t tick = next;
    while (tick < recording.chunks.size() && recording.chunks[tick].kind != recording::TICK) {
        ++tick;
    }
    if (tick == recording.chunks.size()) {
        for (; next < tick; ++next) {
            deliver(recording.chunks[next]);
        }
        reachedEnd = true;
        return false;
    }
    const SbTime recorded(recording.chunks[tick].interval);
    while (!due(recorded)) {
        const SbTime wait = started + recordedTime + recorded - SbTime::getTimeOfDay();
        std::this_thread::sleep_for(
            std::chrono::microseconds(static_cast<long long>(wait.getValue() * 1e6) + 1));
    }
    for (; next <= tick; ++next) {
        deliver(recording.chunks[next]);
    }
    recordedTime += recorded;
    interval = recorded;
    stepsBefore = session.physicsSteps;
    return true;
}

void Player::tickDone() {
    if (session.physicsSteps == stepsBefore) {
        return;
    }
    ++replayedSteps;
    const bool same = replayedSteps <= recordedStates.size() &&
                      recordedStates[replayedSteps - 1] == worldStateHash();
    if (!same && firstDifference == 0) {
        firstDifference = replayedSteps;
    }
}

unsigned long Player::divergedAt() const {
    if (firstDifference != 0) {
        return firstDifference;
    }
    // A replay that ran out of ticks with steps of the recording still
    // unmade parts at the first of them.
    if (reachedEnd && replayedSteps < recordedStates.size()) {
        return replayedSteps + 1;
    }
    return 0;
}

bool Player::beforeStep(SbTime& interval) {
    if (realSpeed) {
        // Waiting here would stop the window's events: skip the pass instead.
        std::size_t tick = next;
        while (tick < recording.chunks.size() && recording.chunks[tick].kind != recording::TICK) {
            ++tick;
        }
        if (tick < recording.chunks.size() && !due(SbTime(recording.chunks[tick].interval))) {
            return false;
        }
    }
    if (!nextTick(interval)) {
        endNow();
    }
    return true;
}

void Player::afterStep(const SbTime&) {
    tickDone();
}

void Player::reportCamera() const {
    if (!session.cameraTrace || !camera) {
        return;
    }
    const SbVec3f at = camera->position.getValue();
    printMachineLine(stderr, "\ncamera at %.6f %.6f %.6f after %lu physics steps, still for %lu\n",
                     at[0], at[1], at[2], session.physicsSteps, session.cameraStillSteps);
}

void Player::endNow() {
    reportCamera();
    printLine(true, -1);
    // main's tear-down never runs after this exit, as after Escape.
    releaseFlyingObjectRecords();
    std::exit(session.exitCode);
}

void Player::printLine(bool leadingNewline, double stepMicroseconds) const {
    char verdict[64] = "matches";
    if (divergedAt() != 0) {
        std::snprintf(verdict, sizeof verdict, "diverged at step %lu", divergedAt());
    }
    printMachineLine(stderr, "%sreplay steps %lu state %016llx %s", leadingNewline ? "\n" : "",
                     replayedSteps, static_cast<unsigned long long>(worldStateHash()), verdict);
    if (stepMicroseconds >= 0) {
        printMachineLine(stderr, " step-us %.1f", stepMicroseconds);
    }
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

int replayWithoutWindow(const recording::Recording& recording, int index, Session& session,
                        bool realSpeed) {
    SoDB::init();
    installDataFileResolver();
    SoSeparator* root = new SoSeparator;
    root->ref();
    octree = new OctTree(worldRegion());
    // As in a window, the indexes live to the end of the process.
    IndexSet& indexes = *new IndexSet(*octree);
    indexes.choose(index);
    session.indexes = &indexes;
    buildWorld(root, indexes, recording.header.seed, recording.header.craft);

    Player player(recording, session, realSpeed);
    double stepSeconds = 0;
    SbTime interval;
    session.loopStart = SbTime::getTimeOfDay();
    while (player.nextTick(interval)) {
        ++session.ticks;
        const unsigned long before = session.physicsSteps;
        const SbTime start = SbTime::getTimeOfDay();
        simulationStep(interval, session);
        const SbTime end = SbTime::getTimeOfDay();
        if (session.physicsSteps != before) {
            stepSeconds += (end - start).getValue();
        }
        player.tickDone();
    }
    const unsigned long steps = player.steps();
    player.reportCamera();
    player.printLine(false, steps > 0 ? stepSeconds * 1e6 / steps : 0.0);
    releaseFlyingObjectRecords();
    root->unref();
    return session.exitCode;
}
