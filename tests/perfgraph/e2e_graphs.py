"""The running program's two graphs at the right edge: the frame rate above from
the start, the collision cost below once physics is switched on with E.
Screenshots of both moments are kept among the artifacts."""

import subprocess
import time

from brennoc_e2e import Brennoc, Xvfb, check, fail


def graph_rect(geometry, bottom):
    """(x, y, width, height) on screen of a graph of size (0.23, 0.11) whose
    right edge is 0.03 of the width in and whose bottom is `bottom` of the
    height up, shrunk by two pixels on every side."""
    x, y, width, height = geometry
    right, low = x + width * 0.97, y + height * (1 - bottom)
    return int(right - width * 0.23) + 2, int(low - height * 0.11) + 2, \
        int(width * 0.23) - 4, int(height * 0.11) - 4


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


def main():
    with Xvfb() as xvfb:
        app = Brennoc(xvfb)
        try:
            window = app.wait_window()
            shell = xvfb.run(["xdotool", "getwindowgeometry", "--shell", window]).stdout
            values = dict(line.split("=", 1) for line in shell.split() if "=" in line)
            geometry = tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))
            time.sleep(2.0)
            before = xvfb.screenshot("perfgraph_before_physics.png")
            app.focus()
            app.press("e")
            time.sleep(4.0)
            after = xvfb.screenshot("perfgraph_with_physics.png")
            app.press("Escape")
            code, _, _ = app.wait()
        finally:
            app.kill()
    check(code == 0, "the program ends with 0 on Escape")
    upper, lower = graph_rect(geometry, 0.16), graph_rect(geometry, 0.03)
    counts = [bar_pixels(png, rect) for png in (before, after) for rect in (upper, lower)]
    print("window %s; bar pixels before E: upper %d lower %d; after E: upper %d lower %d"
          % ((geometry,) + tuple(counts)), flush=True)
    area = upper[2] * upper[3]
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
