"""Bad input for record and replay, as a user meets it: a recording that is
missing, empty, truncated, damaged, of another version, no recording at all,
no regular file, or made with other data files; a folder to record into that
is missing or not writable; --record with --replay. Each is one line on
standard error naming the file and what is wrong, exit code 2, no window
(there is no display to open one on) and nothing written. A write that fails
during the run (--record /dev/full) is said once, the run goes on in its
window, and it ends with code 1."""

import os
import shutil
import subprocess
import tempfile

from brennoc_e2e import BINARY, DATA_DIR, Brennoc, Xvfb, check, copy_data
import recordings

RECORDINGS = os.environ["BRENNOC_RECORDINGS"]
FRAMES_RUN = 30


def run_without_display(args, cwd=DATA_DIR):
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    return subprocess.run([BINARY] + args, cwd=cwd, env=env, capture_output=True, text=True,
                          timeout=120)


def check_refused(args, what, says, cwd=DATA_DIR):
    """Both with and without --no-window where it is a replay."""
    variants = [args, args + ["--no-window"]] if "--replay" in args else [args]
    for variant in variants:
        result = run_without_display(variant, cwd)
        lines = result.stderr.splitlines()
        check(result.returncode == 2 and len(lines) == 1 and says in lines[0] and
              result.stdout == "",
              "%s (%s): one line saying %r, exit 2, nothing else (%s, %r)"
              % (what, " ".join(variant[-2:]), says, result.returncode, result.stderr[-300:]))


def damaged_copies(folder):
    """(name, bytes, what the line says) for each kind of damaged file."""
    good_path = os.path.join(RECORDINGS, "apart.rec")
    with open(good_path, "rb") as source:
        good = source.read()
    chunk_cut = 36 + 3  # inside the first chunk
    flipped = bytearray(good)
    flipped[len(good) // 2] ^= 0x10
    other_version = recordings.read(good_path)
    other_version.version = 2
    return [
        ("empty.rec", b"", "the recording is empty"),
        ("header-cut.rec", good[:20], "truncated in its header"),
        ("chunk-cut.rec", good[:chunk_cut], "truncated at byte 36"),
        ("end-cut.rec", good[:-1], "truncated at byte "),
        ("flipped.rec", bytes(flipped), "damaged at byte "),
        ("version.rec", other_version.encode(),
         "a recording of format version 2; this program reads version 1"),
        ("text.rec", b"seed 7\ncraft 10\n", "not a Brennoc recording"),
    ]


def main():
    folder = tempfile.mkdtemp(prefix="brennoc-bad-recordings-")
    try:
        for name, data, says in damaged_copies(folder):
            path = os.path.join(folder, name)
            with open(path, "wb") as out:
                out.write(data)
            check_refused(["--replay", path], name, "brennoc: %s: %s" % (path, says))
        check_refused(["--replay", os.path.join(folder, "missing.rec")], "a missing recording",
                      "missing.rec: cannot be read: No such file or directory")
        check_refused(["--replay", folder], "a folder", "%s: is not a regular file" % folder)
        fifo = os.path.join(folder, "fifo.rec")
        os.mkfifo(fifo)
        check_refused(["--replay", fifo], "a FIFO, without waiting for a writer",
                      "fifo.rec: is not a regular file")

        # The same recording where one description file differs.
        changed = copy_data(folder, "data")
        with open(os.path.join(changed, "Building", "dum2.txt"), "a") as description:
            description.write("\n")
        recording = os.path.join(RECORDINGS, "agree.rec")
        check_refused(["--replay", recording], "other data files",
                      "brennoc: %s: recorded with other city description files" % recording,
                      cwd=changed)

        # Recording: a folder that is missing, one that cannot be written, and
        # with a replay. None leaves a file behind.
        target = os.path.join(folder, "missing", "run.rec")
        check_refused(["--record", target], "recording into a missing folder",
                      "brennoc: %s: cannot be written: No such file or directory" % target)
        if os.geteuid() == 0:
            # Root writes into any folder it may change; sysfs refuses even root.
            unwritable = "/sys/brennoc-run.rec"
        else:
            locked = os.path.join(folder, "locked")
            os.mkdir(locked, 0o555)
            unwritable = os.path.join(locked, "run.rec")
        check_refused(["--record", unwritable], "recording into a folder not writable",
                      "brennoc: %s: cannot be written: Permission denied" % unwritable)
        both = os.path.join(folder, "both.rec")
        check_refused(["--record", both, "--replay", recording], "--record with --replay",
                      "--record and --replay cannot be used together")
        check(not os.path.exists(both) and not os.path.exists(unwritable),
              "nothing was written")
        check_refused(["--no-window"], "--no-window alone", "--no-window needs --replay")
        check_refused(["--replay", recording, "--seed", "3"], "--seed with --replay",
                      "--seed and --craft come from the recording")
    finally:
        shutil.rmtree(folder, ignore_errors=True)

    # A full disk: said once when the first write fails, the run goes on,
    # and its end is code 1, by Escape or by the window's closing.
    for ending in ("Escape", "close"):
        with Xvfb() as xvfb:
            app = Brennoc(xvfb, args=["--record", "/dev/full", "--seed", "7"])
            try:
                app.wait_window()
                app.tap("e")
                width, height = app.geometry()[2:]
                app.wait_frames(FRAMES_RUN, (0, 0, width, height))
                if ending == "Escape":
                    app.tap("Escape")
                else:
                    app.close_window()
                code, _, err = app.wait()
            finally:
                app.kill()
        said = [line for line in err.splitlines() if "/dev/full" in line]
        check(code == 1, "a run recording onto a full disk ends by %s with code 1 (%s)"
              % (ending, code))
        check(said == ["brennoc: /dev/full: the recording could not be written: No space left "
                       "on device; the run goes on without it"],
              "the failure is said once (%r)" % said)
    print("PASS", flush=True)


if __name__ == "__main__":
    main()
