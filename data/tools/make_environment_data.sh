#!/bin/sh
# Regenerates the images of the surroundings: the grass, the skybox's panorama
# walls and sky, and the flying craft's metal. Run from anywhere; writes into
# the data folder next to this script. Needs ImageMagick's convert. Every
# random step is seeded, so a rerun gives the same pictures. The craft model
# models/Ufo1.wrl is written by hand and not made here.
set -eu

data=$(cd "$(dirname "$0")/.." && pwd)
tex="$data/Texture"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$tex/skybox"

jpeg() {  # in out
    convert "$1" -strip -quality 85 "$2"
}

# Soft cloud cover over a sky of the given size; wraps round left to right, so
# the panorama's last wall meets its first without a seam.
clouds() {  # size seed out
    convert -size "$1" xc: -seed "$2" +noise Random -virtual-pixel tile -blur 0x14 \
        -colorspace Gray -auto-level -level 55%,95% "$3"
}

# Panorama walls 1..4, one 1024 x 256 strip cut in four. The image's bottom
# row sits on the floor, so the bottom holds a pale horizon with low hills and
# the top the deep blue that the sky image continues.
convert -size 1024x256 gradient:'#3b78c9'-'#dce9f5' "$work/gradient.png"
clouds 1024x256 21 "$work/clouds.png"
# Clouds thin out towards the horizon.
convert "$work/clouds.png" \( -size 1024x256 gradient:white-gray25 \) -compose Multiply \
    -composite "$work/cloudmask.png"
convert "$work/gradient.png" \( -size 1024x256 xc:'#f4f7fa' \) "$work/cloudmask.png" \
    -compose Over -composite "$work/sky.png"
# The hills' outline: a row of wrapping noise, smoothed to gentle slopes.
convert -size 1024x1 xc: -seed 7 +noise Random -virtual-pixel tile -blur 0x24 \
    -colorspace Gray -auto-level "$work/profile.png"
convert -size 1024x256 xc: "$work/profile.png" -fx 'j > h * (0.9 - 0.09 * v.p{i,0})' \
    -blur 0x0.6 "$work/hillmask.png"
convert -size 1024x256 gradient:'#5f8a74'-'#3f6650' "$work/hills.png"
convert "$work/sky.png" "$work/hills.png" "$work/hillmask.png" -compose Over -composite \
    "$work/panorama.png"
for k in 1 2 3 4; do
    convert "$work/panorama.png" -crop 256x256+$(((k - 1) * 256))+0 +repage "$work/wall$k.png"
    jpeg "$work/wall$k.png" "$tex/skybox/$k.jpg"
done

# Sky overhead: the walls' top blue with scattered clouds.
clouds 256x256 22 "$work/skyclouds.png"
convert -size 256x256 xc:'#3b78c9' \( -size 256x256 xc:'#f4f7fa' \) "$work/skyclouds.png" \
    -compose Over -composite "$work/overhead.png"
jpeg "$work/overhead.png" "$tex/skybox/5.jpg"

# Grass: fine blades over patches of lighter and darker green; wraps both ways,
# as the ground texture repeats.
convert -size 256x256 xc: -seed 3 +noise Random -virtual-pixel tile -blur 0x0.7 \
    -colorspace Gray -auto-level "$work/blades.png"
convert -size 256x256 xc: -seed 4 +noise Random -virtual-pixel tile -blur 0x14 \
    -colorspace Gray -auto-level "$work/patches.png"
convert "$work/blades.png" "$work/patches.png" -compose Blend -define compose:args=55 \
    -composite -auto-level \( -size 1x256 gradient:'#1f4e14'-'#78b444' \) -clut \
    "$work/grass.png"
jpeg "$work/grass.png" "$tex/Trava.jpg"

# The craft's metal: brushed steel with panel seams and rivets.
convert -size 256x256 xc: -seed 5 +noise Random -virtual-pixel tile -motion-blur 0x40+0 \
    -colorspace Gray -auto-level -level 10%,90% \
    \( -size 1x256 gradient:'#5b626b'-'#d9dee4' \) -clut "$work/brushed.png"
seams=""
rivets=""
for a in 0 64 128 192; do
    seams="$seams line 0,$((a + 1)) 255,$((a + 1)) line $((a + 1)),0 $((a + 1)),255"
    for b in 0 64 128 192; do
        for c in 16 32 48; do
            rivets="$rivets circle $((b + c)),$((a + 6)) $((b + c + 1)),$((a + 7))"
        done
    done
done
convert "$work/brushed.png" -fill none -stroke '#3a3f46' -strokewidth 2 -draw "$seams" \
    -stroke none -fill '#e9edf1' -draw "$rivets" "$work/metal.png"
jpeg "$work/metal.png" "$tex/LetajiciObjekt1.jpg"
