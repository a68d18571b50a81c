"""The program started many times in a row in a data case that reaches its
first frames soon (FIFOs for the description files and the model), with thread
races in the process made common: every start draws frames, closes and ends
with 0. A renderer whose threads race over a frame's completion, as Mesa's
llvmpipe does with rasteriser threads, writes into freed memory in some of
these starts; they end on a corrupted heap or with a window that never
finishes a frame."""

import os
import tempfile

from brennoc_e2e import (DESCRIPTIONS, FPS_GRAPH_BOTTOM, MODEL, Brennoc, Xvfb, check,
                         copy_data, graph_region)

STARTS = 16


def race_widening_env():
    env = {
        # Sometimes delays a thread after it unlocks a mutex and around a
        # condition signal (tests/tools/perturb.c).
        "LD_PRELOAD": os.environ["BRENNOC_PERTURB"],
        # Without the allocator's per-thread cache and fast bins a freed block
        # joins the lists whose links a late write into it breaks, and the
        # next allocation stops the process instead of going on silently.
        "GLIBC_TUNABLES": "glibc.malloc.tcache_count=0:glibc.malloc.mxfast=0",
    }
    # A sanitizer runtime insists on coming first among the preloads.
    if "ASAN_OPTIONS" in os.environ:
        env["ASAN_OPTIONS"] = os.environ["ASAN_OPTIONS"] + ":verify_asan_link_order=0"
    return env


def main():
    with tempfile.TemporaryDirectory() as parent, Xvfb() as xvfb:
        folder = copy_data(parent, "fifos", DESCRIPTIONS + [MODEL])
        env = race_widening_env()
        for start in range(1, STARTS + 1):
            app = Brennoc(xvfb, extra_env=env, cwd=folder, args=["--seed", "7"])
            try:
                app.wait_window()
                _, _, width, height = app.geometry()
                app.wait_frames(3, graph_region(width, height, FPS_GRAPH_BOTTOM))
                app.close_window()
                code, _, err = app.wait()
            finally:
                app.kill()
            check(code == 0, "start %d of %d drew frames and ended with 0%s" % (
                start, STARTS, "" if code == 0 else " (got %s; stderr %r)" % (code, err[-300:])))


if __name__ == "__main__":
    main()
