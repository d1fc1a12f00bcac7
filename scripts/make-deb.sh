#!/usr/bin/env bash
# Builds the Debian package zolt_VERSION_ARCH.deb the Debian way: dpkg-buildpackage over the
# sources' debian/ (debhelper and CMake, the flags from dpkg-buildflags with every hardening
# option), in a copy of the source tree, since dpkg-buildpackage writes its results beside the
# tree it builds; then lintian checks the package when it is installed. Prints the package's path.
# Usage: scripts/make-deb.sh OUT_DIR
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1"
out=$(realpath "$1")
stage=$(mktemp -d "${TMPDIR:-/tmp}/zolt-deb.XXXXXX")
trap 'rm -rf "$stage"' EXIT

version=$(dpkg-parsechangelog -l "$src/debian/changelog" -S Version)
arch=$(dpkg --print-architecture)
mkdir "$stage/zolt-$version"
tar -C "$src" --exclude=./build --exclude=./.git --exclude='./obj-*' -cf - . |
    tar -C "$stage/zolt-$version" -xf -
(cd "$stage/zolt-$version" && dpkg-buildpackage -b -us -uc -j2 >"$stage/build.log" 2>&1) || {
    tail -40 "$stage/build.log" >&2
    echo "make-deb: dpkg-buildpackage failed" >&2
    exit 1
}
deb=$out/zolt_${version}_${arch}.deb
cp "$stage/zolt_${version}_${arch}.deb" "$deb"
if command -v lintian >/dev/null; then
    lintian --fail-on error,warning "$deb" >&2 || {
        echo "make-deb: lintian reports errors or warnings" >&2
        exit 1
    }
fi
echo "$deb"
