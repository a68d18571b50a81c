"""The main loop runs one frame tick per redraw, not thousands."""

import re

from brennoc_e2e import FPS_GRAPH_BOTTOM, Brennoc, Xvfb, check, graph_region


def main():
    with Xvfb() as xvfb:
        app = Brennoc(xvfb, extra_env={"BRENNOC_FRAME_STATS": "1"})
        app.wait_window()
        width, height = app.geometry()[2:]
        # The frame-rate graph scrolls with every frame: each change seen is a
        # redraw.
        app.wait_frames(12, graph_region(width, height, FPS_GRAPH_BOTTOM))
        app.close_window()
        code, _, err = app.wait()
    check(code == 0, "the program ends with 0 when its window closes (got %s)" % code)
    match = re.search(r"frame stats: passes (\d+) ticks (\d+) redraws (\d+)", err)
    check(match is not None, "the frame statistics are reported (stderr %r)" % err[-300:])
    passes, ticks, redraws = (int(v) for v in match.groups())
    print("passes %d ticks %d redraws %d" % (passes, ticks, redraws))
    check(redraws >= 10, "the window redraws continuously (%d redraws)" % redraws)
    check(abs(ticks - redraws) <= 3 + redraws // 50,
          "one tick per redraw (%d ticks, %d redraws)" % (ticks, redraws))
    check(abs(passes - redraws) <= 3 + redraws // 50,
          "one redraw per pass of the main loop (%d passes, %d redraws)" % (passes, redraws))


if __name__ == "__main__":
    main()
