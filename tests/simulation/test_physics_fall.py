"""Physics mode in the real program: the camera, driven forwards and pulled by
gravity, moves and then comes to rest on the ground; Escape ends with 0."""

import re
import time

from brennoc_e2e import FPS_GRAPH_BOTTOM, Brennoc, Xvfb, check, fail, graph_region

TRACE = re.compile(r"camera at (\S+) (\S+) (\S+) after (\d+) physics steps, still for (\d+)")
START = (1.5, -3.0, 1.5)
# The fall takes a few hundred steps; on a loaded machine a step may take
# a good part of a second.
FLIGHT_TIMEOUT = 240
REST_FRAMES = 25
# A camera boxed in by a building at its start never changes the view.
STUCK_FRAMES = 150


def view_region(app):
    """The upper left of the view, clear of the graphs, relative to the window."""
    width, height = app.geometry()[2:]
    return 0, 0, width * 6 // 10, height * 6 // 10


def fly_once(attempt):
    """Turns away from the city, switches physics on, thrusts forwards, then
    watches the view until it has stayed the same over REST_FRAMES frames drawn.
    Returns (changed, at rest, exit code, stderr)."""
    with Xvfb() as xvfb:
        app = Brennoc(xvfb, extra_env={"BRENNOC_CAMERA_TRACE": "1"})
        try:
            app.wait_window()
            width, height = app.geometry()[2:]
            view = view_region(app)
            graph = graph_region(width, height, FPS_GRAPH_BOTTOM)
            app.hold("q", 0.8)  # face away from the city, towards -x
            xvfb.screenshot("fall%d_turned.png" % attempt)
            last = app.capture(view)
            app.tap("e")
            app.hold("a", 1.0)

            # Each change of the frame-rate graph is at least one frame drawn.
            changed, still_frames, frames_seen, captures = False, 0, 0, 0
            last_graph = app.capture(graph)
            deadline = time.time() + FLIGHT_TIMEOUT
            while still_frames < REST_FRAMES and time.time() < deadline:
                current, current_graph = app.capture(view), app.capture(graph)
                captures += 1
                drawn = current_graph != last_graph
                frames_seen += drawn
                if current != last:
                    changed, still_frames = True, 0
                elif changed and drawn:
                    still_frames += 1
                last, last_graph = current, current_graph
                if not changed and frames_seen >= STUCK_FRAMES:
                    break
            print("attempt %d: %d captures, %d frames seen drawn; view changed %s; "
                  "then still over %d frames" % (attempt, captures, frames_seen, changed,
                                                 still_frames), flush=True)
            xvfb.screenshot("fall%d_end.png" % attempt)
            app.tap("Escape")
            code, _, err = app.wait()
        finally:
            app.kill()
    return changed, still_frames >= REST_FRAMES, code, err


def main():
    for attempt in range(1, 4):
        changed, resting, code, err = fly_once(attempt)
        check(code == 0, "Escape ends the program with 0 (got %s)" % code)
        match = TRACE.search(err)
        check(match is not None, "the camera's end position is reported (%r)" % err[-300:])
        x, y, z = (float(v) for v in match.groups()[:3])
        steps, still = (int(v) for v in match.groups()[3:])
        print("camera at %.4f %.4f %.4f after %d physics steps, still for %d" %
              (x, y, z, steps, still), flush=True)
        if (x, y, z) == START and still == steps:
            # This city put a building around the camera's start: no move can
            # ever succeed. Another run draws another city.
            print("the camera started inside a building; trying another city", flush=True)
            continue
        check(steps > 0, "physics ran")
        check(changed, "the view changes while the camera flies")
        check(resting, "the view then stops changing, for %d frames drawn" % REST_FRAMES)
        distance = ((x - START[0]) ** 2 + (z - START[2]) ** 2) ** 0.5
        if distance <= 1.0:
            # A building next to the start stopped the flight, and the camera
            # slid down its wall. Another run draws another city.
            print("a building stood in the camera's way after %.2f units; trying another city"
                  % distance, flush=True)
            continue
        print("the camera flew %.2f units from its start" % distance, flush=True)
        check(-0.0551 < y <= -0.05,
              "the camera's box rests on the ground or a street (y %.5f)" % y)
        check(still >= 20, "the camera has been still for a while (%d steps)" % still)
        return
    fail("a building around or beside the camera's start stopped it in three cities in a row")


if __name__ == "__main__":
    main()
