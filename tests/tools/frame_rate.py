"""Frame rates of the program under environment variants, measured in turns
(A B A B ...) on one X server so that a busy machine weighs on every variant
alike. Each run shows the window for --seconds and reads the rate that
BRENNOC_FRAME_STATS=1 prints at the end.

The build folder is build/ unless BRENNOC_BUILD names another.

Example: frame_rate.py --variant threads LP_NUM_THREADS=2 --variant inline \\
    LP_NUM_THREADS=0 -- --seed 7 --craft 1000
"""

import argparse
import os
import re
import statistics
import sys
import time

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
BUILD = os.path.abspath(os.environ.get("BRENNOC_BUILD", os.path.join(ROOT, "build")))
os.environ.setdefault("BRENNOC_BINARY", os.path.join(BUILD, "app", "brennoc"))
os.environ.setdefault("BRENNOC_DATA_DIR", os.path.abspath(os.path.join(ROOT, "data")))
os.environ.setdefault("BRENNOC_WM_CLOSE", os.path.join(BUILD, "tests", "e2e", "wm_close"))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
from brennoc_e2e import Brennoc, Xvfb  # noqa: E402


def one_run(xvfb, env, seconds, args, press):
    app = Brennoc(xvfb, extra_env=dict(env, BRENNOC_FRAME_STATS="1"), args=args)
    try:
        app.wait_window()
        if press:
            app.tap(press)
        time.sleep(seconds)
        app.close_window()
        code, _, err = app.wait()
    finally:
        app.kill()
    match = re.search(r"frame stats: .* fps ([0-9.]+)", err)
    if code != 0 or not match:
        sys.exit("run failed (exit %s): %s" % (code, err[-300:]))
    return float(match.group(1))


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--variant", nargs="+", action="append", required=True,
                        metavar=("NAME", "NAME=VALUE"),
                        help="a name and the environment it adds")
    parser.add_argument("--runs", type=int, default=5, help="runs of each variant")
    parser.add_argument("--seconds", type=float, default=20)
    parser.add_argument("--press", help="a key to tap once the window shows, e.g. e")
    parser.add_argument("args", nargs="*", help="program arguments")
    options = parser.parse_args()

    variants = [(v[0], dict(pair.split("=", 1) for pair in v[1:])) for v in options.variant]
    rates = {name: [] for name, _ in variants}
    with Xvfb() as xvfb:
        for run in range(options.runs):
            for name, env in variants:
                rate = one_run(xvfb, env, options.seconds, options.args, options.press)
                rates[name].append(rate)
                print("run %d %-10s %.2f fps" % (run + 1, name, rate), flush=True)
    first = statistics.median(rates[variants[0][0]])
    print("\n%-10s %10s %8s  %s" % ("variant", "median fps", "ratio", "runs"))
    for name, _ in variants:
        median = statistics.median(rates[name])
        print("%-10s %10.2f %8.2f  %s" % (name, median, median / first,
                                          " ".join("%.1f" % r for r in rates[name])))


if __name__ == "__main__":
    main()
