"""Helpers for end-to-end tests of the real program under a private Xvfb.

CTest passes the paths in the environment: BRENNOC_BINARY, BRENNOC_DATA_DIR,
BRENNOC_WM_CLOSE and BRENNOC_ARTIFACTS.
"""

import os
import subprocess
import sys
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


def artifact_path(name):
    os.makedirs(ARTIFACTS, exist_ok=True)
    return os.path.join(ARTIFACTS, name)


class Xvfb:
    """A private X server; picks a free display number itself."""

    def __init__(self, size="1024x768x24"):
        self.size = size
        self.process = None
        self.display = None

    def __enter__(self):
        read_end, write_end = os.pipe()
        # -noreset: by default the server resets when its last client leaves,
        # and a program started in that moment finds no display.
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.size, "-nolisten", "tcp",
             "-noreset"],
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

    def run(self, args, **kwargs):
        return subprocess.run(args, env=self.env(), capture_output=True, text=True, **kwargs)

    def screenshot(self, name):
        """Saves the whole screen as PNG among the artifacts and returns the path."""
        path = artifact_path(name)
        result = self.run(["import", "-window", "root", path], timeout=30)
        if result.returncode != 0:
            fail("screenshot failed: " + result.stderr)
        return path


class Brennoc:
    """The program, started in its data folder (or cwd, or by command) on the
    given X server."""

    def __init__(self, xvfb, extra_env=None, display=True, args=(), cwd=None, command=None):
        env = xvfb.env() if xvfb else dict(os.environ)
        if not display:
            env.pop("DISPLAY", None)
        env.update(extra_env or {})
        self.xvfb = xvfb
        self.process = subprocess.Popen((command or [BINARY]) + list(args), cwd=cwd or DATA_DIR,
                                        env=env,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.window = None
        self.windows = []

    def wait_window(self, timeout=60):
        """Waits for the window titled Brennoc; returns its id."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            if self.process.poll() is not None:
                fail("program ended before its window appeared")
            result = self.xvfb.run(["xdotool", "search", "--name", "^Brennoc$"])
            ids = result.stdout.split()
            if ids:
                # Qt also titles a 1 x 1 helper window and the inner GL
                # window; the largest of them is the one on screen.
                self.windows = ids
                self.window = max(ids, key=self._area)
                self.focus()
                # Let the first frames render.
                time.sleep(1.0)
                return self.window
            time.sleep(0.2)
        fail("no window titled Brennoc within %d s" % timeout)

    def _area(self, window):
        out = self.xvfb.run(["xdotool", "getwindowgeometry", "--shell", window]).stdout
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values.get("WIDTH", 0)) * int(values.get("HEIGHT", 0))

    def _key(self, action, key):
        # Real key events (XTEST) go to the focused window, as a user's would.
        result = self.xvfb.run(["xdotool", action, key])
        if result.returncode != 0:
            fail("xdotool %s %s failed: %s" % (action, key, result.stderr))

    def key_down(self, key):
        self._key("keydown", key)

    def key_up(self, key):
        self._key("keyup", key)

    def press(self, key, hold=0.1):
        self.key_down(key)
        time.sleep(hold)
        self.key_up(key)

    def focus(self):
        self.xvfb.run(["xdotool", "windowfocus", "--sync", self.window])

    def close_window(self):
        """Asks the window to close as a window manager would."""
        # Qt gives its inner GL window the title too; only the top-level
        # window takes the close request, and the search order varies.
        for window in self.windows:
            result = self.xvfb.run([WM_CLOSE, window])
            if result.returncode != 0:
                fail("wm_close failed: " + result.stderr)

    def wait(self, timeout=30):
        """Waits for the end; returns (exit code, stdout bytes, stderr text)."""
        try:
            out, err = self.process.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            out, err = self.process.communicate()
            fail("program did not end within %d s" % timeout)
        return self.process.returncode, out, err.decode("utf-8", "replace")

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.communicate()


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
    # Qt's helper windows share the title and may show up first: measure the
    # largest window titled Brennoc at the time of the shot.
    found = app.xvfb.run(["xdotool", "search", "--name", "^Brennoc$"]).stdout.split()
    sizes = [window_geometry(app.xvfb, window) for window in found]
    if not sizes:
        fail("no window titled Brennoc for the shot " + name)
    x, y, width, height = max(sizes, key=lambda g: g[2] * g[3])
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


def spread(png_path):
    """Standard deviation of a picture's pixels, 0 to 255: 0 for one colour."""
    result = subprocess.run(["convert", png_path, "-format", "%[fx:standard_deviation*255]",
                             "info:"], capture_output=True, text=True)
    if result.returncode != 0:
        fail("convert failed: " + result.stderr)
    return float(result.stdout)
