#!/usr/bin/env bash
# Installs the Debian packages a target needs when they are missing (only as root; one apt-get update).
# Usage: scripts/ensure-deps.sh build|test|run|fuzz|win|bench|deb
set -euo pipefail

build_pkgs="cmake make g++ libgtest-dev libncurses-dev nlohmann-json3-dev"
mingw_pkgs="g++-mingw-w64-i686 binutils-mingw-w64-i686"
fuzz_pkgs="cmake make clang libclang-rt-14-dev nlohmann-json3-dev"
# The tests also run the DLL under Wine: the shipped 32-bit build (wine32 from the i386
# architecture, on kernels that run 32-bit code) and a 64-bit build of the same sources; python3
# generates the tree of 300,000 entries the Wine test builds at scale.
wine_pkgs="g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine64 wine32:i386 python3"
# The Debian package: dpkg-buildpackage with debhelper builds it, lintian checks it; the install
# test reads the manual page with man.
deb_pkgs="$build_pkgs dpkg-dev build-essential debhelper lintian"
# The tags file is read back by Vim (vim-tiny is enough) and readtags (in universal-ctags); the
# language server's test drives it from Neovim's own client.
test_pkgs="$deb_pkgs man-db tmux vim-tiny universal-ctags neovim $mingw_pkgs $wine_pkgs clang libclang-rt-14-dev"
win_pkgs="$mingw_pkgs"
bench_pkgs="$build_pkgs python3 bc strace linux-source-6.1 xz-utils universal-ctags exuberant-ctags global cscope hyperfine gnuplot-nox valgrind time"

case "${1:-build}" in
  build|run) want="$build_pkgs" ;;
  test) want="$test_pkgs" ;;
  fuzz) want="$fuzz_pkgs" ;;
  win) want="$win_pkgs" ;;
  bench) want="$bench_pkgs" ;;
  deb) want="$deb_pkgs" ;;
  *) echo "ensure-deps: unknown target $1" >&2; exit 2 ;;
esac

missing=""
for p in $want; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "ensure-deps: missing packages:$missing (run as root, or install them)" >&2
  exit 1
fi
case "$missing" in
  *:i386*) dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386 ;;
esac
export DEBIAN_FRONTEND=noninteractive
# Another apt run (a developer's, or the system's own) holds the lock for a while at most.
lock="-o DPkg::Lock::Timeout=300"
apt-get $lock update -q
apt-get $lock install -y -q --no-install-recommends $missing
