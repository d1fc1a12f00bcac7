#!/usr/bin/env bash
# Packs what `cmake --install` puts under /usr into a Debian package, zolt_VERSION_ARCH.deb: the
# program (stripped), its language and help files, its manual page (compressed, as Debian keeps
# them) and its bash completion. Depends comes from dpkg-shlibdeps. Prints the package's path.
# Usage: scripts/make-deb.sh BUILD_DIR [OUT_DIR]   (OUT_DIR: BUILD_DIR by default)
# The Maintainer field comes from DEBFULLNAME and DEBEMAIL, as for Debian's own tools.
set -euo pipefail
build=$(realpath "$1")
out=$(realpath "${2:-$1}")
stage=$(mktemp -d "${TMPDIR:-/tmp}/zolt-deb.XXXXXX")
trap 'rm -rf "$stage"' EXIT
root=$stage/debian/zolt # where dpkg-shlibdeps expects a package's files

DESTDIR=$root cmake --install "$build" --prefix /usr --strip >/dev/null
find "$root" -type d -exec chmod 755 {} + # whatever the umask
gzip -9n "$root/usr/share/man/man1/zolt.1"
version=$("$root/usr/bin/zolt" --version | cut -d' ' -f2)
arch=$(dpkg --print-architecture)

# dpkg-shlibdeps reads the source package's name from debian/control and finds the package's
# root by its DEBIAN folder
mkdir -m 755 "$root/DEBIAN"
printf 'Source: zolt\n\nPackage: zolt\nArchitecture: any\n' >"$stage/debian/control"
depends=$(cd "$stage" && dpkg-shlibdeps -O -edebian/zolt/usr/bin/zolt | sed -n 's/^shlibs:Depends=//p')

cat >"$root/DEBIAN/control" <<CONTROL
Package: zolt
Version: $version
Architecture: $arch
Maintainer: ${DEBFULLNAME:-ZOLT maintainers} <${DEBEMAIL:-zolt@localhost}>
Installed-Size: $(du -sk --apparent-size "$root/usr" | cut -f1)
Depends: $depends
Section: devel
Priority: optional
Description: C and C++ source browser: definitions index, narrowing menu, go to definition
 zolt finds the names that C and C++ sources and *.MAC macro files define
 (functions, #define macros, typedefs, struct, enum and class tags), keeps
 them in a project index in each directory built, rebuilt by file write
 time, lists them in a menu that narrows as you type, and jumps from the
 word under the editor cursor to its definition and back.
 .
 It is the Far Manager 1.x plugin ZOLT run by a terminal program of its own
 (a two-panel file manager and editor), with headless commands for scripts:
 zolt build, list, goto, scan and config.
CONTROL
(cd "$root" && find usr -type f -print0 | sort -z | xargs -0 md5sum) >"$root/DEBIAN/md5sums"
chmod 644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"

deb=$out/zolt_${version}_${arch}.deb
dpkg-deb --root-owner-group --build "$root" "$deb" >/dev/null
echo "$deb"
