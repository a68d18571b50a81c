"""An installed Brennoc, started from another folder, shows the same full
scene as the program in the source tree: every file is found."""

import os
import re
import subprocess
import tempfile

import brennoc_e2e
from brennoc_e2e import Xvfb, check, differing_pixels, fail, first_picture

BUILD_DIR = os.environ.get("BRENNOC_BUILD_DIR", "")
CMAKE = os.environ.get("BRENNOC_CMAKE", "cmake")
# What Coin and the building reader say about files they cannot read.
MISSING = re.compile(r"couldn't find|could not be read|Could not find|cannot open|[Uu]nreadable")


def main():
    check(bool(BUILD_DIR), "the build folder is given")
    with tempfile.TemporaryDirectory() as prefix, tempfile.TemporaryDirectory() as elsewhere:
        result = subprocess.run([CMAKE, "--install", BUILD_DIR, "--prefix", prefix],
                                capture_output=True, text=True, timeout=300)
        check(result.returncode == 0, "cmake --install succeeds (%s)" % result.stderr[-500:])
        command = os.path.join(prefix, "bin", "brennoc")
        check(os.access(command, os.X_OK), "the command is installed in bin")
        check(os.path.isfile(os.path.join(prefix, "share", "brennoc", "models", "Ufo1.wrl")),
              "the data files are installed in share/brennoc")

        with Xvfb() as xvfb:
            in_tree, err = first_picture(xvfb, "install_tree")
            if MISSING.search(err):
                fail("the program in the source tree misses files: %r" % err[-500:])
            # The installed command, started from an unrelated folder.
            brennoc_e2e.BINARY, brennoc_e2e.DATA_DIR = command, elsewhere
            installed, err = first_picture(xvfb, "install_prefix")
        missing = [line for line in err.splitlines() if MISSING.search(line)]
        check(not missing, "the installed program finds every file (%r)" % missing[:5])
        differ = differing_pixels(in_tree, installed)
        check(differ == 0, "it shows the same scene as the source tree's (%d pixels differ)" % differ)


if __name__ == "__main__":
    main()
