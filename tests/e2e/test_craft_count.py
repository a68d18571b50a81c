"""Any number of craft: with none and with a thousand the program runs with
physics on and ends with 0 on Escape."""

import re

from brennoc_e2e import Brennoc, Xvfb, check, differing_pixels, wait_scene, wait_scene_settled

TRACE = re.compile(r"camera at (\S+) (\S+) (\S+) after (\d+) physics steps")


def fly(xvfb, craft):
    # Seed 7's city leaves the camera's start free, so the camera falls.
    app = Brennoc(xvfb, args=["--seed", "7", "--craft", str(craft)],
                  extra_env={"BRENNOC_CAMERA_TRACE": "1"})
    try:
        app.wait_window()
        still = wait_scene_settled(app, "craft%d_before" % craft, timeout=180)
        app.press("e", 0.3)
        wait_scene(app, "craft%d_physics" % craft,
                   lambda _, latest: differing_pixels(still, latest) > 0, timeout=180)
        app.press("Escape", 0.3)
        code, _, err = app.wait(timeout=120)
    finally:
        app.kill()
    check(code == 0, "with %d craft Escape ends the program with 0 (got %s; %r)"
          % (craft, code, err[-300:]))
    match = TRACE.search(err)
    check(match is not None and int(match.group(4)) > 0 and float(match.group(2)) != -3.0,
          "with %d craft physics steps ran and the camera moved (%r)" % (craft, err[-300:]))


def main():
    with Xvfb() as xvfb:
        for craft in (0, 1000):
            fly(xvfb, craft)


if __name__ == "__main__":
    main()
