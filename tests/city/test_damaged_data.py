"""The real program on damaged copies of its data folder, one damage per run:
every run opens its window, ends normally, prints the help text unchanged, and
says what is wrong in one line per file, with control characters escaped. The
intact copy gives no message at all."""

import os
import random
import re
import subprocess
import tempfile

from brennoc_e2e import BINARY, DESCRIPTIONS, MODEL, Brennoc, Xvfb, check, copy_data
from test_startup import HELP_TEXT

# Peak memory a damaged image may add to that of the intact data.
MEMORY_MARGIN_KB = 100 * 1024


def peak_memory_kb(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


def run(xvfb, runtime, what, folder=None, command=None):
    """Starts the program, waits for its window, closes it; returns the
    lines of standard error and the peak memory in kB."""
    # A fixed seed lays out every kind of building, so every description file
    # is read.
    app = Brennoc(xvfb, extra_env={"XDG_RUNTIME_DIR": runtime}, cwd=folder, command=command,
                  args=["--seed", "7"])
    print("%s:" % what, flush=True)
    app.wait_window()
    peak = peak_memory_kb(app.process.pid)
    app.close_window()
    code, out, err = app.wait()
    check(code == 0, "%s: the window opens and the program ends with 0 (got %s; stderr %r)"
          % (what, code, err[-300:]))
    check(out == HELP_TEXT, "%s: standard output is the help text alone" % what)
    check("\x1b" not in err, "%s: no raw control character on standard error" % what)
    return err.splitlines(), peak


def write(folder, name, content):
    path = os.path.join(folder, name)
    os.remove(path)
    with open(path, "wb") as out:
        out.write(content)


def once_each(what, lines, pattern):
    """Lines matching pattern name distinct files; returns them."""
    found = [line for line in lines if re.search(pattern, line)]
    names = [re.search(r'"([^"]*)"', line).group(1) for line in found]
    check(found and len(names) == len(set(names)),
          "%s: one line per file (got %r)" % (what, lines[:8]))
    return found


def jpeg_claiming(source, width, height):
    """A copy of a JPEG whose frame header claims another size."""
    data = bytearray(open(source, "rb").read())
    sof = data.find(b"\xff\xc0")
    data[sof + 5:sof + 9] = bytes([height >> 8, height & 255, width >> 8, width & 255])
    return bytes(data)


def main():
    with tempfile.TemporaryDirectory() as parent, Xvfb() as xvfb:
        # Xvfb resets when its last client leaves and refuses connections
        # meanwhile; a client that stays keeps each start clear of a reset.
        keeper = subprocess.Popen(["xdotool", "search", "--sync", "--name", "^no such window$"],
                                  env=xvfb.env(), stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        try:
            damage_and_run(xvfb, parent)
        finally:
            keeper.kill()
            keeper.wait()


def damage_and_run(xvfb, parent):
    runtime = os.path.join(parent, "runtime")
    os.mkdir(runtime, 0o700)

    lines, normal_peak = run(xvfb, runtime, "intact data", copy_data(parent, "intact"))
    check(lines == [], "the intact data gives no message (got %r)" % lines)

    folder = copy_data(parent, "deep")
    write(folder, "models/Ufo1.wrl", b"#Inventor V2.1 ascii\n" +
          b"Separator {\n" * 12000 + b"}\n" * 12000)
    lines, _ = run(xvfb, runtime, "model nested 12,000 deep", folder)
    check(lines == ['Model "/models/Ufo1.wrl" not read: nested deeper than 1000 levels'],
          "the deep model is refused in one line (got %r)" % lines)

    for side, make in [(4096, "convert"), (16000, "header")]:
        folder = copy_data(parent, "image%d" % side)
        image = os.path.join(folder, "Texture/Strecha.jpg")
        if make == "convert":
            subprocess.run(["convert", "-size", "%dx%d" % (side, side), "gradient:", image],
                           check=True)
        else:
            write(folder, "Texture/Strecha.jpg", jpeg_claiming(image, side, side))
        what = "a %d x %d roof image" % (side, side)
        lines, peak = run(xvfb, runtime, what, folder)
        check(len(lines) == 1 and lines[0].startswith('Image "Texture/Strecha.jpg" not read: '
                                                      '%d x %d pixels' % (side, side)),
              "%s is refused in one line (got %r)" % (what, lines))
        check(peak < normal_peak + MEMORY_MARGIN_KB, "%s: peak memory %d kB, intact %d kB"
              % (what, peak, normal_peak))

    folder = copy_data(parent, "fifos", DESCRIPTIONS + [MODEL])
    lines, _ = run(xvfb, runtime, "FIFOs for the description files and the model", folder)
    check('Model "/models/Ufo1.wrl" not read: not a regular file' in lines,
          "the model's FIFO is refused (got %r)" % lines)
    found = once_each("FIFOs", lines, r"^Building description .*: not a regular file")
    check(len(found) == len(DESCRIPTIONS) and len(found) + 1 == len(lines),
          "every description file is said once and nothing else (got %r)" % lines)

    folder = copy_data(parent, "garbage")
    noise = random.Random(12)
    for n, name in enumerate(DESCRIPTIONS):
        if n % 2:
            content = b"99999999999999999999\n1\n1\n" + b"Texture/Fasada1.jpg\n" * 6
        else:
            content = b"".join(bytes(noise.randrange(256) for _ in range(20)).replace(
                b"\n", b" ") + b"\n" for _ in range(9))
        write(folder, name, content)
    lines, _ = run(xvfb, runtime, "random bytes and huge sizes", folder)
    warnings = once_each("damaged descriptions", lines, r"^Building description ")
    check(len(warnings) == len(DESCRIPTIONS) and
          any(re.search(r"line \d: not text", line) for line in warnings) and
          any('line 1: size "99999999999999999999" is outside 1 to 100' in line
              for line in warnings),
          "random bytes and huge sizes are each said with file and line (got %r)" % warnings)

    folder = copy_data(parent, "escape")
    for name in DESCRIPTIONS:
        write(folder, name, b"1\n1\n1\nTexture/\x1b[31mRed.jpg\n" + b"Texture/Fasada1.jpg\n" * 5)
    lines, _ = run(xvfb, runtime, "an escape byte in an image name", folder)
    check(len([line for line in lines if "couldn't find 'Texture/\\x1B[31mRed.jpg'" in line])
          == 1, "the name is shown escaped, once (got %r)" % lines)

    empty = os.path.join(parent, "empty")
    os.mkdir(empty)
    deleted = os.path.join(parent, "deleted")
    os.mkdir(deleted)
    for what, folder, command in [
            ("started in an empty folder", empty, None),
            ("started in a deleted folder", parent,
             # The program's own arguments (the seed) follow the binary.
             ["sh", "-c", 'cd "$1" && rmdir "$1" && shift && exec "$@"', "sh", deleted, BINARY])]:
        lines, _ = run(xvfb, runtime, what, folder, command)
        looked_in = deleted if command else empty
        check(lines and lines[0].startswith("Brennoc: its data files are not in %s (" % looked_in)
              and "data/" in lines[0] and "scripts/run.sh" in lines[0]
              and "installed brennoc" in lines[0],
              "%s: the first line says where it looked and how to run it (got %r)"
              % (what, lines[:2]))
        names = [re.search(r" '[^']*'|\"[^\"]*\"", line).group(0) for line in lines[1:]]
        check(len(names) == len(set(names)) and len(names) <= 25,
              "%s: at most one line per missing file (got %r)" % (what, lines))


if __name__ == "__main__":
    main()
