"""Helpers for end-to-end tests of the real program under a private Xvfb.

CTest passes the paths in the environment: BRENNOC_BINARY, BRENNOC_DATA_DIR,
BRENNOC_WM_CLOSE and BRENNOC_ARTIFACTS.
"""

import os
import shutil
import subprocess
import sys
import threading
import time

BINARY = os.environ.get("BRENNOC_BINARY", "")
DATA_DIR = os.environ.get("BRENNOC_DATA_DIR", "")
WM_CLOSE = os.environ.get("BRENNOC_WM_CLOSE", "")
ARTIFACTS = os.environ.get("BRENNOC_ARTIFACTS", os.getcwd())


def fail(message):
    print("FAIL: " + message, flush=True)
    sys.exit(1)


def check(condition, message):
    if not condition:
        fail(message)
    print("ok: " + message, flush=True)


# The data files a damaged copy may replace.
DESCRIPTIONS = ["Building/dum%d.txt" % n for n in range(1, 5)]
MODEL = "models/Ufo1.wrl"


def copy_data(parent, name, fifos=()):
    """A copy of the data folder as parent/name, with the files named in fifos
    replaced by FIFOs; returns its path."""
    folder = os.path.join(parent, name)
    shutil.copytree(DATA_DIR, folder)
    for entry in fifos:
        os.remove(os.path.join(folder, entry))
        os.mkfifo(os.path.join(folder, entry))
    return folder


def artifact_path(name):
    os.makedirs(ARTIFACTS, exist_ok=True)
    return os.path.join(ARTIFACTS, name)


class Xvfb:
    """A private X server; picks a free display number itself."""

    def __init__(self, size="1024x768x24", extra_args=()):
        self.size = size
        self.extra_args = list(extra_args)
        self.process = None
        self.display = None

    def __enter__(self):
        read_end, write_end = os.pipe()
        # -noreset: by default the server resets when its last client leaves,
        # and a program started in that moment finds no display.
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.size, "-nolisten", "tcp",
             "-noreset"] + self.extra_args,
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            fail("Xvfb did not start")
        self.display = ":" + number
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        self.process.wait(timeout=10)

    def env(self):
        env = dict(os.environ)
        env["DISPLAY"] = self.display
        return env

    def run(self, args, text=True, **kwargs):
        return subprocess.run(args, env=self.env(), capture_output=True, text=text, **kwargs)

    def screenshot(self, name):
        """Saves the whole screen as PNG among the artifacts and returns the path."""
        path = artifact_path(name)
        result = self.run(["import", "-window", "root", path], timeout=30)
        if result.returncode != 0:
            fail("screenshot failed: " + result.stderr)
        return path


class Brennoc:
    """The program, started in its data folder (or cwd, or by command) on the
    given X server.

    Its window is the one a user sees: the mapped top-level window of this
    process titled Brennoc (Qt gives its unmapped helper window and the inner
    GL windows names too). Keys, captures and the close request go to it."""

    def __init__(self, xvfb, extra_env=None, display=True, args=(), cwd=None, command=None,
                 stdout=subprocess.PIPE):
        """stdout: where standard output goes; read like standard error when
        it is a pipe."""
        env = xvfb.env() if xvfb else dict(os.environ)
        if not display:
            env.pop("DISPLAY", None)
        env.update(extra_env or {})
        self.xvfb = xvfb
        self.process = subprocess.Popen((command or [BINARY]) + list(args), cwd=cwd or DATA_DIR,
                                        env=env, stdout=stdout, stderr=subprocess.PIPE)
        self.window = None
        self._out = bytearray()
        self._err = bytearray()
        self._lock = threading.Lock()
        self._readers = [threading.Thread(target=self._read, args=(pipe, buf), daemon=True)
                         for pipe, buf in ((self.process.stdout, self._out),
                                           (self.process.stderr, self._err)) if pipe]
        for reader in self._readers:
            reader.start()

    def _read(self, pipe, buf):
        for chunk in iter(lambda: pipe.read1(65536), b""):
            with self._lock:
                buf.extend(chunk)

    def stderr_text(self):
        with self._lock:
            return self._err.decode("utf-8", "replace")

    def _check_running(self, waiting_for):
        if self.process.poll() is not None:
            fail("program ended (code %s) while waiting for %s; stderr %r"
                 % (self.process.returncode, waiting_for, self.stderr_text()[-500:]))

    def wait_window(self, timeout=120):
        """Waits until the window is mapped at its size, has the keyboard
        focus and shows a drawn frame; returns its id."""
        deadline = time.time() + timeout
        found = []
        while not found:
            self._check_running("its window")
            left = deadline - time.time()
            if left <= 0:
                fail("no visible top-level window titled Brennoc within %d s" % timeout)
            try:
                result = self.xvfb.run(
                    ["xdotool", "search", "--sync", "--onlyvisible", "--maxdepth", "1",
                     "--pid", str(self.process.pid), "--name", "^Brennoc$"],
                    timeout=min(left, 5))
            except subprocess.TimeoutExpired:
                continue
            # xdotool matches names without regard to case; the title is exact.
            found = [w for w in result.stdout.split() if self._name(w) == "Brennoc"]
            if not found:
                time.sleep(0.1)
        if len(found) != 1:
            fail("%d visible top-level windows titled Brennoc: %s" % (len(found), found))
        self.window = found[0]
        self._wait_size(deadline)
        self.focus()
        self.wait_drawn(deadline - time.time())
        return self.window

    def _name(self, window):
        return self.xvfb.run(["xdotool", "getwindowname", window]).stdout.rstrip("\n")

    def _wait_size(self, deadline):
        """Until the window is larger than Qt's first 1 x 1 and keeps its size."""
        last = None
        while True:
            self._check_running("its window's size")
            geometry = self.geometry()
            if geometry == last and geometry[2] > 1 and geometry[3] > 1:
                return
            if time.time() > deadline:
                fail("the window did not settle at a size (last seen %r)" % (geometry,))
            last = geometry
            time.sleep(0.1)

    def geometry(self):
        """(x, y, width, height) of the window on the screen."""
        out = self.xvfb.run(["xdotool", "getwindowgeometry", "--shell", self.window]).stdout
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return tuple(int(values.get(k, 0)) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def capture(self, region=None):
        """The window's pixels as rows of packed RGB bytes, or those of region
        (x, y, width, height, relative to the window)."""
        x, y, width, height = self.geometry()
        if region:
            x, y, width, height = x + region[0], y + region[1], region[2], region[3]
        result = self.xvfb.run(["import", "-window", "root", "-crop",
                                "%dx%d+%d+%d" % (width, height, x, y), "+repage",
                                "-depth", "8", "rgb:-"], text=False, timeout=60)
        if result.returncode != 0 or len(result.stdout) != width * height * 3:
            self._check_running("a capture of its window")
            fail("could not capture the window (%s)" % result.stderr[-300:])
        return result.stdout

    def wait_drawn(self, timeout=120):
        """Waits until the window shows a drawn frame, not the blank of a
        window the program has not yet drawn into."""
        deadline = time.time() + timeout
        while True:
            self._check_running("a drawn frame")
            pixels = self.capture()
            colours = len(set(pixels[i:i + 3] for i in range(0, len(pixels), 3 * 97)))
            if colours > 8:
                return
            if time.time() > deadline:
                fail("the window stayed blank for %d s (%d colours sampled, geometry %r, "
                     "main thread waiting in %r, system call %r)"
                     % (timeout, colours, self.geometry(), self._proc("wchan"),
                        self._proc("syscall")))
            time.sleep(0.2)

    def _proc(self, name):
        """A line of the process's /proc entry, to say where it is stuck."""
        try:
            with open("/proc/%d/%s" % (self.process.pid, name)) as entry:
                return entry.read().strip()
        except OSError as error:
            return str(error)

    def wait_frames(self, count, region, timeout=120):
        """Waits until region of the window has changed `count` times between
        successive captures: at least that many frames were drawn."""
        deadline = time.time() + timeout
        changes = 0
        last = self.capture(region)
        while changes < count:
            self._check_running("%d more frames" % (count - changes))
            if time.time() > deadline:
                fail("only %d of %d frames seen drawn within %d s" % (changes, count, timeout))
            current = self.capture(region)
            if current != last:
                changes += 1
            last = current

    def focus(self):
        """Gives the window the keyboard focus, as a click would, and checks it."""
        try:
            self.xvfb.run(["xdotool", "windowfocus", "--sync", self.window], timeout=60)
        except subprocess.TimeoutExpired:
            fail("the window %s did not take the focus within 60 s" % self.window)
        focused = self.xvfb.run(["xdotool", "getwindowfocus", "-f"]).stdout.strip()
        if focused != self.window:
            fail("the window %s did not take the focus (focus is on %r)"
                 % (self.window, focused))

    def _key(self, action, key):
        # With the window focused, xdotool sends real key events (XTEST).
        result = self.xvfb.run(["xdotool", action, "--window", self.window, key], timeout=30)
        if result.returncode != 0:
            # A key that ends the program takes its window away before the
            # release can be sent there; that is no failure. The server must
            # still see the release, or its auto-repeat would go on pressing
            # the key into the next program on this display.
            self.xvfb.run(["xdotool", "keyup", key], timeout=30)
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                fail("xdotool %s %s failed: %s" % (action, key, result.stderr))

    def key_down(self, key):
        self._key("keydown", key)

    def key_up(self, key):
        self._key("keyup", key)

    def tap(self, key):
        """A quick press and release, as xdotool key gives."""
        self._key("key", key)

    def hold(self, key, seconds):
        """Holds a key for a while, as a user steering does."""
        self.key_down(key)
        time.sleep(seconds)
        self.key_up(key)

    def press(self, key, hold=0.1):
        """A press held for `hold` seconds, then released."""
        self.hold(key, hold)

    def close_window(self):
        """Asks the window (found by wait_window) to close as a window manager
        would."""
        result = self.xvfb.run([WM_CLOSE, self.window])
        if result.returncode != 0:
            fail("wm_close failed: " + result.stderr)

    def cpu_ticks(self):
        """Processor time the program has used so far, user and system, in
        clock ticks (os.sysconf("SC_CLK_TCK") a second)."""
        with open("/proc/%d/stat" % self.process.pid) as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])

    def wait(self, timeout=120):
        """Waits for the end; returns (exit code, stdout bytes, stderr text)."""
        try:
            self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            fail("program did not end within %d s; stderr %r" % (timeout, self.stderr_text()[-500:]))
        for reader in self._readers:
            reader.join()
        return self.process.returncode, bytes(self._out), self.stderr_text()

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


def graph_region(width, height, bottom):
    """(x, y, width, height) in a window of the given size of a graph of size
    (0.23, 0.11) whose right edge is 0.03 of the width in and whose bottom is
    `bottom` of the height up, shrunk by two pixels on every side."""
    right, low = width * 0.97, height * (1 - bottom)
    return int(right - width * 0.23) + 2, int(low - height * 0.11) + 2, \
        int(width * 0.23) - 4, int(height * 0.11) - 4


# Where the frame-rate graph sits: it changes with every frame drawn.
FPS_GRAPH_BOTTOM = 0.16
COST_GRAPH_BOTTOM = 0.03


def region_stats(png_path, x, y, width, height):
    """Mean and standard deviation per channel of a region, via ImageMagick."""
    fmt = "%[fx:mean.r*255] %[fx:mean.g*255] %[fx:mean.b*255] %[fx:standard_deviation*255]"
    result = subprocess.run(
        ["convert", png_path, "-crop", "%dx%d+%d+%d" % (width, height, x, y), "+repage",
         "-format", fmt, "info:"], capture_output=True, text=True)
    if result.returncode != 0:
        fail("convert failed: " + result.stderr)
    return [float(v) for v in result.stdout.split()]


def pixel(png_path, x, y):
    """The (r, g, b) of one pixel."""
    result = subprocess.run(
        ["convert", png_path, "-crop", "1x1+%d+%d" % (x, y), "+repage", "-depth", "8",
         "rgb:-"], capture_output=True)
    if result.returncode != 0 or len(result.stdout) < 3:
        fail("convert failed reading a pixel")
    return tuple(result.stdout[:3])


# --- The scene apart from the graphs, for tests that compare pictures. ---

def window_geometry(xvfb, window):
    """(x, y, width, height) of a window on the screen."""
    out = xvfb.run(["xdotool", "getwindowgeometry", "--shell", window]).stdout
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))


def scene_shot(app, name):
    """A screenshot of the window's left 70 %, clear of the graphs at the right
    edge, whose bars change with timing. Returns the path of the crop."""
    if app.window is None:
        app.wait_window()
    x, y, width, height = app.geometry()
    whole = app.xvfb.screenshot(name)
    crop = artifact_path("scene_" + name)
    result = subprocess.run(["convert", whole, "-crop", "%dx%d+%d+%d" % (width * 7 // 10, height, x, y),
                             "+repage", crop], capture_output=True, text=True)
    if result.returncode != 0:
        fail("convert failed: " + result.stderr)
    return crop


def differing_pixels(first, second):
    """Pixels that differ between two pictures of the same size."""
    result = subprocess.run(["compare", "-metric", "AE", first, second, "null:"],
                            capture_output=True, text=True)
    try:
        return int(float(result.stderr.split()[0]))
    except (IndexError, ValueError):
        fail("compare failed: " + result.stderr)


def wait_scene(app, name, until, timeout=120):
    """Takes scene shots until until(previous, latest) holds and returns the
    latest; the last two are kept as scene_<name>_0.png and _1.png."""
    deadline = time.time() + timeout
    previous = scene_shot(app, "%s_0.png" % name)
    shots = 1
    while time.time() < deadline:
        if app.process.poll() is not None:
            fail("program ended (code %s) while waiting for: %s" % (app.process.returncode, name))
        time.sleep(0.5)
        latest = scene_shot(app, "%s_%d.png" % (name, shots % 2))
        shots += 1
        if until(previous, latest):
            return latest
        previous = latest
    fail("not seen within %d s after %d shots: %s (see scene_%s_*.png)"
         % (timeout, shots, name, name))


def wait_scene_settled(app, name, timeout=120):
    """Waits until the scene is drawn and holds still: two shots in a row
    alike, and not of one colour. Returns the last shot."""
    def settled(previous, latest):
        return differing_pixels(previous, latest) == 0 and spread(latest) > 1
    return wait_scene(app, name, settled, timeout)


def first_picture(xvfb, name, command=None, cwd=None, extra_env=None, user=None):
    """The settled first picture of seed 7 without craft, and what the
    program said; Escape must end it with 0. user: run it as that uid."""
    prefix = []
    if user is not None:
        prefix = ["setpriv", "--reuid=%d" % user, "--regid=%d" % user, "--clear-groups"]
    app = Brennoc(xvfb, args=["--seed", "7", "--craft", "0"], cwd=cwd,
                  command=(prefix + [command]) if command else None, extra_env=extra_env)
    try:
        app.wait_window()
        shot = wait_scene_settled(app, name)
        app.press("Escape", 0.3)
        code, _, err = app.wait()
    finally:
        app.kill()
    check(code == 0, "%s: Escape ends the program with 0 (got %s; %r)" % (name, code, err[-300:]))
    return shot, err


def spread(png_path):
    """Standard deviation of a picture's pixels, 0 to 255: 0 for one colour."""
    result = subprocess.run(["convert", png_path, "-format", "%[fx:standard_deviation*255]",
                             "info:"], capture_output=True, text=True)
    if result.returncode != 0:
        fail("convert failed: " + result.stderr)
    return float(result.stdout)


def wait_stderr_lines(app, pattern, count, what, timeout=120):
    """Waits until standard error holds at least `count` lines matching the
    compiled pattern (from a line's start); returns the matches."""
    deadline = time.time() + timeout
    while True:
        found = list(pattern.finditer(app.stderr_text()))
        if len(found) >= count:
            return found
        app._check_running(what)
        if time.time() > deadline:
            fail("%s: %d of %d lines within %d s; stderr ends %r"
                 % (what, len(found), count, timeout, app.stderr_text()[-500:]))
        time.sleep(0.05)
