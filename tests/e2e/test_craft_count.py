"""Any number of craft: with none and with a thousand the program runs with
physics on and ends with 0 on Escape, and its frame statistics give the
octree's share of each physics step. The lower graph gets each step's whole
cost, or with --octree-cost (here with a thousand craft) the octree's share."""

import re

from brennoc_e2e import Brennoc, Xvfb, check, differing_pixels, wait_scene, wait_scene_settled

TRACE = re.compile(r"camera at (\S+) (\S+) (\S+) after (\d+) physics steps")
STATS = re.compile(r"physics-steps (\d+) physics-fps \S+ physics-us (\S+) index-us (\S+) octree-us (\S+)"
                   r" graph-us (\S+) ")


def fly(xvfb, craft, octree_cost):
    # Seed 7's city leaves the camera's start free, so the camera falls. The
    # diagnostics are asked for by the environment or, with the octree's cost
    # on the graph, by their options.
    args = ["--seed", "7", "--craft", str(craft)]
    env = {"BRENNOC_CAMERA_TRACE": "1", "BRENNOC_FRAME_STATS": "1"}
    if octree_cost:
        args += ["--octree-cost", "--camera-trace", "--frame-stats"]
        env = {}
    app = Brennoc(xvfb, args=args, extra_env=env)
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
    check(stats.group(3) == stats.group(4),
          "with %d craft octree-us, index-us's first name, says the same (%r)" % (craft, err[-300:]))
    physics, octree, graph = (float(stats.group(k)) for k in (2, 3, 5))
    shown, expected = ("the octree's share", octree) if octree_cost else ("the whole step", physics)
    check(abs(graph - expected) <= 0.1 + 1e-3 * expected,
          "with %d craft the lower graph was given %s: %.1f us a step against %.1f (%r)"
          % (craft, shown, graph, expected, err[-300:]))


def main():
    with Xvfb() as xvfb:
        for craft, octree_cost in ((0, False), (1000, True)):
            fly(xvfb, craft, octree_cost)


if __name__ == "__main__":
    main()
