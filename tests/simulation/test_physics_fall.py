"""Physics mode in the real program: the camera, driven forwards and pulled by
gravity, moves and then comes to rest on the ground; Escape ends with 0."""

import re
import subprocess
import time

from brennoc_e2e import Brennoc, Xvfb, artifact_path, check, fail

TRACE = re.compile(r"camera at (\S+) (\S+) (\S+) after (\d+) physics steps, still for (\d+)")
START = (1.5, -3.0, 1.5)


def window_geometry(xvfb, window):
    out = xvfb.run(["xdotool", "getwindowgeometry", "--shell", window]).stdout
    values = dict(line.split("=") for line in out.split() if "=" in line)
    return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])


def view_region(xvfb, window, name):
    """A screenshot cropped to the upper left of the view, clear of the graphs."""
    x, y, width, height = window_geometry(xvfb, window)
    whole = xvfb.screenshot(name)
    crop = artifact_path("crop_" + name)
    geometry = "%dx%d+%d+%d" % (width * 6 // 10, height * 6 // 10, x, y)
    subprocess.run(["convert", whole, "-crop", geometry, "+repage", crop], check=True)
    return crop


def differing_pixels(first, second):
    result = subprocess.run(["compare", "-metric", "AE", first, second, "null:"],
                            capture_output=True, text=True)
    return int(float(result.stderr.split()[0]))


def fly_once(attempt):
    with Xvfb() as xvfb:
        app = Brennoc(xvfb, extra_env={"BRENNOC_CAMERA_TRACE": "1"})
        try:
            app.wait_window()
            app.press("q", 0.8)  # face away from the city, towards -x
            turned = view_region(xvfb, app.window, "fall%d_turned.png" % attempt)
            app.press("e", 0.2)
            app.press("a", 1.0)

            frames = [turned]
            changed = False
            deadline = time.time() + 90
            while time.time() < deadline:
                time.sleep(1.5)
                frames.append(view_region(xvfb, app.window,
                                          "fall%d_%02d.png" % (attempt, len(frames))))
                if differing_pixels(frames[-2], frames[-1]) > 0:
                    changed = True
                elif changed and len(frames) >= 4 and \
                        differing_pixels(frames[-3], frames[-1]) == 0:
                    break
            app.press("Escape", 0.2)
            code, _, err = app.wait()
        finally:
            app.kill()
    return changed, frames, code, err


def main():
    for attempt in range(1, 4):
        changed, frames, code, err = fly_once(attempt)
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
        check(differing_pixels(frames[-3], frames[-1]) == 0,
              "the view then stops changing")
        distance = ((x - START[0]) ** 2 + (z - START[2]) ** 2) ** 0.5
        check(distance > 1.0, "the camera moved away from its start (%.2f units)" % distance)
        check(-0.0551 < y <= -0.05,
              "the camera's box rests on the ground or a street (y %.5f)" % y)
        check(still >= 20, "the camera has been still for a while (%d steps)" % still)
        return
    fail("the camera started inside a building in three cities in a row")


if __name__ == "__main__":
    main()
