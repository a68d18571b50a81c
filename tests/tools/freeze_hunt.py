"""Starts the program many times, each data case on X servers of its own, and
catches a window that stops drawing. See scripts/freeze-hunt.sh."""

import argparse
import collections
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import brennoc_e2e  # noqa: E402
from brennoc_e2e import (DESCRIPTIONS, FPS_GRAPH_BOTTOM, MODEL, Brennoc, Xvfb,  # noqa: E402
                         copy_data, graph_region)

CASES = ["full", "nomodel", "empty", "deleted", "fifo"]


class Stop(Exception):
    """A start that cannot go on; the text says why."""


def checked(call, *args):
    """Runs a brennoc_e2e helper that would end the process on failure."""
    try:
        return call(*args)
    except SystemExit:
        raise Stop("%s failed" % call.__name__)


class Case:
    """Where and how one data case starts the program."""

    def __init__(self, name, scratch):
        self.name = name
        self.scratch = scratch
        self.folder = None
        # Copies, so that a core dump never lands in the data folder itself.
        if name == "full":
            self.folder = copy_data(scratch, name)
        elif name == "nomodel":
            self.folder = copy_data(scratch, name)
            os.remove(os.path.join(self.folder, MODEL))
        elif name == "fifo":
            self.folder = copy_data(scratch, name, DESCRIPTIONS + [MODEL])
        elif name == "empty":
            self.folder = os.path.join(scratch, name)
            os.mkdir(self.folder)
        elif name != "deleted":
            raise ValueError("unknown case %r (cases: %s)" % (name, ", ".join(CASES)))

    def start(self, xvfb, env, number):
        args = ["--seed", "7"]
        if self.name != "deleted":
            return Brennoc(xvfb, extra_env=env, cwd=self.folder, args=args)
        # The working folder is gone by the time the program runs.
        gone = os.path.join(self.scratch, "deleted-%d" % number)
        os.mkdir(gone)
        command = ["sh", "-c", 'cd "$1" && rmdir "$1" && exec "$2" "$3" "$4"', "sh", gone,
                   brennoc_e2e.BINARY]
        return Brennoc(xvfb, extra_env=env, cwd=self.scratch, command=command, args=args)


def find_window(app, timeout):
    """The mapped top-level window titled Brennoc, or None."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        if app.process.poll() is not None:
            raise Stop("before its window showed")
        result = app.xvfb.run(["xdotool", "search", "--onlyvisible", "--maxdepth", "1", "--pid",
                               str(app.process.pid), "--name", "^Brennoc$"])
        for window in result.stdout.split():
            if app._name(window) == "Brennoc":
                return window
        time.sleep(0.1)
    return None


def blank(pixels):
    return len(set(pixels[i:i + 3] for i in range(0, len(pixels), 3 * 97))) <= 8


def watch(app, changes_wanted, still_seconds):
    """Captures the frame-rate graph until it has changed changes_wanted
    times (True) or has held still for still_seconds (False)."""
    _, _, width, height = checked(app.geometry)
    region = graph_region(width, height, FPS_GRAPH_BOTTOM)
    last = checked(app.capture, region)
    since = time.time()
    changes = 0
    while changes < changes_wanted:
        if app.process.poll() is not None:
            raise Stop("while drawing")
        current = checked(app.capture, region)
        if current != last:
            changes += 1
            since = time.time()
        elif time.time() - since > still_seconds:
            return False
        last = current
        time.sleep(0.05)
    return True


GDB_CONDITIONS = """
import gdb
for thread in gdb.selected_inferior().threads():
    thread.switch()
    frame = gdb.newest_frame()
    while frame:
        if frame.name() in ("___pthread_cond_wait", "___pthread_cond_broadcast"):
            cond = int(frame.read_var("cond"))
            print("thread %d (%s) in %s, cond 0x%x:" % (thread.num, thread.name, frame.name(), cond))
            gdb.execute("x/28xw 0x%x" % (cond - 48))
            break
        frame = frame.older()
"""


def read(path):
    try:
        with open(path) as entry:
            return entry.read().strip()
    except OSError as error:
        return "(%s)" % error


def save_freeze(folder, app, env, seconds_still):
    """Everything that says where the process and its window are stuck."""
    os.makedirs(folder)
    pid = app.process.pid
    tasks = sorted(os.listdir("/proc/%d/task" % pid), key=int)
    lines = []
    names = collections.Counter()
    for task in tasks:
        base = "/proc/%d/task/%s/" % (pid, task)
        comm = read(base + "comm")
        names[comm.rstrip("0123456789-:")] += 1
        lines.append("%s %s\n  stat: %s\n  wchan: %s\n  syscall: %s"
                     % (task, comm, read(base + "stat"), read(base + "wchan"),
                        read(base + "syscall")))
    with open(os.path.join(folder, "tasks.txt"), "w") as out:
        out.write("\n".join(lines) + "\n")
    wanted = env.get("LP_NUM_THREADS")
    rasterisers = sum(count for name, count in names.items() if name.startswith("llvmpipe"))
    with open(os.path.join(folder, "threads.txt"), "w") as out:
        out.write("threads: %d\nby name: %s\nllvmpipe threads: %d\n" % (
            len(tasks), dict(names), rasterisers))
        out.write("llvmpipe threads meant: %s\n" % (
            "LP_NUM_THREADS=%s" % wanted if wanted is not None else
            "%d (CPUs online %d, in the affinity mask %d)" % (
                os.cpu_count(), os.cpu_count(), len(os.sched_getaffinity(pid)))))
    shutil.copy("/proc/%d/maps" % pid, os.path.join(folder, "maps.txt"))
    x = app.xvfb.run(["xwininfo", "-id", app.window]).stdout if app.window else "no window\n"
    x += app.xvfb.run(["xwininfo", "-root", "-tree"]).stdout
    with open(os.path.join(folder, "xwininfo.txt"), "w") as out:
        out.write(x)
    app.xvfb.run(["import", "-window", "root", os.path.join(folder, "screen.png")])
    # Besides the stacks: every condition a thread waits on or broadcasts to,
    # with the memory around it (a llvmpipe fence keeps its lock 8 bytes and
    # its condition 48 bytes in, then issued, rank and count).
    script = os.path.join(folder, "conditions.py")
    with open(script, "w") as out:
        out.write(GDB_CONDITIONS)
    gdb = subprocess.run(
        ["gdb", "-batch", "-p", str(pid), "-ex", "set pagination off",
         "-ex", "thread apply all bt", "-x", script, "-ex", "detach"],
        capture_output=True, text=True, timeout=120)
    with open(os.path.join(folder, "stacks.txt"), "w") as out:
        out.write(gdb.stdout + gdb.stderr)
    with open(os.path.join(folder, "stderr.txt"), "w") as out:
        out.write(app.stderr_text())
    with open(os.path.join(folder, "summary.txt"), "w") as out:
        out.write("pid %d, still for %.0f s\nenvironment: %r\nwindow %s\n"
                  % (pid, seconds_still, env, app.window))


def one_start(xvfb, case, env, number, options, results_dir):
    """Returns the outcome of one start (ok, freeze, stall, crash, noexit,
    exit N or error) and a line that says more."""
    app = case.start(xvfb, env, number)
    folder = os.path.join(results_dir, "%%s-%s-%d" % (case.name, number))
    try:
        # As the end-to-end tests do: the visible window at its size, focused,
        # with a drawn frame in it.
        try:
            app.wait_window(options.window_timeout)
            drawn = watch(app, options.frames, options.still)
        except SystemExit:
            if app.process.poll() is not None:
                raise Stop("before drawing")
            if app.window is None:
                app.window = find_window(app, 0.5)
            drawn = False
        if not drawn:
            was_blank = app.window is None or blank(checked(app.capture))
            save_freeze(folder % "freeze", app, env, options.still)
            # Stuck for good, or only slow? Look again after a while.
            if app.window and watch(app, 1, options.still):
                os.rename(folder % "freeze", folder % "stall")
                return "stall", "drew again after being examined"
            with open(os.path.join(folder % "freeze", "summary.txt"), "a") as out:
                out.write("window blank: %s\n" % was_blank)
            return "freeze", "window blank" if was_blank else "window stopped"
        checked(app.close_window)
        try:
            app.process.wait(timeout=options.exit_timeout)
        except subprocess.TimeoutExpired:
            save_freeze(folder % "noexit", app, env, options.exit_timeout)
            return "noexit", "still running %d s after the close request" % options.exit_timeout
        if app.process.returncode != 0:
            return "exit %s" % app.process.returncode, "ended with %s" % app.process.returncode
        return "ok", ""
    except Stop as stop:
        # A process that is writing its core dump has not ended yet.
        try:
            code = app.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            code = None
        app.kill()
        for reader in app._readers:
            reader.join(10)
        if code is None:
            return "error", str(stop)
        outcome = "crash" if code < 0 else "exit %d" % code
        detail = "%s (%s)" % ("killed by signal %d" % -code if code < 0 else outcome, stop)
        os.makedirs(folder % outcome.replace(" ", ""))
        with open(os.path.join(folder % outcome.replace(" ", ""), "stderr.txt"), "w") as out:
            out.write("%s\n%s" % (detail, app.stderr_text()))
        # A core dump, where the limit allows one (freeze-hunt.sh lifts it).
        core = os.path.join(case.folder or "", "core")
        if os.path.exists(core):
            shutil.move(core, os.path.join(folder % outcome.replace(" ", ""), "core"))
        return outcome, detail
    finally:
        app.kill()


def worker(index, jobs, lock, options, env, results, results_dir, log):
    with tempfile.TemporaryDirectory(prefix="freeze-hunt-") as scratch, \
            Xvfb(options.screen, options.xvfb_args.split()) as xvfb:
        xvfb_env = xvfb.env()
        # Keeps the server from resetting between starts, as the tests do.
        keeper = subprocess.Popen(["xdotool", "search", "--sync", "--name", "^no such window$"],
                                  env=xvfb_env, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        cases = {}
        runtime = os.path.join(scratch, "runtime")
        os.mkdir(runtime, 0o700)
        run_env = dict(env, XDG_RUNTIME_DIR=runtime)
        try:
            while True:
                with lock:
                    if not jobs:
                        return
                    number, name = jobs.popleft()
                if name not in cases:
                    cases[name] = Case(name, scratch)
                outcome, detail = one_start(xvfb, cases[name], run_env, number, options,
                                            results_dir)
                with lock:
                    results[name][outcome] += 1
                    line = "%5d %-8s %s %s" % (number, name, outcome, detail)
                    print(line, flush=True)
                    log.write(line + "\n")
                    log.flush()
        finally:
            keeper.kill()
            keeper.wait()


def table(results, cases):
    columns = ["ok", "freeze", "crash"]
    columns += sorted({o for r in results.values() for o in r} - set(columns))
    total = collections.Counter()
    for r in results.values():
        total.update(r)
    rows = [["case", "starts"] + columns]
    for name, r in [(name, results[name]) for name in cases] + [("all", total)]:
        rows.append([name, str(sum(r.values()))] + [str(r[c]) for c in columns])
    widths = [max(len(row[i]) for row in rows) for i in range(len(rows[0]))]
    return "\n".join("  ".join(cell.rjust(w) for cell, w in zip(row, widths)) for row in rows)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--starts", type=int, default=100, help="starts per case")
    parser.add_argument("--cases", default=",".join(CASES))
    parser.add_argument("--workers", type=int, default=2, help="programs running at once")
    parser.add_argument("--env", action="append", default=[], metavar="NAME=VALUE")
    parser.add_argument("--xvfb-args", default="", help="extra Xvfb arguments")
    parser.add_argument("--screen", default="1024x768x24")
    parser.add_argument("--frames", type=int, default=3, help="graph changes that pass a start")
    parser.add_argument("--still", type=float, default=20, help="seconds still that suspect a freeze")
    parser.add_argument("--window-timeout", type=float, default=60,
                        help="seconds for the window to show a drawn frame")
    parser.add_argument("--exit-timeout", type=float, default=30)
    parser.add_argument("--out", required=True, help="folder for the log and every freeze")
    options = parser.parse_args()

    env = {}
    for pair in options.env:
        name, _, value = pair.partition("=")
        env[name] = value
    cases = [c for c in options.cases.split(",") if c]
    for name in cases:
        if name not in CASES:
            parser.error("unknown case %r (cases: %s)" % (name, ", ".join(CASES)))
    os.makedirs(options.out, exist_ok=True)
    # Cases interleaved, so that every case sees the same load over time.
    jobs = collections.deque((n, name) for n in range(options.starts) for name in cases)
    jobs = collections.deque((i, name) for i, (_, name) in enumerate(jobs))
    results = {name: collections.Counter() for name in cases}
    lock = threading.Lock()
    started = time.time()
    with open(os.path.join(options.out, "starts.log"), "a") as log:
        log.write("# %s\n" % " ".join(sys.argv))
        threads = [threading.Thread(target=worker, args=(i, jobs, lock, options, env, results,
                                                         options.out, log))
                   for i in range(options.workers)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
    text = table(results, cases)
    summary = "%s\nenvironment %r, Xvfb %r, %d workers, %.0f s\n" % (
        text, env, options.xvfb_args, options.workers, time.time() - started)
    with open(os.path.join(options.out, "table.txt"), "w") as out:
        out.write(summary)
    print(summary)
    return 1 if any(r["ok"] != sum(r.values()) for r in results.values()) else 0


if __name__ == "__main__":
    sys.exit(main())
