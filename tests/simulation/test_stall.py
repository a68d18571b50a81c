"""A stall in the real program: with a thousand craft flying, the process is
stopped for 15 s (kill -STOP, as a debugger or a busy machine would) and goes
on. The first step after it measures the whole stall but integrates no more
than a slow frame, so no craft is flung out of the collision region: the frame
statistics count no mover outside it, and the run ends with 0 (in the
sanitizer build also with no leak of lost records)."""

import os
import re
import signal
import time

from brennoc_e2e import FPS_GRAPH_BOTTOM, Brennoc, Xvfb, check, graph_region

OUTSIDE = re.compile(r"^frame stats: .* outside (\d+)$", re.M)
STALL_SECONDS = 15


def main():
    with Xvfb() as xvfb:
        app = Brennoc(xvfb, args=["--seed", "7", "--craft", "1000", "--frame-stats"])
        try:
            app.wait_window(timeout=240)
            width, height = app.geometry()[2:]
            frames = graph_region(width, height, FPS_GRAPH_BOTTOM)
            app.tap("e")
            app.wait_frames(10, frames, timeout=600)
            os.kill(app.process.pid, signal.SIGSTOP)
            # The stall itself: nothing to wait for but the time.
            time.sleep(STALL_SECONDS)
            os.kill(app.process.pid, signal.SIGCONT)
            app.wait_frames(10, frames, timeout=600)
            app.tap("Escape")
            code, _, err = app.wait(timeout=240)
        finally:
            app.kill()
    match = OUTSIDE.search(err)
    check(match is not None, "the frame statistics give the movers outside (%r)" % err[-400:])
    check(int(match.group(1)) == 0,
          "after a %d s stall no mover is outside the region (%s are)"
          % (STALL_SECONDS, match.group(1)))
    check(code == 0, "Escape ends the program with 0 (got %s; %r)" % (code, err[-300:]))


if __name__ == "__main__":
    main()
