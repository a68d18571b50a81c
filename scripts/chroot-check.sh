#!/usr/bin/env bash
# The fresh-machine check of the Debian package, in a clean Debian 12 chroot
# made by debootstrap (minbase): apt-get installs the package with what it
# pulls, brennoc --seed 7 started from / opens the full scene on a virtual
# display (screenshot), man brennoc shows the page, and apt-get remove leaves
# nothing of it. Needs root and Debian's package servers; this machine's own
# packages are not touched.
#   scripts/chroot-check.sh [package.deb] [base tarball] [screenshot.png]
# The chroot is unpacked afresh for every run from a tarball of the
# debootstrap result (made on the first run) and removed at the end.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
deb="$(realpath "${1:-$(echo "$root"/build-package/brennoc_*.deb)}")"
base="${2:-/var/tmp/brennoc-bookworm-minbase.tar}"
shot="$(realpath -m "${3:-$root/build-package/chroot-seed7.png}")"
[ -f "$deb" ] || { echo "no package $deb; run scripts/package.sh first" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "the chroot needs root" >&2; exit 1; }

mounted=()
cleanup() {
    [ -n "${program:-}" ] && kill "$program" 2>/dev/null
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount "${mounted[i]}" || true; done
    rm -rf "${work:-}"
    # Only once nothing of the machine is mounted inside any more.
    if ! grep -q " $jail/" /proc/mounts; then
        rm -rf "$jail"
    else
        echo "still mounted under $jail; left in place" >&2
    fi
}
trap cleanup EXIT
jail="$(mktemp -d /var/tmp/brennoc-chroot.XXXXXX)"
chmod 755 "$jail"
if [ ! -f "$base" ]; then
    echo "== debootstrap bookworm (minbase), kept as $base"
    debootstrap --variant=minbase bookworm "$jail" http://deb.debian.org/debian >/dev/null
    tar -C "$jail" -cf "$base.part" . && mv "$base.part" "$base"
else
    tar -C "$jail" -xpf "$base"
fi
chmod 755 "$jail"
inside() {
    chroot "$jail" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
        DEBIAN_FRONTEND=noninteractive "$@"
}

for fs in proc dev dev/pts tmp/.X11-unix; do
    mkdir -p "$jail/$fs"
    if [ "$fs" = proc ]; then mount -t proc proc "$jail/proc"; else mount --bind "/$fs" "$jail/$fs"; fi
    mounted+=("$jail/$fs")
done

echo "== the chroot before: $(inside dpkg-query -W | wc -l) packages, $(inside cat /etc/debian_version)"
inside apt-get update -qq
# man-db first: the page is looked at below, and it is none of the package's.
inside apt-get install -y -qq --no-install-recommends man-db >/dev/null
cp "$deb" "$jail/tmp/"
before="$(inside dpkg-query -W -f '${Package}\n' | sort)"
echo "== apt-get install ./$(basename "$deb")"
inside sh -c "cd /tmp && apt-get install -y -q ./$(basename "$deb")" | tail -n 3
after="$(inside dpkg-query -W -f '${Package}\n' | sort)"
echo "pulled $(comm -13 <(echo "$before") <(echo "$after") | wc -l) packages, brennoc among them"
inside dpkg-query -W brennoc

echo "== brennoc --seed 7 from / on a virtual display"
work="$(mktemp -d)"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"
chroot "$jail" env -i PATH=/usr/bin:/bin HOME=/root DISPLAY="$DISPLAY" sh -c 'cd / && exec brennoc --seed 7' \
    >/dev/null 2>"$work/stderr" &
program=$!
geometry=""
for _ in $(seq 600); do
    kill -0 "$program" 2>/dev/null || { cat "$work/stderr" >&2; echo "brennoc ended" >&2; exit 1; }
    id="$(xdotool search --onlyvisible --pid "$program" --name '^Brennoc$' 2>/dev/null | head -n1 || true)"
    if [ -n "$id" ]; then
        eval "$(xdotool getwindowgeometry --shell "$id")"
        if [ "$WIDTH" -gt 100 ]; then
            import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/shot.png"
            spread="$(convert "$work/shot.png" -format '%[fx:int(standard_deviation*255)]' info:)"
            # Settled: not one colour, and the scene left of the graphs (whose
            # bars move with every frame) the same twice.
            convert "$work/shot.png" -crop "$((WIDTH * 7 / 10))x${HEIGHT}+0+0" +repage "$work/scene.png"
            if [ "$spread" -gt 5 ] && [ -f "$work/last.png" ] &&
               [ "$(compare -metric AE "$work/scene.png" "$work/last.png" null: 2>&1 | cut -d' ' -f1)" = 0 ]; then
                break
            fi
            cp "$work/scene.png" "$work/last.png"
        fi
    fi
    sleep 0.5
done
mkdir -p "$(dirname "$shot")"
convert "$work/shot.png" -dither FloydSteinberg -colors 256 "png8:$shot"
echo "screenshot: $shot"
xdotool windowfocus --sync "$id" key Escape
wait "$program" && echo "Escape ended it with 0"
program=""
if grep -E "couldn't find|Could not find|cannot open|not read:|data files are not in" "$work/stderr"; then
    echo "the installed program missed files" >&2
    exit 1
fi
echo "standard error named no missing file ($(wc -l <"$work/stderr") lines)"

echo "== man brennoc"
inside sh -c 'MANWIDTH=80 man brennoc 2>&1 | head -n 12'

echo "== apt-get remove brennoc"
inside apt-get remove -y -q brennoc | tail -n 2
left="$(cd "$jail" && ls -d usr/share/brennoc usr/libexec/brennoc usr/bin/brennoc \
    usr/share/man/man6/brennoc.6.gz usr/share/applications/brennoc.desktop 2>/dev/null || true)"
if [ -n "$left" ]; then
    echo "left behind: $left" >&2
    exit 1
fi
echo "nothing is left under /usr/share/brennoc, nor the command, program, page or menu entry"
