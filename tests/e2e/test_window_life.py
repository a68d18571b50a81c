"""What a desktop does to the window: takes the focus while a key is held,
unmaps (minimises) it and maps it again, destroys it from another client."""

import os
import time

from brennoc_e2e import (FPS_GRAPH_BOTTOM, Brennoc, Xvfb, check, differing_pixels, fail,
                         graph_region, scene_shot, wait_scene, wait_scene_settled)
from test_startup import HELP_TEXT


def draws(app, frames):
    x, y, width, height = app.geometry()
    app.wait_frames(frames, graph_region(width, height, FPS_GRAPH_BOTTOM))


def main():
    with Xvfb() as xvfb:
        app = Brennoc(xvfb, args=["--seed", "7"])
        try:
            app.wait_window()
            # Q held, then released while the focus is on the root window (the
            # pointer off ours, or the keys would still come to it).
            xvfb.run(["xdotool", "mousemove", "1020", "764"])
            app.key_down("q")
            wait_scene(app, "turning", lambda before, after: differing_pixels(before, after) > 0)
            root = xvfb.run(["xdotool", "search", "--maxdepth", "0", "--name", ""]).stdout.split()
            xvfb.run(["xdotool", "windowfocus", "--sync", root[0]], timeout=60)
            xvfb.run(["xdotool", "keyup", "q"], timeout=30)
            still = wait_scene_settled(app, "focus_elsewhere")
            app.focus()
            draws(app, 3)
            moved = differing_pixels(still, scene_shot(app, "focus_back.png"))
            check(moved == 0, "a key held as the focus left stops acting (%d pixels moved)" % moved)

            xvfb.run(["xdotool", "windowunmap", "--sync", app.window], timeout=60)
            deadline = time.time() + 120
            share = 1
            while share > 0.05:  # of a core, over 2 s
                if time.time() > deadline:
                    fail("unmapped, the program still uses %.0f %% of a core" % (share * 100))
                start, ticks = time.time(), app.cpu_ticks()
                time.sleep(2)
                share = (app.cpu_ticks() - ticks) / os.sysconf("SC_CLK_TCK") / (time.time() - start)
            xvfb.run(["xdotool", "windowmap", "--sync", app.window], timeout=60)
            draws(app, 5)
            check(True, "unmapped it used %.1f %% of a core, mapped it draws again" % (share * 100))

            xvfb.run(["xdotool", "windowclose", app.window], timeout=60)
            code, out, err = app.wait(timeout=60)
            check(code == 0 and out == HELP_TEXT, "the window destroyed by another client ends "
                  "the program with 0 (got %s; %r)" % (code, err[-300:]))
        finally:
            app.kill()


if __name__ == "__main__":
    main()
