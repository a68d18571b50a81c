#!/usr/bin/env bash
# Makes the README's pictures of the overlay of each collision index from real
# runs on a virtual display, one city (seed 19625, with its street ahead of the
# camera) started with each index:
# docs/octree-overlay.png, docs/dbvt-overlay.png and docs/flat-overlay.png; and
# the octree's leaves coloured by heat (key C) with 300 craft, whose moves warm
# the leaves in the sky, docs/octree-heat.png.
# Usage: scripts/index-overlays.sh [program]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
program="${1:-$root/build/app/brennoc}"
for index in octree dbvt flat; do
    "$root/scripts/overlay-screenshot.sh" "$program" "$root/docs/$index-overlay.png" \
        --seed 19625 --index "$index"
done
OVERLAY_KEYS=c "$root/scripts/overlay-screenshot.sh" "$program" "$root/docs/octree-heat.png" \
    --seed 19625 --index octree --craft 300
