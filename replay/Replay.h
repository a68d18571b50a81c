#pragma once

#include <Inventor/SbTime.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/FrameTick.h"
#include "replay/RecordingFile.h"
#include "replay/RecordingFormat.h"

class SoEvent;
struct Session;

// The state a recording checks after every physics step: every craft's
// position and velocity, then the camera's, as bit patterns.
std::uint64_t worldStateHash();

// Writes a run as it goes: main hands it every keyboard event, focus loss and
// change of the window's visibility; the frame tick, every interval it
// stepped with and, after a physics step, the state hash.
class Recorder : public TickDriver {
public:
    Recorder(RecordingWriter& writer, Session& session) : writer(writer), session(session) {}

    void keyEvent(const SoEvent* event);
    void focusLost();
    void visibilityChanged(bool shown);

    bool beforeStep(SbTime& interval) override;
    void afterStep(const SbTime& interval) override;

private:
    RecordingWriter& writer;
    Session& session;
    unsigned long stepsBefore = 0;
};

// Feeds a recording's intervals and events to the step instead of the clock
// and the keyboard, and compares the state after every physics step with the
// recorded hash. A recorded Escape is the recording's end and is not
// delivered; the end of the recording, or endNow, prints the machine line.
class Player : public TickDriver {
public:
    Player(const recording::Recording& recording, Session& session, bool realSpeed);

    // Delivers the events before the next tick and gives its interval; false
    // when no tick is left. With realSpeed, first waits until as much time
    // has passed since the first tick as the recording had.
    bool nextTick(SbTime& interval);
    // Compares the state if the tick made a physics step.
    void tickDone();

    // In a window: the tick's interval from the recording, or at its end the
    // line and the end of the process. At the recorded pace a tick that comes
    // early is skipped instead of waited for, so the window stays live.
    bool beforeStep(SbTime& interval) override;
    void afterStep(const SbTime& interval) override;

    // With the camera trace chosen, where the camera ended, as Escape says it
    // in a run: a replay's end is its Escape.
    void reportCamera() const;

    // Prints the line and ends the process with the session's exit code
    // (the user's Escape or the recording's end in a window).
    [[noreturn]] void endNow();

    // Prints "replay steps N state H matches" or "... diverged at step K" on
    // standard error in the C locale, with the mean microseconds of a step
    // when stepMicroseconds is not negative.
    void printLine(bool leadingNewline, double stepMicroseconds) const;

    unsigned long steps() const { return replayedSteps; }
    // The first step whose state differs from the recording's, or 0.
    unsigned long divergedAt() const;

private:
    bool due(SbTime interval);
    void deliver(const recording::Chunk& chunk);

    const recording::Recording& recording;
    Session& session;
    bool realSpeed;
    std::size_t next = 0;  // the chunk to deliver next
    std::vector<std::uint64_t> recordedStates;
    unsigned long replayedSteps = 0;
    unsigned long firstDifference = 0;
    bool reachedEnd = false;
    unsigned long stepsBefore = 0;
    SbTime started = SbTime::zero();
    SbTime recordedTime = SbTime::zero();
};

// Replays without a window or a display, as fast as it can (or at the recorded
// pace): builds the recording's world (its seed and craft, through index) in
// the program's globals, runs every recorded tick, prints the line with the
// mean time of a physics step and returns the exit code.
int replayWithoutWindow(const recording::Recording& recording, int index, Session& session,
                        bool realSpeed);
