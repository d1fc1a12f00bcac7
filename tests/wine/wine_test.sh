#!/usr/bin/env bash
# zolt.dll under Wine: the Windows test host (64-bit build, same sources as the 32-bit product)
# runs its scenarios on real directories, Wine's registry and keyboard layout; then the bundled
# example tree indexed by the DLL and by `zolt build` must give the same index files.
# Usage: wine_test.sh ZOLT_BINARY SOURCE_DIR. Needs `make test` (the mingw64 preset) first.
set -u
zolt=$(realpath "$1")
src=$(realpath "$2")
bin="$src/build/mingw64"
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

for f in zolt.dll zolt-wintest.exe; do
    [ -f "$bin/$f" ] && continue
    echo "FAIL: missing $bin/$f: make test builds it with the mingw64 preset"
    exit 1
done
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
if [ ! -x "$wine" ]; then
    echo "FAIL: $wine missing: scripts/ensure-deps.sh test installs Debian's wine64"
    exit 1
fi

work=$(mktemp -d /tmp/zolt-wine.XXXXXX)
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all ZOLT_NO_FATAL_BOX=1
export XDG_CONFIG_HOME="$work/config"
# The prefix's own server (and the helpers wineboot started) go with it; nothing else is touched.
cleanup() {
    [ -d "$WINEPREFIX" ] && "$wineserver" -k 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

windows_path() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }

# Two copies of the example tree whose files carry the same write time (whole seconds), with
# links: to a directory, back up the tree (a loop), to a file. No walk may follow a directory
# link.
for side in wine linux; do
    cp -r "$src/examples" "$work/$side-tree"
    ln -s lib "$work/$side-tree/liblink"
    ln -s .. "$work/$side-tree/src/up"
    ln -s main.c "$work/$side-tree/src/main_link.c"
    find "$work/$side-tree" -type f -exec touch -d @1577934245 {} +
done
mkdir "$work/scenarios"

# The run also creates the prefix (10 to 30 s here); the bound leaves room for a slow machine.
timeout -k 10 300 "$wine" "$bin/zolt-wintest.exe" "$(windows_path "$bin/zolt.dll")" \
    "$(windows_path "$work/scenarios")" "$(windows_path "$work/wine-tree")" \
    >"$work/out" 2>"$work/err"
rc=$?
cat "$work/out"
if [ "$rc" = 124 ] || [ "$rc" = 137 ]; then
    fail "the Windows test host did not finish within 300 s"
elif ! grep -q '^PASS load' "$work/out"; then
    echo "FAIL: Wine could not run the Windows test host (exit status $rc):"
    sed 's/^/    /' "$work/err" | tail -20
    exit 1
elif [ "$rc" != 0 ]; then
    fail "the Windows test host reported failures (exit status $rc)"
fi
# A fatal report outside the scenario that provokes it would mean a box on a real host.
grep -v '^wine: \|^  *$' "$work/err" | grep -q . &&
    fail "unexpected stderr: $(cat "$work/err")"

# Parity with the Linux build of the same tree.
"$zolt" build "$work/linux-tree" >"$work/linux-out" 2>&1 ||
    fail "zolt build: $(cat "$work/linux-out")"
for f in 'zoltprj$.Far' 'zoltpru$.Far'; do
    [ -f "$work/wine-tree/$f" ] || fail "the DLL wrote no $f"
    [ -f "$work/linux-tree/$f" ] || fail "zolt build wrote no $f"
done
if ! cmp -s "$work/wine-tree/zoltprj\$.Far" "$work/linux-tree/zoltprj\$.Far"; then
    fail "project index files differ:"
    diff "$work/wine-tree/zoltprj\$.Far" "$work/linux-tree/zoltprj\$.Far" | head -20
fi
sort "$work/wine-tree/zoltpru\$.Far" >"$work/wine-upd"
sort "$work/linux-tree/zoltpru\$.Far" >"$work/linux-upd"
if ! diff "$work/wine-upd" "$work/linux-upd" >"$work/upd-diff"; then
    fail "update index files hold different lines:"
    head -20 "$work/upd-diff"
fi
lines=$(wc -l <"$work/linux-tree/zoltprj\$.Far")
[ "$lines" -gt 50 ] || fail "the example tree gave only $lines index lines"
[ "$failures" = 0 ] &&
    echo "parity: $lines project index lines identical, update index lines the same set"
exit $((failures > 0))
