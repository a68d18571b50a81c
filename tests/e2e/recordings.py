"""Reads and writes the program's recordings (replay/RecordingFormat.h), so
that tests can damage one on purpose or change what it recorded and give it
valid checks again."""

import re
import struct

MAGIC = b"BRENNOCR"
HEADER = struct.Struct("<8sIiiiQ")
PAYLOAD = {b"K": 5, b"F": 0, b"U": 0, b"V": 0, b"T": 8, b"S": 8}
LINE = re.compile(r"replay steps (\d+) state ([0-9a-f]{16}) "
                  r"(matches|diverged at step (\d+))(?: step-us ([0-9.]+))?$", re.M)


def fnv32(data, start=0x811C9DC5):
    value = start
    for byte in data:
        value = ((value ^ byte) * 0x01000193) & 0xFFFFFFFF
    return value


class Recording:
    """A header (version, seed, craft, index, data hash) and its chunks, each a
    kind (one byte) with its payload."""

    def __init__(self, data):
        magic, self.version, self.seed, self.craft, self.index, self.data_hash = \
            HEADER.unpack_from(data)
        assert magic == MAGIC
        self.chunks = []
        at = 36
        while at < len(data):
            kind = data[at:at + 1]
            size = PAYLOAD[kind]
            self.chunks.append([kind, data[at + 1:at + 1 + size]])
            at += 1 + size + 4

    def encode(self):
        header = HEADER.pack(MAGIC, self.version, self.seed, self.craft, self.index,
                             self.data_hash)
        check = fnv32(header)
        out = bytearray(header + struct.pack("<I", check))
        for kind, payload in self.chunks:
            check = fnv32(kind + payload, fnv32(struct.pack("<I", check)))
            out += kind + payload + struct.pack("<I", check)
        return bytes(out)

    def ticks(self):
        """The chunks that are ticks, in order."""
        return [chunk for chunk in self.chunks if chunk[0] == b"T"]

    def steps(self):
        return sum(1 for kind, _ in self.chunks if kind == b"S")

    def step_of_tick(self, number):
        """The physics step the given tick (from 0) made, counted from 1, or
        None when it made none."""
        ticks, steps = -1, 0
        for position, (kind, _) in enumerate(self.chunks):
            if kind == b"T":
                ticks += 1
                stepped = position + 1 < len(self.chunks) and self.chunks[position + 1][0] == b"S"
                steps += stepped
                if ticks == number:
                    return steps if stepped else None
        return None


def read(path):
    with open(path, "rb") as source:
        return Recording(source.read())


def interval(chunk):
    return struct.unpack("<d", chunk[1])[0]


def set_interval(chunk, seconds):
    chunk[1] = struct.pack("<d", seconds)


def replay_line(stderr):
    """The machine line's fields: steps, state, the step it diverged at (None
    when it matches) and the step time (None in a window); None without one."""
    found = LINE.findall(stderr)
    if len(found) != 1:
        return None
    steps, state, _, diverged, micros = found[0]
    return (int(steps), state, int(diverged) if diverged else None,
            float(micros) if micros else None)
