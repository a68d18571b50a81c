#!/usr/bin/env bash
# Draws the program's libraries and their one-way dependencies, as CMake links
# them, into docs/architecture.png: ./scripts/architecture-graph.sh [picture]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/docs/architecture.png}"
"$root/scripts/setup.sh"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/build"
# The program's own targets only: no tests, benchmarks or outside libraries.
cat > "$work/build/CMakeGraphVizOptions.cmake" <<'OPTIONS'
set(GRAPHVIZ_EXTERNAL_LIBS FALSE)
set(GRAPHVIZ_GENERATE_PER_TARGET FALSE)
set(GRAPHVIZ_GENERATE_DEPENDERS FALSE)
OPTIONS
cmake -S "$root" -B "$work/build" -DBUILD_TESTING=OFF -DBRENNOC_BENCHMARKS=OFF \
    --graphviz="$work/targets.dot" >/dev/null

# Without CMake's legend and the project prefix; an arrow reads "uses".
python3 - "$work/targets.dot" "$work/libraries.dot" <<'FILTER'
import re, sys
text = open(sys.argv[1]).read()
text = re.sub(r"subgraph clusterLegend \{.*?\n\}\n", "", text, flags=re.S)
text = text.replace('label = "brennoc_', 'label = "')
text = text.replace('label = "brennoc",', 'label = "brennoc (the program)",')
text = re.sub(r"digraph \"[^\"]*\" \{", 'digraph libraries {\n  rankdir = "TB";\n'
              '  node [fontname = "Helvetica"];', text, count=1)
open(sys.argv[2], "w").write(text)
FILTER
dot -Tpng -Gdpi=72 "$work/libraries.dot" -o "$out"
echo "wrote $out"
