"""The real program reads the city's description files and images without a
complaint. The start view is kept among the artifacts as city_start.png."""

import re

from brennoc_e2e import Brennoc, Xvfb, check

CITY_FILES = re.compile(r"Building/|Asfalt|Fasada|Strecha|Building description")


def main():
    with Xvfb() as xvfb:
        app = Brennoc(xvfb)
        app.wait_window()
        xvfb.screenshot("city_start.png")
        app.close_window()
        code, _, err = app.wait()
    check(code == 0, "the program ends with 0 when its window closes (got %s)" % code)
    complaints = [line for line in err.splitlines() if CITY_FILES.search(line)]
    check(not complaints, "no message about the city's files (got %r)" % complaints[:5])


if __name__ == "__main__":
    main()
