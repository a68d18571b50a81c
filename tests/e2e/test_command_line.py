"""The command line: --help and bad options need no display and open no
window; the same --seed gives the same first picture, another seed another."""

import subprocess

from brennoc_e2e import (BINARY, DATA_DIR, Brennoc, Xvfb, check, differing_pixels,
                         wait_scene_settled)


def run_without_display(args):
    env = {"PATH": "/usr/bin:/bin"}  # no DISPLAY: a window could not open
    return subprocess.run([BINARY] + args, cwd=DATA_DIR, env=env, capture_output=True,
                          text=True, timeout=60)


def help_and_bad_options():
    for flag in ("--help", "-h"):
        result = run_without_display([flag])
        check(result.returncode == 0 and result.stdout.startswith("Usage: brennoc")
              and "--seed N" in result.stdout and "--craft N" in result.stdout
              and "--octree-cost" in result.stdout and "octree overlay" in result.stdout
              and "--frame-stats" in result.stdout and "--camera-trace" in result.stdout
              and result.stderr == "",
              "%s prints the usage and ends with 0 without a display (got %s, %r, %r)"
              % (flag, result.returncode, result.stdout[:80], result.stderr))
    for args, named in ((["--craft", "100001"], "--craft"), (["--seed", "x1"], "--seed"),
                        (["--seed"], "--seed"), (["--colour"], "--colour"), (["7"], "'7'"),
                        (["--index", "bsp"], "'bsp'")):
        result = run_without_display(args)
        lines = result.stderr.splitlines()
        check(result.returncode == 2 and len(lines) == 1 and named in lines[0]
              and "--help" in lines[0] and result.stdout == "",
              "%s: exit 2 and one line naming %s on standard error (got %s, %r, %r)"
              % (" ".join(args), named, result.returncode, result.stderr, result.stdout[:80]))


def first_picture(xvfb, seed, name):
    app = Brennoc(xvfb, args=["--seed", str(seed)])
    try:
        app.wait_window()
        shot = wait_scene_settled(app, name)
        app.press("Escape", 0.3)
        code, _, err = app.wait()
        check(code == 0, "the run with seed %d ends with 0 (got %s; %r)" % (seed, code, err[-300:]))
    finally:
        app.kill()
    return shot


def main():
    check(bool(BINARY) and bool(DATA_DIR), "paths of the program and its data are given")
    help_and_bad_options()
    with Xvfb() as xvfb:
        first = first_picture(xvfb, 7, "seed7_first")
        again = first_picture(xvfb, 7, "seed7_again")
        other = first_picture(xvfb, 8, "seed8")
    same = differing_pixels(first, again)
    check(same == 0, "two runs with seed 7 show the same scene (%d pixels differ)" % same)
    apart = differing_pixels(first, other)
    check(apart > 10000, "seeds 7 and 8 show different scenes (%d pixels differ)" % apart)


if __name__ == "__main__":
    main()
