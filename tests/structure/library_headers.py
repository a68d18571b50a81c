"""Each library's include roots, as its users get them, show only public
headers: never the source tree itself, and in the library's own root only
headers of its folder, none under internal/."""
import os
import sys

source_root, roots_file, include_roots = (os.path.realpath(a) for a in sys.argv[1:4])
faults = []
libraries = 0
for line in open(roots_file):
    library, roots = line.rstrip("\n").split("\t")
    libraries += 1
    own_root = os.path.join(include_roots, "public", library)
    for root in map(os.path.realpath, filter(None, roots.split(";"))):
        in_sources = os.path.commonpath([root, source_root]) == source_root
        if in_sources and os.path.commonpath([root, include_roots]) != include_roots:
            faults.append(f"{library} gives its users a source folder: {root}")
    folders = set()
    for folder, _, files in os.walk(own_root, followlinks=True):
        for name in files:
            path = os.path.relpath(os.path.join(folder, name), own_root)
            if "internal" in path.split(os.sep):
                faults.append(f"{library} shows an internal header: {path}")
            folders.add(os.path.dirname(path))
    if len(folders) != 1:
        faults.append(f"{library} shows headers of {sorted(folders) or 'no folder'}")

print(f"{libraries} libraries checked")
for fault in faults:
    print(fault)
sys.exit(1 if faults or libraries < 10 else 0)
