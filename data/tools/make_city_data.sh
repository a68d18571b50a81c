#!/bin/sh
# Regenerates the city's street and facade images and its building description
# files. Run from anywhere; writes into the data folder next to this script.
# Needs ImageMagick's convert. The images are procedural and seeded, so a rerun
# gives the same pictures.
set -eu

data=$(cd "$(dirname "$0")/.." && pwd)
tex="$data/Texture"
mkdir -p "$tex" "$data/Building"

# Asphalt: grey noise with a little large-scale variation, then any markings.
asphalt() {  # out seed [draw primitives]
    convert -size 128x128 -seed "$2" plasma:gray34-gray26 -colorspace Gray \
        -attenuate 0.5 +noise Gaussian -blur 0x0.5 -colorspace sRGB \
        -fill gray80 -draw "${3:-}" -quality 85 "$1"
}

# Street tile of a straight run or a bend.
asphalt "$tex/Asfalt2.jpg" 11

# Crossing: zebra stripes along all four edges.
stripes=""
for k in 0 1 2 3 4 5; do
    a=$((22 + k * 14))
    b=$((a + 7))
    stripes="$stripes rectangle $a,4 $b,22 rectangle $a,105 $b,123"
    stripes="$stripes rectangle 4,$a 22,$b rectangle 105,$a 123,$b"
done
asphalt "$tex/Asfalt1.jpg" 12 "$stripes"

# A facade: light wall, a grid of windows (some lit), a darker ground floor
# band with a door. width height columns floors seed out
facade() {
    w=$1 h=$2 cols=$3 floors=$4 seed=$5 out=$6
    cw=$((w / cols))
    fh=$((h / (floors + 1)))
    dark=""
    lit=""
    n=$seed
    f=0
    while [ "$f" -lt "$floors" ]; do
        c=0
        while [ "$c" -lt "$cols" ]; do
            x0=$((c * cw + cw / 5))
            x1=$((c * cw + cw - cw / 5 - 1))
            y0=$((f * fh + fh / 4 + 2))
            y1=$((f * fh + fh - fh / 5))
            n=$(((n * 1103515245 + 12345) % 2147483648))
            if [ $((n / 65536 % 5)) -eq 0 ]; then
                lit="$lit rectangle $x0,$y0 $x1,$y1"
            else
                dark="$dark rectangle $x0,$y0 $x1,$y1"
            fi
            c=$((c + 1))
        done
        f=$((f + 1))
    done
    gy=$((floors * fh + 2))
    dx0=$((w / 2 - cw / 3))
    dx1=$((w / 2 + cw / 3))
    convert -size "${w}x${h}" -seed "$seed" plasma:gray85-gray72 -colorspace Gray \
        -attenuate 0.3 +noise Gaussian -colorspace sRGB \
        -fill '#2c3440' -draw "$dark" \
        -fill '#e8d890' -draw "$lit" \
        -fill gray55 -draw "rectangle 0,$gy $((w - 1)),$((h - 1))" \
        -fill '#3a2c22' -draw "rectangle $dx0,$((gy + 3)) $dx1,$((h - 1))" \
        -fill gray45 -draw "rectangle 0,0 $((w - 1)),2" -type TrueColor \
        -quality 85 "$out"
}

# One image per face shape, one unit of face = 64 pixels.
facade 64 256 2 11 21 "$tex/Fasada1.jpg"  # 1 wide, 4 high
facade 64 128 2 5 22 "$tex/Fasada2.jpg"   # 1 wide, 2 high
facade 128 128 4 5 23 "$tex/Fasada3.jpg"  # 2 wide, 2 high
facade 128 64 4 2 24 "$tex/Fasada4.jpg"   # 2 wide, 1 high

# Flat roof: gravel with a parapet.
convert -size 128x128 -seed 31 plasma:gray60-gray48 -colorspace Gray \
    -attenuate 0.6 +noise Gaussian -blur 0x0.5 -colorspace sRGB \
    -fill none -stroke gray80 -strokewidth 6 -draw "rectangle 3,3 124,124" \
    -quality 85 "$tex/Strecha.jpg"

# Description files: sizes x, y, z, then the images of the faces at -z, +z,
# +x, -x, +y and -y. The sizes match the footprints the layout gives each file.
describe() {  # out x y z front back left right top bottom
    printf '%s\n' "$2" "$3" "$4" "$5" "$6" "$7" "$8" "$9" "${10}" >"$1"
}
describe "$data/Building/dum1.txt" 1 4 1 \
    Texture/Fasada1.jpg Texture/Fasada1.jpg Texture/Fasada1.jpg Texture/Fasada1.jpg \
    Texture/Strecha.jpg Texture/Strecha.jpg
describe "$data/Building/dum2.txt" 1 2 2 \
    Texture/Fasada2.jpg Texture/Fasada2.jpg Texture/Fasada3.jpg Texture/Fasada3.jpg \
    Texture/Strecha.jpg Texture/Strecha.jpg
describe "$data/Building/dum3.txt" 2 2 1 \
    Texture/Fasada3.jpg Texture/Fasada3.jpg Texture/Fasada2.jpg Texture/Fasada2.jpg \
    Texture/Strecha.jpg Texture/Strecha.jpg
describe "$data/Building/dum4.txt" 2 1 2 \
    Texture/Fasada4.jpg Texture/Fasada4.jpg Texture/Fasada4.jpg Texture/Fasada4.jpg \
    Texture/Strecha.jpg Texture/Strecha.jpg
