"""Physics mode in the real program: the camera, driven forwards and pulled by
gravity, moves and then comes to rest on the ground. The flight is a
recording (tests/data/fall.rec, from fall.script: seed 7, turned away from the
city, physics on, a second of thrust, then left alone), so the test compares
exactly instead of watching for the view to settle: replayed without a window
every step's state is the recorded one and the camera rests on the ground;
replayed in the program's window the view changes while it flies and the
camera ends bit for bit where it ended without one."""

import os
import re
import subprocess

from brennoc_e2e import BINARY, DATA_DIR, Brennoc, Xvfb, check, fail
import recordings

TRACE = re.compile(r"camera at (\S+) (\S+) (\S+) after (\d+) physics steps, still for (\d+)")
START = (1.5, -3.0, 1.5)
RECORDING = os.path.join(os.environ["BRENNOC_RECORDINGS"], "fall.rec")


def view_region(app):
    """The upper left of the view, clear of the graphs, relative to the window."""
    width, height = app.geometry()[2:]
    return 0, 0, width * 6 // 10, height * 6 // 10


def trace_and_line(err):
    match = TRACE.search(err)
    line = recordings.replay_line(err)
    if match is None or line is None:
        fail("no camera trace or replay line in %r" % err[-400:])
    return match.group(0), match.groups(), line


def main():
    recorded = recordings.read(RECORDING)
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    result = subprocess.run([BINARY, "--replay", RECORDING, "--no-window", "--camera-trace"],
                            cwd=DATA_DIR, env=env, capture_output=True, text=True, timeout=600)
    check(result.returncode == 0, "the replay ends with 0 (got %s)" % result.returncode)
    trace, fields, line = trace_and_line(result.stderr)
    check(line[0] == recorded.steps() and line[2] is None,
          "every one of the %d steps gives the recorded state (%s)" % (recorded.steps(), line))
    x, y, z = (float(v) for v in fields[:3])
    steps, still = (int(v) for v in fields[3:])
    print(trace, flush=True)
    check(steps > 0, "physics ran")
    distance = ((x - START[0]) ** 2 + (z - START[2]) ** 2) ** 0.5
    check(distance > 1.0, "the camera flew %.2f units from its start" % distance)
    check(-0.0551 < y <= -0.05, "the camera's box rests on the ground or a street (y %.5f)" % y)
    check(still >= 20, "the camera has been still for a while (%d steps)" % still)

    with Xvfb() as xvfb:
        app = Brennoc(xvfb, args=["--replay", RECORDING, "--camera-trace"])
        try:
            app.wait_window()
            view = view_region(app)
            first = app.capture(view)
            changed = False
            while not changed and app.process.poll() is None:
                changed = app.capture(view) != first
            xvfb.screenshot("fall_replay.png")
            code, _, err = app.wait(timeout=600)
        finally:
            app.kill()
    check(code == 0, "the replay in a window ends by itself with 0 (got %s)" % code)
    check(changed, "the view changes while the camera flies")
    window_trace, _, window_line = trace_and_line(err)
    check(window_trace == trace and window_line[:3] == line[:3],
          "in the window the camera ends exactly where it did without one (%s)" % window_trace)


if __name__ == "__main__":
    main()
