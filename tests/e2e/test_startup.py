"""Start-up and shutdown of the real program: help text, window, exit codes."""

import subprocess

from brennoc_e2e import BINARY, DATA_DIR, Brennoc, Xvfb, check

HELP_PIECES = [
    b"Diplomovy projekt Brennoc \n \n \n",
    b"Ovladani:\n \n",
    b"Sipka nahoru  - Otoceni kamery smerem dolu \n",
    b"Sipka dolu    - Otoceni kamery smerem nahoru \n",
    b"Sipka doleva  - Otoceni kamery v mat.kladnem smeru kolem smeru pohledu kamery \n",
    b"Sipka doprava - Otoceni kamery v mat.zapornem smeru kolem smeru pohledu kamery \n",
    b"q             - Otoceni kamery smerem doleva \n",
    b"w             - Otoceni kamery smerem doprava \n",
    b"a             - Posun kamery dopredu \n",
    b"z             - Posun kamery dozadu \n",
    b"e             - Zapnuti fyzikalniho modelu, pohybu objektu a detekce kolizi \n",
    b"r             - Vypnuti fyzikalniho modelu, pohybu objektu a detekce kolizi \n \n \n",
    b"Grafy: \n \n",
    b"Vrchni graf   - Udava prumerny pocet snimku za sekundu (FPS) \n",
    b"Spodni graf   - Vypisuje narocnost detekce kolizi v mikrosekundach \n \n \n",
    b" " * 57 + b"Vypracoval Quorrin",
]
HELP_TEXT = b"".join(HELP_PIECES)


def run_until_escape(xvfb):
    app = Brennoc(xvfb)
    app.wait_window()
    app.tap("Escape")  # a quick tap, as xdotool key gives
    code, out, err = app.wait()
    check(code == 0, "Escape ends the program with exit code 0 (got %s; stderr %r)" % (code, err[-500:]))
    check(out == HELP_TEXT, "standard output is exactly the help text (got %r)" % out[-200:])


def run_until_window_closed(xvfb):
    app = Brennoc(xvfb)
    app.wait_window()
    app.close_window()
    code, out, err = app.wait()
    check(code == 0, "closing the window ends the program with exit code 0 (got %s; stderr %r)"
          % (code, err[-500:]))
    check(out == HELP_TEXT, "the help text is printed in full before the window closes")


def run_without_display():
    app = Brennoc(None, display=False)
    code, out, err = app.wait()
    lines = err.strip().splitlines()
    check(code == 1, "without a display the exit code is 1 (got %s)" % code)
    check(len(lines) == 1 and "no display could be opened" in lines[0],
          "without a display one line on standard error says so (got %r)" % err)
    check(out == b"", "without a display nothing is printed on standard output")


def main():
    check(bool(BINARY) and bool(DATA_DIR), "paths of the program and its data are given")
    with Xvfb() as xvfb:
        run_until_escape(xvfb)
        run_until_window_closed(xvfb)
    run_without_display()
    # A display that exists in the environment but cannot be reached.
    result = subprocess.run([BINARY], cwd=DATA_DIR, env={"DISPLAY": ":9999", "PATH": "/usr/bin:/bin"},
                            capture_output=True, text=True, timeout=60)
    check(result.returncode == 1 and "no display could be opened" in result.stderr
          and len(result.stderr.strip().splitlines()) == 1,
          "an unreachable display also gives exit code 1 and one line (got %s, %r)"
          % (result.returncode, result.stderr))


if __name__ == "__main__":
    main()
