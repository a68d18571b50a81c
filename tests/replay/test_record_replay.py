"""Record a run in the real program's window and replay it: without a window
through each index (seed 7: nothing starts inside anything, so all three
match), twice with the same line, and in a window, where the replay ends by
itself with the same line, or earlier on the user's Escape, and where the
user's other keys change nothing. A run ended by closing its window or by
SIGTERM leaves a recording that is whole up to its last step."""

import os
import shutil
import signal
import subprocess
import tempfile

from brennoc_e2e import (COST_GRAPH_BOTTOM, BINARY, DATA_DIR, Brennoc, Xvfb, check, fail,
                         graph_region)
import recordings

FRAMES_FLOWN = 40


def record(path, ending):
    """Records a run with physics on, thrust and a turn, an index switch, and
    ends it by ending (Escape, close or SIGTERM); returns the exit code."""
    with Xvfb() as xvfb:
        app = Brennoc(xvfb, args=["--seed", "7", "--record", path])
        try:
            app.wait_window()
            width, height = app.geometry()[2:]
            whole = (0, 0, width, height)
            app.tap("e")
            app.key_down("a")
            app.wait_frames(FRAMES_FLOWN // 2, whole)
            app.key_up("a")
            app.hold("q", 0.2)
            app.tap("i")
            app.wait_frames(FRAMES_FLOWN // 2, whole)
            if ending == "Escape":
                app.tap("Escape")
            elif ending == "close":
                app.close_window()
            else:
                app.process.send_signal(signal.SIGTERM)
            code, _, _ = app.wait()
        finally:
            app.kill()
    return code


def replay_without_window(path, index):
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    result = subprocess.run([BINARY, "--replay", path, "--no-window", "--index", index],
                            cwd=DATA_DIR, env=env, capture_output=True, text=True, timeout=600)
    line = recordings.replay_line(result.stderr)
    if result.returncode != 0 or line is None:
        fail("replay of %s through %s: code %s, %r" % (path, index, result.returncode,
                                                       result.stderr[-300:]))
    return line


def replay_in_window(path, keys=None):
    """Replays in a window; with keys, at the recorded pace, and taps them
    once the replay's first physics step is drawn. Returns (exit code,
    parsed line)."""
    args = ["--replay", path] + (["--replay-speed", "real"] if keys else [])
    with Xvfb() as xvfb:
        app = Brennoc(xvfb, args=args)
        try:
            if keys:
                app.wait_window()
                # The lower graph's first bar is the replay's first physics step.
                width, height = app.geometry()[2:]
                app.wait_frames(1, graph_region(width, height, COST_GRAPH_BOTTOM))
                for key in keys:
                    app.tap(key)
            code, _, err = app.wait()
        finally:
            app.kill()
    return code, recordings.replay_line(err)


def main():
    folder = tempfile.mkdtemp(prefix="brennoc-record-replay-")
    try:
        path = os.path.join(folder, "escape.rec")
        check(record(path, "Escape") == 0, "a recorded run ends by Escape with 0")
        recorded = recordings.read(path)
        check(recorded.seed == 7 and recorded.craft == 10 and recorded.index == 0,
              "the header holds the seed, the craft and the index")
        check(recorded.steps() > 0, "the recording has physics steps (%d)" % recorded.steps())
        lines = {}
        for index in ("octree", "dbvt", "flat"):
            steps, state, diverged, _ = replay_without_window(path, index)
            check(steps == recorded.steps() and diverged is None,
                  "replayed through %s: all %d steps match (%d, diverged at %s)"
                  % (index, recorded.steps(), steps, diverged))
            lines[index] = (steps, state)
        check(len(set(lines.values())) == 1, "all three end in the same state")
        check(replay_without_window(path, "octree")[:3] == replay_without_window(path, "octree")[:3],
              "replaying twice gives the same line")

        code, line = replay_in_window(path)
        check(code == 0 and line is not None and line[:3] == (recorded.steps(), lines["octree"][1],
                                                              None),
              "replayed in a window it ends by itself with the same line (%s, %s)" % (code, line))
        # Physics off, another index, a pause, thrust: had any of them reached
        # the step, the replay would part from the recording.
        code, line = replay_in_window(path, keys=["r", "i", "p", "z", "e"])
        check(code == 0 and line is not None and line[:3] == (recorded.steps(),
                                                              lines["octree"][1], None),
              "the user's keys change nothing in a replay (%s, %s)" % (code, line))
        code, line = replay_in_window(path, keys=["Escape"])
        check(code == 0 and line is not None and 0 < line[0] < recorded.steps() and
              line[2] is None, "the user's Escape ends a replay early with its line (%s, %s)"
              % (code, line))

        for ending in ("close", "SIGTERM"):
            ended = os.path.join(folder, ending + ".rec")
            code = record(ended, ending)
            expected = 0 if ending == "close" else -signal.SIGTERM
            check(code == expected, "a recorded run ended by %s (code %s)" % (ending, code))
            steps, _, diverged, _ = replay_without_window(ended, "flat")
            check(steps == recordings.read(ended).steps() and steps > 0 and diverged is None,
                  "the recording of a run ended by %s is whole and matches (%d steps)"
                  % (ending, steps))
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    print("PASS", flush=True)


if __name__ == "__main__":
    main()
