"""Any number of craft: with none and with a thousand the program runs with
physics on and ends with 0 on Escape, and its frame statistics give the
octree's share of each physics step."""

import re

from brennoc_e2e import Brennoc, Xvfb, check, differing_pixels, wait_scene, wait_scene_settled

TRACE = re.compile(r"camera at (\S+) (\S+) (\S+) after (\d+) physics steps")
STATS = re.compile(r"physics-steps (\d+) physics-fps \S+ physics-us (\S+) octree-us (\S+)\n")


def fly(xvfb, craft):
    # Seed 7's city leaves the camera's start free, so the camera falls.
    app = Brennoc(xvfb, args=["--seed", "7", "--craft", str(craft)],
                  extra_env={"BRENNOC_CAMERA_TRACE": "1", "BRENNOC_FRAME_STATS": "1"})
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
    stats = STATS.search(err)
    check(stats is not None and int(stats.group(1)) > 0
          and 0 < float(stats.group(3)) <= float(stats.group(2)),
          "with %d craft the octree took some of each physics step and no more than all (%r)"
          % (craft, err[-300:]))


def main():
    with Xvfb() as xvfb:
        for craft in (0, 1000):
            fly(xvfb, craft)


if __name__ == "__main__":
    main()
