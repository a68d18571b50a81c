"""The recordings under tests/data/ replayed without a window or a display
through each index: where nothing starts inside anything all three give every
step's recorded state; where two craft start inside each other the dbvt and
the flat list part from the octree's recording at the step named. A replay
gives the same line every time, and a recording whose intervals were changed
parts exactly where the change first acts."""

import os
import subprocess
import sys

from brennoc_e2e import BINARY, DATA_DIR, check, fail
import recordings

RECORDINGS = os.environ["BRENNOC_RECORDINGS"]
# The recording, and per index the step it parts at (None: every step matches).
EXPECTED = {
    "agree.rec": {"octree": None, "dbvt": None, "flat": None},
    "apart.rec": {"octree": None, "dbvt": 1, "flat": 1},
    "crowd.rec": {"octree": None, "dbvt": None, "flat": None},
}


def replay(path, *args):
    """Replays without a display; returns the parsed line."""
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    result = subprocess.run([BINARY, "--replay", path, "--no-window"] + list(args), cwd=DATA_DIR,
                            env=env, capture_output=True, text=True, timeout=600)
    line = recordings.replay_line(result.stderr)
    check(result.returncode == 0 and line is not None and result.stdout == "",
          "%s %s: exit 0 and one replay line, nothing on standard output (%s, %r)"
          % (os.path.basename(path), " ".join(args), result.returncode, result.stderr[-300:]))
    return line


def main():
    for name, parts in EXPECTED.items():
        path = os.path.join(RECORDINGS, name)
        recorded = recordings.read(path)
        states = set()
        for index, parts_at in parts.items():
            steps, state, diverged, micros = replay(path, "--index", index)
            check(steps == recorded.steps(),
                  "%s through %s: all %d recorded steps replayed (%d)"
                  % (name, index, recorded.steps(), steps))
            check(diverged == parts_at, "%s through %s: parts at step %s (%s)"
                  % (name, index, parts_at, diverged))
            check(micros is not None and micros > 0, "%s: the time per step is given" % name)
            if parts_at is None:
                states.add(state)
        check(len(states) == 1, "%s: every index that matches ends in one state" % name)
        again = replay(path, "--index", "flat")
        check(again[:3] == replay(path, "--index", "flat")[:3],
              "%s: replaying twice gives the same line" % name)

    # One tick's interval changed (its checks made valid again): every step
    # before it still matches, the step it makes is the first to differ.
    path = os.path.join(RECORDINGS, "agree.rec")
    changed = recordings.read(path)
    number = 40
    tick = changed.ticks()[number]
    recordings.set_interval(tick, recordings.interval(tick) * 1.5)
    step = changed.step_of_tick(number)
    if step is None:
        fail("tick %d of agree.rec makes no physics step" % number)
    copy = os.path.join(os.environ.get("BRENNOC_ARTIFACTS", "."), "agree-changed.rec")
    os.makedirs(os.path.dirname(copy), exist_ok=True)
    with open(copy, "wb") as out:
        out.write(changed.encode())
    for index in ("octree", "dbvt"):
        steps, _, diverged, _ = replay(copy, "--index", index)
        check(diverged == step and steps == changed.steps(),
              "a changed interval parts at the step it makes, %d, through %s (%s)"
              % (step, index, diverged))

    # A recorded state changed at step 50, and the last step's state left out:
    # the first parts at 50, the second at the step the recording lacks.
    changed = recordings.read(path)
    states = [chunk for chunk in changed.chunks if chunk[0] == b"S"]
    states[49][1] = bytes(8)
    with open(copy, "wb") as out:
        out.write(changed.encode())
    steps, _, diverged, _ = replay(copy)
    check(diverged == 50 and steps == changed.steps(),
          "a changed state parts at its step, 50 (%s)" % diverged)
    shorter = recordings.read(path)
    last_state = max(at for at, chunk in enumerate(shorter.chunks) if chunk[0] == b"S")
    del shorter.chunks[last_state]
    with open(copy, "wb") as out:
        out.write(shorter.encode())
    steps, _, diverged, _ = replay(copy)
    check(diverged == steps == recordings.read(path).steps(),
          "a step the recording lacks parts there (%s of %s)" % (diverged, steps))
    print("PASS", flush=True)


if __name__ == "__main__":
    main()
