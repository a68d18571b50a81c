#!/usr/bin/env bash
# Makes the program's icon from a real run: scripts/screenshot.sh takes the
# picture (seed 7, 40 craft, physics on for a moment, on a virtual display)
# and the square around the building in the middle and the craft above it
# becomes packaging/icons/NxN/brennoc.png at 48, 128 and 256 pixels, with
# rounded corners and a palette of 256 colours to keep the files small.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$root/scripts/screenshot.sh" "$work/shot.png" --seed 7 --craft 40 >/dev/null
# The window is 800 x 600; the square stays clear of the graphs at the right.
convert "$work/shot.png" -crop 320x320+240+200 +repage "$work/square.png"
for size in 48 128 256; do
    radius=$((size / 8))
    out="$root/packaging/icons/${size}x${size}/brennoc.png"
    mkdir -p "$(dirname "$out")"
    convert "$work/square.png" -resize "${size}x${size}" \
        \( +clone -alpha extract -fill black -colorize 100 -fill white \
           -draw "roundrectangle 0,0 $((size - 1)),$((size - 1)) $radius,$radius" \) \
        -alpha off -compose CopyOpacity -composite -strip \
        -dither FloydSteinberg -colors 256 "png8:$out"
    echo "wrote $out ($(du -k "$out" | cut -f1) KiB)"
done
