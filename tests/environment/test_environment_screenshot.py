"""The real program's first view: sky above, grass below, the city between,
and no complaint about an image or model it could not read. The screenshots
are kept among the artifacts as environment_start_<run>.png.

The city is laid out anew in every run, and in some layouts a building right
in front of the camera fills the whole view. So every run must give a picture
that is neither black nor flat and no complaint, and one of up to RUNS runs
must show sky, grass and city in their places. The checks count kinds of
pixels in bands of the view rather than expect a building at a given place."""

import re
import subprocess

from brennoc_e2e import Brennoc, Xvfb, check, fail

# What Coin says when it cannot read an image or a model file.
UNREADABLE = re.compile(r"could not be read|couldn't find|could not find|unable to open|"
                        r"SoInput|SbImage|SoFile|readImage|read error", re.IGNORECASE)


def window_geometry(xvfb, window):
    result = xvfb.run(["xdotool", "getwindowgeometry", "--shell", window])
    values = dict(line.split("=", 1) for line in result.stdout.split() if "=" in line)
    return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])


def window_pixels(png, geometry):
    """Rows of (r, g, b) of the window's part of the screenshot."""
    x, y, width, height = geometry
    result = subprocess.run(["convert", png, "-crop", "%dx%d+%d+%d" % (width, height, x, y),
                             "+repage", "-depth", "8", "rgb:-"], capture_output=True)
    if result.returncode != 0 or len(result.stdout) != width * height * 3:
        fail("could not read the window's pixels from the screenshot")
    data = result.stdout
    return [[tuple(data[3 * (row * width + col):3 * (row * width + col) + 3])
             for col in range(width)] for row in range(height)]


RUNS = 6


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
    """Share of each kind of pixel in a band given as fractions of the window."""
    height, width = len(rows), len(rows[0])
    counts = {"sky": 0, "grass": 0, "other": 0}
    for row in rows[int(top * height):int(bottom * height)]:
        for pixel in row[:int(right * width)]:
            counts[kind(pixel)] += 1
    total = float(sum(counts.values()))
    return {name: count / total for name, count in counts.items()}


def run_once(xvfb, number):
    """Starts the program, takes its first view, closes it; gives the view's rows."""
    app = Brennoc(xvfb)
    window = app.wait_window()
    geometry = window_geometry(xvfb, window)
    png = xvfb.screenshot("environment_start_%d.png" % number)
    app.close_window()
    code, _, err = app.wait()
    check(code == 0, "the program ends with 0 when its window closes (got %s)" % code)
    complaints = [line for line in err.splitlines() if UNREADABLE.search(line)]
    check(not complaints, "no image or model that could not be read (got %r)" % complaints[:5])
    return window_pixels(png, geometry)


def deviation(rows):
    values = [sum(pixel) / 3.0 for row in rows for pixel in row]
    mean = sum(values) / len(values)
    return (sum((v - mean) ** 2 for v in values) / len(values)) ** 0.5


def mean_row(rows, name):
    found = [r for r, row in enumerate(rows) for pixel in row if kind(pixel) == name]
    return sum(found) / float(len(found)) if found else None


def open_view(rows):
    """Whether the view shows sky on top, grass below and the city between."""
    # The graphs cover the lower right corner; the lower band leaves it out.
    top = shares(rows, 0.0, 0.2)
    bottom = shares(rows, 0.6, 1.0, right=0.7)
    whole = shares(rows, 0.0, 1.0)
    sky_row, grass_row = mean_row(rows, "sky"), mean_row(rows, "grass")
    for name, band in (("top", top), ("bottom", bottom), ("whole", whole)):
        print("  %s: %s" % (name, ", ".join("%s %.2f" % item for item in sorted(band.items()))))
    print("  mean rows: sky %s, grass %s" % (sky_row, grass_row))
    return (top["sky"] > 0.5 and top["grass"] < 0.05 and bottom["grass"] > 0.15
            and bottom["sky"] < 0.05 and whole["other"] > 0.05
            and sky_row is not None and grass_row is not None and sky_row < grass_row)


def main():
    with Xvfb() as xvfb:
        for number in range(1, RUNS + 1):
            rows = run_once(xvfb, number)
            check(deviation(rows) > 10, "run %d: the view is neither black nor flat" % number)
            if open_view(rows):
                check(True, "run %d: sky at the top, grass at the bottom, the city between"
                      % number)
                return
            print("run %d: the view is blocked; another layout" % number)
    fail("in %d runs no view showed sky at the top, grass at the bottom and the city between"
         % RUNS)


if __name__ == "__main__":
    main()
