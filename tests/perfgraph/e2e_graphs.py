"""The running program's two graphs at the right edge: the frame rate above from
the start, the collision cost below once physics is switched on with E.
Screenshots of both moments are kept among the artifacts."""

import subprocess
import time

from brennoc_e2e import (COST_GRAPH_BOTTOM, FPS_GRAPH_BOTTOM, Brennoc, Xvfb, check, fail,
                         graph_region)

TIMEOUT = 120


def bar_pixels(png, rect):
    """Pixels of the opaque bar colour (0, 128, 255) inside rect."""
    x, y, width, height = rect
    result = subprocess.run(["convert", png, "-crop", "%dx%d+%d+%d" % (width, height, x, y),
                             "+repage", "-depth", "8", "rgb:-"], capture_output=True)
    if result.returncode != 0:
        fail("convert failed")
    d = result.stdout
    return sum(1 for i in range(0, len(d) - 2, 3)
               if d[i] <= 6 and abs(d[i + 1] - 128) <= 6 and d[i + 2] >= 249)


def wait_for_bars(xvfb, name, rects, enough):
    """Takes screenshots until enough(counts of bar pixels per rect) holds;
    returns the screenshot and the counts."""
    deadline = time.time() + TIMEOUT
    while True:
        png = xvfb.screenshot(name)
        counts = [bar_pixels(png, rect) for rect in rects]
        if enough(counts):
            return png, counts
        if time.time() > deadline:
            fail("%s: bar pixels (upper, lower) still %r after %d s" % (name, counts, TIMEOUT))
        time.sleep(0.3)


def main():
    with Xvfb() as xvfb:
        app = Brennoc(xvfb)
        try:
            app.wait_window()
            geometry = app.geometry()
            x, y, width, height = geometry
            upper, lower = [(gx + x, gy + y, gw, gh) for gx, gy, gw, gh in
                            (graph_region(width, height, bottom)
                             for bottom in (FPS_GRAPH_BOTTOM, COST_GRAPH_BOTTOM))]
            area = upper[2] * upper[3]
            before, before_counts = wait_for_bars(
                xvfb, "perfgraph_before_physics.png", (upper, lower),
                lambda counts: counts[0] > area * 0.05)
            app.tap("e")
            after, after_counts = wait_for_bars(
                xvfb, "perfgraph_with_physics.png", (upper, lower),
                lambda counts: counts[1] > area * 0.02)
            app.tap("Escape")
            code, _, _ = app.wait()
        finally:
            app.kill()
    check(code == 0, "the program ends with 0 on Escape")
    counts = before_counts + after_counts
    print("window %s; bar pixels before E: upper %d lower %d; after E: upper %d lower %d"
          % ((geometry,) + tuple(counts)), flush=True)
    check(counts[0] > area * 0.05, "the frame-rate graph shows bars from the start")
    check(counts[1] == 0, "the cost graph is empty while physics is off")
    check(counts[2] > area * 0.05, "the frame-rate graph still shows bars with physics on")
    check(counts[3] > area * 0.02, "the cost graph shows bars once physics is on")
    x, y, width, height = upper
    outside = [(x, y - 12, width, 8), (x, lower[1] + lower[3] + 4, width, 6),
               (x - width - 10, y, width, height)]
    check(all(bar_pixels(after, r) == 0 for r in outside), "no bars just outside the graphs")
    print("screenshots: %s %s" % (before, after))


if __name__ == "__main__":
    main()
