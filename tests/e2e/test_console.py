"""The console as launchers and shells leave it: streams closed, a pipe with
no reader, a full disk under --help, a decimal-comma locale."""

import os
import re
import subprocess
import tempfile

from brennoc_e2e import BINARY, Brennoc, Xvfb, check
from test_startup import HELP_TEXT


def run_and_close(app, what):
    try:
        app.wait_window()
        fds = [os.readlink("/proc/%d/fd/%d" % (app.process.pid, fd)) for fd in range(3)]
        app.close_window()
        code, out, err = app.wait()
    finally:
        app.kill()
    check(code == 0, "%s: the program runs and ends with 0 (got %s; %r)" % (what, code, err[-300:]))
    return fds, out, err


def main():
    with open("/dev/full", "w") as full:
        result = subprocess.run([BINARY, "--help"], stdout=full, stderr=subprocess.PIPE, text=True)
    check(result.returncode != 0 and len(result.stderr.splitlines()) == 1,
          "--help that cannot be written fails with one line (got %s, %r)"
          % (result.returncode, result.stderr))
    with tempfile.TemporaryDirectory() as folder, Xvfb() as xvfb:
        # A closed stream must not be taken by the X connection, which then
        # got the help text.
        for closing, closed in ((">&-", [1]), ("2>&-", [2]), ("<&- >&- 2>&-", [0, 1, 2])):
            fds, _, _ = run_and_close(Brennoc(xvfb, command=["sh", "-c", 'exec "$0" ' + closing,
                                                             BINARY]), closing)
            check(all(fds[fd] == "/dev/null" for fd in closed),
                  "%s: opened on /dev/null (got %r)" % (closing, fds))

        read_end, write_end = os.pipe()
        os.close(read_end)
        app = Brennoc(xvfb, stdout=write_end)  # brennoc | true
        os.close(write_end)
        run_and_close(app, "a pipe with no reader on standard output")

        # cs_CZ.UTF-8, built here without root; the probe shows its comma.
        subprocess.run(["localedef", "-i", "cs_CZ", "-f", "UTF-8", folder + "/cs_CZ.UTF-8"])
        env = {"LOCPATH": folder, "LANG": "cs_CZ.UTF-8", "LC_ALL": "", "LC_NUMERIC": "",
               "BRENNOC_FRAME_STATS": "1", "BRENNOC_CAMERA_TRACE": "1"}
        probe = subprocess.run(["sh", "-c", "locale decimal_point"], env=dict(os.environ, **env),
                               capture_output=True, text=True).stdout
        check(probe == ",\n", "the test locale has a decimal comma (got %r)" % probe)
        app = Brennoc(xvfb, extra_env=env, args=["--seed", "7"])
        try:
            app.wait_window()
            app.tap("Escape")
            code, out, err = app.wait()
        finally:
            app.kill()
        number = r"-?\d+\.\d+"
        check(code == 0 and out == HELP_TEXT and
              re.search(r"^frame stats: .* fps %s .* graph-us %s .* accepted %s%% .* flat-step-us %s outside \d+$"
                        % ((number,) * 4), err, re.M)
              and re.search(r"^camera at %s %s %s after " % ((number,) * 3), err, re.M),
              "in cs_CZ.UTF-8 the help is unchanged and the frame statistics and camera lines "
              "have decimal points (got %s, %r)" % (code, err[-400:]))


if __name__ == "__main__":
    main()
