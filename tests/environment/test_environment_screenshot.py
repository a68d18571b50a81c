"""The real program's first view: sky above, grass below, the city between, and
no complaint about an image or model it could not read. Screenshots are kept
among the artifacts as environment_start_<run>.png.

Every run lays the city out anew, and in some layouts a building in front of the
camera fills the view. So every run must give a picture that is neither black
nor flat and no complaint, and one of up to RUNS runs must show sky, grass and
city in their places, judged by the kinds of pixels in bands of the view."""

import re
import subprocess

from brennoc_e2e import Brennoc, Xvfb, check, fail

RUNS = 6
# What Coin says when it cannot read an image or a model file.
UNREADABLE = re.compile(r"could not be read|couldn't find|could not find|unable to open|"
                        r"SoInput|SbImage|SoFile|readImage|read error", re.IGNORECASE)


def window_pixels(xvfb, window, png):
    """Rows of (r, g, b) of the window's part of the screenshot."""
    shell = xvfb.run(["xdotool", "getwindowgeometry", "--shell", window]).stdout.split()
    g = {k: int(v) for k, v in (item.split("=", 1) for item in shell if "=" in item)}
    w, h = g["WIDTH"], g["HEIGHT"]
    data = subprocess.run(["convert", png, "-crop", "%dx%d+%d+%d" % (w, h, g["X"], g["Y"]),
                           "+repage", "-depth", "8", "rgb:-"], capture_output=True).stdout
    if len(data) != w * h * 3:
        fail("could not read the window's pixels from the screenshot")
    return [[tuple(data[3 * (y * w + x):3 * (y * w + x) + 3]) for x in range(w)] for y in range(h)]


def kind(pixel):
    r, g, b = pixel
    # Sky blue rises from red to green to blue; bluish facades keep red and
    # green level.
    if b > g + 5 and g > r + 8:
        return "sky"
    if g > r + 10 and g > b + 10:
        return "grass"
    return "other"


def shares(rows, top, bottom, right=1.0):
    """Share of each kind in a band given as fractions of the window."""
    counts = {"sky": 0, "grass": 0, "other": 0}
    for row in rows[int(top * len(rows)):int(bottom * len(rows))]:
        for pixel in row[:int(right * len(row))]:
            counts[kind(pixel)] += 1
    total = float(sum(counts.values()))
    return {name: count / total for name, count in counts.items()}


def mean_row(rows, name):
    found = [y for y, row in enumerate(rows) for pixel in row if kind(pixel) == name]
    return sum(found) / float(len(found)) if found else None


def open_view(rows):
    top = shares(rows, 0.0, 0.2)
    # The graphs cover the lower right corner; the lower band leaves it out.
    bottom = shares(rows, 0.6, 1.0, right=0.7)
    whole = shares(rows, 0.0, 1.0)
    sky_row, grass_row = mean_row(rows, "sky"), mean_row(rows, "grass")
    print("  top %r\n  bottom %r\n  whole %r\n  mean rows: sky %s, grass %s"
          % (top, bottom, whole, sky_row, grass_row))
    return (top["sky"] > 0.5 and top["grass"] < 0.05 and bottom["grass"] > 0.15
            and bottom["sky"] < 0.05 and whole["other"] > 0.05
            and None not in (sky_row, grass_row) and sky_row < grass_row)


def main():
    with Xvfb() as xvfb:
        for run in range(1, RUNS + 1):
            app = Brennoc(xvfb)
            window = app.wait_window()
            png = xvfb.screenshot("environment_start_%d.png" % run)
            rows = window_pixels(xvfb, window, png)
            app.close_window()
            code, _, err = app.wait()
            check(code == 0, "run %d ends with 0 when its window closes (got %s)" % (run, code))
            complaints = [line for line in err.splitlines() if UNREADABLE.search(line)]
            check(not complaints, "run %d: no unreadable image or model (got %r)"
                  % (run, complaints[:5]))
            values = [sum(p) / 3.0 for row in rows for p in row]
            mean = sum(values) / len(values)
            spread = (sum((v - mean) ** 2 for v in values) / len(values)) ** 0.5
            check(spread > 10, "run %d: the view is neither black nor flat" % run)
            if open_view(rows):
                check(True, "run %d: sky at the top, grass at the bottom, the city between" % run)
                return
            print("run %d: a building blocks the view; another layout" % run)
    fail("in %d runs no view showed sky at the top, grass at the bottom and the city between"
         % RUNS)


if __name__ == "__main__":
    main()
