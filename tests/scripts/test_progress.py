"""The progress line of scripts/progress.sh, which run.sh, setup.sh and
package.sh show while they install and build: on a terminal one line keeps
being rewritten with the build's share done and its step count, and cleared
at the end; the log gets every line of the build; off a terminal nothing is
shown. Run under a pseudo-terminal as a user's shell would be."""

import os
import pty
import subprocess
import sys
import tempfile

PROGRESS = os.path.join(sys.argv[1], "scripts", "progress.sh")

BUILD_OUTPUT = """-- Configuring done
[  3%] Building CXX object octree/CMakeFiles/brennoc_octree.dir/OctTree.cpp.o
[ 50%] Linking CXX static library libbrennoc_octree.a
[ 50%] Built target brennoc_octree
In file included from city/CityBuilder.cpp:1:
[ 97%] Linking CXX executable brennoc
[100%] Built target brennoc
"""
APT_STATUS = """dlstatus:1:9.0909:Retrieving file 1 of 11
pmstatus:libcoin80c:41.5:Unpacking libcoin80c (amd64)
pmstatus:dpkg-exec:100:Running dpkg
"""


def fail(message):
    print("FAIL: " + message, flush=True)
    sys.exit(1)


def check(condition, message):
    if not condition:
        fail(message)
    print("ok: " + message, flush=True)


def on_terminal(script, feed):
    """Standard error of `bash -c script` on a pseudo-terminal, fed `feed`."""
    controller, terminal = pty.openpty()
    process = subprocess.Popen(["bash", "-c", script], stdin=subprocess.PIPE,
                               stdout=subprocess.DEVNULL, stderr=terminal,
                               env=dict(os.environ, COLUMNS="100", TERM="xterm"))
    os.close(terminal)
    process.stdin.write(feed.encode())
    process.stdin.close()
    said = bytearray()
    while True:
        try:
            chunk = os.read(controller, 4096)
        except OSError:  # the terminal's other end closed
            break
        if not chunk:
            break
        said.extend(chunk)
    os.close(controller)
    check(process.wait(timeout=60) == 0, "the script ends with 0")
    return said.decode()


def main():
    with tempfile.TemporaryDirectory() as scratch:
        log = os.path.join(scratch, "build.log")
        said = on_terminal('. "%s" && build_progress brennoc "%s"' % (PROGRESS, log),
                           BUILD_OUTPUT)
        with open(log) as logged:
            check(logged.read() == BUILD_OUTPUT, "the log holds every line of the build")
        shown = said.split("\r\x1b[K")
        check("\n" not in said, "the progress stays on one line (%r)" % said)
        check(shown[1:4] == ["building brennoc: 3% done, step 1: compiling OctTree.cpp",
                             "building brennoc: 50% done, step 2: linking libbrennoc_octree.a",
                             "building brennoc: 97% done, step 3: linking brennoc"]
              and shown[4] == "",
              "each compile and link step rewrites the line with the share done and the "
              "step count, and the line is cleared at the end (%r)" % shown)

        said = on_terminal('. "%s" && apt_progress' % PROGRESS, APT_STATUS)
        check(said.split("\r\x1b[K")[1:] == ["setup: 9% Retrieving file 1 of 11",
                                             "setup: 41% Unpacking libcoin80c (amd64)",
                                             "setup: 100% Running dpkg", ""],
              "apt's status lines become the share done and what apt does (%r)" % said)

        quiet = subprocess.run(["bash", "-c", '. "%s" && build_progress brennoc "%s"'
                                % (PROGRESS, log)], input=BUILD_OUTPUT, capture_output=True,
                               text=True, timeout=60)
        check(quiet.returncode == 0 and quiet.stderr == "" and quiet.stdout == "",
              "off a terminal nothing is shown (%r)" % quiet.stderr)
        with open(log) as logged:
            check(logged.read() == BUILD_OUTPUT * 2, "and the log still gets the build's lines")


if __name__ == "__main__":
    main()
