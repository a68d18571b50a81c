"""The two graphs of the running program: frame rate above, collision cost below.

Before the physical model is switched on only the upper graph has bars; after
E both have. Screenshots of both moments are kept among the artifacts.
"""

import subprocess
import time

from brennoc_e2e import Brennoc, Xvfb, check, fail

BAR = (0, 128, 255)


def window_geometry(xvfb, window):
    result = xvfb.run(["xdotool", "getwindowgeometry", "--shell", window])
    if result.returncode != 0:
        fail("no geometry for the window: " + result.stderr)
    values = dict(line.split("=", 1) for line in result.stdout.split() if "=" in line)
    return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])


def graph_rect(geometry, bottom_fraction):
    """Screen rectangle (x, y, width, height) of a graph of size (0.23, 0.11)
    whose right edge is 0.03 of the width in from the right and whose bottom
    is bottom_fraction of the height up from the bottom."""
    x, y, width, height = geometry
    right = x + width * 0.97
    left = right - width * 0.23
    bottom = y + height * (1 - bottom_fraction)
    top = bottom - height * 0.11
    return int(left), int(top), int(right - left), int(bottom - top)


def bar_pixels(png, rect):
    """How many pixels inside rect (two pixels in from each edge) have the
    bar colour."""
    x, y, width, height = rect
    result = subprocess.run(
        ["convert", png, "-crop", "%dx%d+%d+%d" % (width - 4, height - 4, x + 2, y + 2),
         "+repage", "-depth", "8", "rgb:-"], capture_output=True)
    if result.returncode != 0:
        fail("convert failed: " + result.stderr.decode("utf-8", "replace"))
    data = result.stdout
    count = 0
    for i in range(0, len(data) - 2, 3):
        if all(abs(data[i + k] - BAR[k]) <= 6 for k in range(3)):
            count += 1
    return count


def main():
    with Xvfb() as xvfb:
        app = Brennoc(xvfb)
        try:
            window = app.wait_window()
            geometry = window_geometry(xvfb, window)
            print("window geometry x %d y %d width %d height %d" % geometry, flush=True)
            upper = graph_rect(geometry, 0.16)
            lower = graph_rect(geometry, 0.03)
            time.sleep(2.0)
            before = xvfb.screenshot("perfgraph_before_physics.png")
            app.focus()
            app.press("e")
            time.sleep(4.0)
            after = xvfb.screenshot("perfgraph_with_physics.png")
            app.press("Escape")
            code, _, err = app.wait()
        finally:
            app.kill()
    check(code == 0, "the program ends with 0 on Escape (got %s; stderr %r)" % (code, err[-300:]))

    upper_before, lower_before = bar_pixels(before, upper), bar_pixels(before, lower)
    upper_after, lower_after = bar_pixels(after, upper), bar_pixels(after, lower)
    print("bar pixels before E: upper %d lower %d; after E: upper %d lower %d"
          % (upper_before, lower_before, upper_after, lower_after), flush=True)
    area = upper[2] * upper[3]
    check(upper_before > area * 0.05, "the frame-rate graph shows bars from the start")
    check(lower_before == 0, "the cost graph is empty while physics is off")
    check(upper_after > area * 0.05, "the frame-rate graph still shows bars with physics on")
    check(lower_after > area * 0.02, "the cost graph shows bars once physics is on")
    # Nothing bar-coloured just outside the graphs.
    x, y, width, height = upper
    check(bar_pixels(after, (x, y - 10, width, 8)) == 0, "no bars above the upper graph")
    check(bar_pixels(after, (x, lower[1] + lower[3] + 2, width, 8)) == 0,
          "no bars below the lower graph")
    check(bar_pixels(after, (x - width - 10, y, width, height)) == 0,
          "no bars left of the upper graph")
    print("screenshots: %s %s" % (before, after))


if __name__ == "__main__":
    main()
