#!/usr/bin/env bash
# Builds the Debian package build-package/brennoc_<version>_<architecture>.deb
# from this checkout: the program alone, with Debian's compiler and linker
# flags (hardening included), packed by CPack, its dependencies found by
# dpkg-shlibdeps; then lintian's verdict, a check that the unpacked command
# answers --version, and the package's size. The build's
# output goes to build-package/package-build.log.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
. "$root/scripts/progress.sh"

build="$root/build-package"
log="$build/package-build.log"
mkdir -p "$build"
: >"$log"
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
echo "building the Debian package (log in $log)" >&2
if ! { cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
           -DBRENNOC_BENCHMARKS=OFF -DCMAKE_C_FLAGS="$CFLAGS $CPPFLAGS" \
           -DCMAKE_CXX_FLAGS="$CXXFLAGS $CPPFLAGS" -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" &&
       cmake --build "$build" -j"$(nproc)"; } 2>&1 | build_progress "the package" "$log"; then
    cat "$log" >&2
    echo "the build failed; its output is above and in $log" >&2
    exit 1
fi
rm -f "$build"/brennoc_*.deb
if ! (cd "$build" && cpack -G DEB) >>"$log" 2>&1; then
    tail -n 30 "$log" >&2
    echo "cpack failed; see $log" >&2
    exit 1
fi
deb="$(echo "$build"/brennoc_*.deb)"

echo "lintian:" >&2
# Errors fail the script; docs/packaging.md explains what else it may say.
lintian -I "$deb" 2>/dev/null | sed 's/^/  /' >&2 || {
    echo "lintian found errors" >&2
    exit 1
}
# Unpacked into a scratch root, the command answers without a display.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
dpkg -x "$deb" "$scratch"
version="$(cd / && env -u DISPLAY "$scratch/usr/bin/brennoc" --version)"
[ "$version" = "brennoc $(dpkg-deb -f "$deb" Version)" ] || {
    echo "the unpacked brennoc --version says '$version'" >&2
    exit 1
}
echo "wrote $deb: $(du -k "$deb" | cut -f1) KiB, $(dpkg-deb -f "$deb" Installed-Size) KiB installed" >&2
echo "$deb"
