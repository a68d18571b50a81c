#!/usr/bin/env bash
# Installs every Debian package that building, running and testing need.
# Quiet and quick when everything is already there.
set -euo pipefail

packages=(
    build-essential cmake g++ pkg-config
    libcoin-dev libsoqt520-dev libsimage-dev qtbase5-dev libx11-dev libxcb1-dev
    libgl1-mesa-dri libglx-mesa0
    googletest libgtest-dev libbenchmark-dev libbullet-dev
    xvfb xauth xdotool imagemagick python3 gnuplot-nox locales
    clang libclang-rt-14-dev
    # scripts/freeze-hunt.sh: stacks, waits and the X server's view of a window
    gdb libc6-dbg x11-utils
    # docs/robustness.md: where the heap's bytes come from in a run of the program
    heaptrack
    # scripts/architecture-graph.sh: the libraries drawn
    graphviz
    # scripts/package.sh: the Debian package, its checks and the fresh-machine check
    dpkg-dev fakeroot file lintian desktop-file-utils appstream man-db debootstrap
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
. "$(dirname "$0")/progress.sh"
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# A fresh machine has empty package lists.
progress_line "setup: reading the package lists"
$sudo apt-get update -qq
# apt's status lines (descriptor 3) feed the progress line.
$sudo apt-get install -y -qq --no-install-recommends -o APT::Status-Fd=3 "${missing[@]}" \
    3>&1 >/dev/null | apt_progress
