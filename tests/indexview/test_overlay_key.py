"""Key O in the real program: the octree overlay appears over the view, and a
second O gives back the very picture there was before. Key C in between
recolours the leaves by heat with its legend, and a second C gives back the
overlay as it was. Compared in the upper
left of the view, clear of the graphs, whose bars change from frame to frame.
Screenshots are kept among the artifacts."""

import subprocess
import time

from brennoc_e2e import Brennoc, Xvfb, artifact_path, check, differing_pixels, fail
from test_startup import HELP_TEXT


def view_crop(app, name):
    """A screenshot cut to the upper left 60 % of the window."""
    x, y, width, height = app.geometry()
    whole = app.xvfb.screenshot(name)
    crop = artifact_path("crop_" + name)
    subprocess.run(["convert", whole, "-crop", "%dx%d+%d+%d" % (width * 6 // 10, height * 6 // 10,
                                                                  x, y), "+repage", crop], check=True)
    return crop


def wait_for(app, name, reference, want_same, timeout=60):
    """Takes screenshots until the view equals (or differs from) the reference;
    returns the last count of differing pixels."""
    deadline = time.time() + timeout
    shot = 0
    while True:
        shot += 1
        crop = view_crop(app, "%s_%02d.png" % (name, shot))
        diff = differing_pixels(reference, crop)
        if (diff == 0) == want_same or time.time() > deadline:
            return diff
        time.sleep(0.3)


def is_flat(png):
    result = subprocess.run(["convert", png, "-format", "%[fx:standard_deviation]", "info:"],
                            capture_output=True, text=True)
    return float(result.stdout or 0) < 0.02


def steady_view(app, name="overlay_before", timeout=90):
    """The view once it is drawn (not flat) and the same in two screenshots."""
    deadline = time.time() + timeout
    previous = None
    shot = 0
    while time.time() < deadline:
        shot += 1
        crop = view_crop(app, "%s_%02d.png" % (name, shot))
        if not is_flat(crop) and previous and differing_pixels(previous, crop) == 0:
            print("ok: the view is drawn and still while physics is off", flush=True)
            return crop
        previous = None if is_flat(crop) else crop
        time.sleep(0.3)
    fail("the view was not drawn and still within %d s (last %s)" % (timeout, previous))


def main():
    with Xvfb() as xvfb:
        app = Brennoc(xvfb)
        try:
            app.wait_window()
            # Without physics nothing moves: once drawn, the view stays as it is.
            before = steady_view(app)

            app.press("o")
            diff = wait_for(app, "overlay_on", before, want_same=False)
            check(diff > 500, "pressing O draws the overlay over the view (%d pixels differ)" % diff)

            # Still without physics, so the overlay stays as drawn.
            overlay = steady_view(app, "overlay_shown")
            app.press("c")
            diff = wait_for(app, "heat_on", overlay, want_same=False)
            check(diff > 200, "pressing C recolours the leaves and adds the legend (%d pixels "
                  "differ)" % diff)
            app.press("c")
            diff = wait_for(app, "heat_off", overlay, want_same=True)
            check(diff == 0, "pressing C again gives back the overlay by records held (%d pixels "
                  "still differ)" % diff)

            app.press("o")
            diff = wait_for(app, "overlay_off", before, want_same=True)
            check(diff == 0, "pressing O again gives back the same picture (%d pixels still "
                  "differ)" % diff)

            app.press("Escape", 0.5)  # held over a few frames, slow ones included
            code, out, err = app.wait()
        finally:
            app.kill()
    check(code == 0, "Escape still ends the program with 0 (got %s; stderr %r)" % (code, err[-300:]))
    check(out == HELP_TEXT, "the overlay prints nothing (stdout ends %r)" % out[-100:])


if __name__ == "__main__":
    main()
