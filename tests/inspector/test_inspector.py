"""The move inspector in the real program: with a seeded city of 40 craft,
physics on and paused, Tab selects craft 0 and each N prints exactly one
machine line for its move, under the octree, the dbvt and the flat list in
turn (I between); Shift+Tab then selects the camera. The flat list tests the move against every other filed
thing, as many as the seeded world holds (from a helper that builds it); the
octree tests fewer. Standard output stays the help text. And with physics
off, F's chase view and H's help panel change the picture, and a second F
or H brings back the very picture there was: the camera was not moved."""

import os
import re
import subprocess

from brennoc_e2e import (DATA_DIR, FPS_GRAPH_BOTTOM, Brennoc, Xvfb, check, differing_pixels,
                         graph_region, wait_scene, wait_scene_settled, wait_stderr_lines)
from test_startup import HELP_TEXT

SEED, CRAFT = 7, 40
MOVE = re.compile(r"^move (craft \d+|camera) index (\w+) visited (\d+) tested (\d+) "
                  r"refused (yes|no) by (none|craft \d+|camera|building|street|ground|edge|other) "
                  r"us (\d+\.\d\d)$", re.M)


def filed_things():
    """How many things the seeded world files, from the unit-level helper."""
    result = subprocess.run([os.environ["BRENNOC_FILED_COUNT"], str(SEED), str(CRAFT)],
                            cwd=DATA_DIR, capture_output=True, text=True, timeout=120)
    check(result.returncode == 0, "the helper counts the filed things (%r)" % result.stderr)
    return int(result.stdout)


def lines_of(err, index):
    return [m for m in MOVE.finditer(err) if m.group(2) == index]


def one_line_per_step(xvfb, filed):
    app = Brennoc(xvfb, args=["--seed", str(SEED), "--craft", str(CRAFT)])
    try:
        app.wait_window()
        width, height = app.geometry()[2:]
        app.tap("e")
        app.wait_frames(5, graph_region(width, height, FPS_GRAPH_BOTTOM))
        app.tap("p")
        app.tap("Tab")
        moves = {}
        for number, index in enumerate(("octree", "dbvt", "flat")):
            if number:
                app.tap("i")
            app.tap("n")
            found = wait_stderr_lines(app, MOVE, number + 1, "the %s step's line" % index)
            moves[index] = found[number]
            check(found[number].group(1) == "craft 0" and found[number].group(2) == index,
                  "N under the %s prints the line of craft 0's move: %r"
                  % (index, found[number].group(0)))
        # Shift+Tab goes back from craft 0 to the camera.
        app.tap("shift+Tab")
        app.tap("n")
        camera = wait_stderr_lines(app, MOVE, 4, "the camera's line")[3]
        check(camera.group(1) == "camera" and camera.group(2) == "flat",
              "after Shift+Tab, N prints the camera's move: %r" % camera.group(0))
        app.press("Escape", 0.3)
        code, out, err = app.wait()
    finally:
        app.kill()
    check(code == 0, "Escape ends the program with 0 (got %s; %r)" % (code, err[-300:]))
    check(out == HELP_TEXT, "standard output is the help text alone (ends %r)" % out[-100:])
    err = err[:err.index(camera.group(0))]
    for index in ("octree", "dbvt", "flat"):
        check(len(lines_of(err, index)) == 1,
              "exactly one %s line for its one step (%d)" % (index, len(lines_of(err, index))))
    check(len(MOVE.findall(err)) == 3, "no other move line")
    flat, octree = moves["flat"], moves["octree"]
    tested = lambda move: int(move.group(4))
    if flat.group(5) == "no":
        check(tested(flat) == filed - 1,
              "the flat list tests the accepted move against each of the %d other filed "
              "things (%d)" % (filed - 1, tested(flat)))
    else:
        check(0 < tested(flat) <= filed - 1, "the flat list tests up to its refuser (%d of %d)"
              % (tested(flat), filed - 1))
    check(int(flat.group(3)) == tested(flat), "the flat list visits what it tests")
    check(tested(octree) < tested(flat), "the octree tests fewer records (%d) than the flat "
          "list (%d)" % (tested(octree), tested(flat)))
    check(int(octree.group(3)) >= 1, "the octree's move reached a leaf or more (%s)"
          % octree.group(3))


def views_come_back(xvfb):
    app = Brennoc(xvfb, args=["--seed", str(SEED), "--craft", "10"])
    try:
        app.wait_window()
        app.tap("Tab")
        # Nothing moves: the view with craft 0's panel holds still.
        selected = wait_scene_settled(app, "inspector_selected")
        for key, what in (("f", "the chase view"), ("h", "the help panel")):
            app.tap(key)
            wait_scene(app, "inspector_" + key,
                       lambda _, latest: differing_pixels(selected, latest) > 1000)
            check(True, "%s changes the picture" % what)
            app.tap(key)
            wait_scene(app, "inspector_" + key + "_back",
                       lambda _, latest: differing_pixels(selected, latest) == 0)
            check(True, "%s again gives back the very picture there was" % key.upper())
        app.press("Escape", 0.3)
        code, out, err = app.wait()
    finally:
        app.kill()
    check(code == 0, "Escape ends the program with 0 (got %s; %r)" % (code, err[-300:]))
    check(out == HELP_TEXT, "standard output is the help text alone")
    check(not MOVE.search(err), "no move line without a step made while paused")


def main():
    filed = filed_things()
    check(filed > CRAFT + 2, "the seeded world files the city, the ground, the camera and the "
          "craft (%d)" % filed)
    with Xvfb() as xvfb:
        one_line_per_step(xvfb, filed)
        views_come_back(xvfb)


if __name__ == "__main__":
    main()
