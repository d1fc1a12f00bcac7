#!/usr/bin/env bash
# zolt.dll under Wine, for one machine type: the Windows test host of that type runs its
# scenarios on real directories, Wine's registry and keyboard layout; then a tree indexed by the
# DLL and by `zolt build` must give the same index files (full build, rebuild with nothing
# changed, rebuild after touching one file).
# Usage: wine_test.sh ZOLT_BINARY SOURCE_DIR [i686|x86_64] [far3]. Needs `make test` (the mingw
# and mingw64 presets) first. i686 is the shipped DLL; where this machine cannot run 32-bit code
# the run says why on a "SKIPPED:" line and exits 77.
# far3: the plugin for the current host generation (far3/zolt.dll) under its own test host
# instead; its index files must also be byte for byte those of the 1.x DLL of the same machine
# type. The generated tree at scale is left to the 1.x run: both DLLs share the walk.
# ZOLT_WINE_EXTRA_TREE: a command that fills the directory given as its one argument; when set,
# that tree goes through the same parity check after the example tree (e.g. a generated tree
# of some hundred thousand entries; ZOLT_WINE_BUILD_TIMEOUT bounds each build, default 120 s).
set -u
zolt=$(realpath "$1")
src=$(realpath "$2")
arch=${3:-x86_64}
mode=${4:-far1}
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

case "$arch" in
i686) bin="$src/build/mingw" wine=/usr/lib/wine/wine winearch=win32 ;;
x86_64) bin="$src/build/mingw64" wine=/usr/lib/wine/wine64 winearch=win64 ;;
*) echo "FAIL: unknown machine type $arch"; exit 2 ;;
esac
wineserver=/usr/lib/wine/wineserver

case "$mode" in
far1) host=zolt-wintest.exe plugin=zolt.dll needed="zolt.dll zolt-faults.dll zolt-wintest.exe" ;;
far3) host=zolt-wintest3.exe plugin=far3/zolt.dll
      needed="far3/zolt.dll far3/zoltRus.lng zolt-wintest3.exe zolt.dll zolt-wintest.exe" ;;
*) echo "FAIL: unknown plugin generation $mode"; exit 2 ;;
esac

preset=$([ "$arch" = i686 ] && echo mingw || echo mingw64)
lacking=""
for f in $needed; do
    [ -f "$bin/$f" ] || lacking="$lacking $f"
done
if [ -n "$lacking" ]; then
    echo "FAIL: missing in $bin:$lacking"
    echo "  the $arch Windows build is made with (the MinGW-w64 cross tools: scripts/ensure-deps.sh win):"
    echo "    cmake --preset $preset && cmake --build --preset $preset -j2    (make test does this too)"
    exit 1
fi
if [ ! -x "$wine" ]; then
    [ "$arch" = i686 ] &&
        { echo "SKIPPED: no 32-bit Wine loader $wine (scripts/ensure-deps.sh test installs Debian's wine32)"; exit 77; }
    echo "FAIL: $wine missing: scripts/ensure-deps.sh test installs Debian's wine64"
    exit 1
fi
# The 32-bit loader is itself an i386 program: if the kernel cannot run it, nothing 32-bit runs.
if [ "$arch" = i686 ] && ! why=$("$wine" --version 2>&1 >/dev/null); then
    echo "SKIPPED: this kernel does not run 32-bit x86 programs ($wine --version: ${why:-failed}); the x86_64 run stands in"
    exit 77
fi

work=$(mktemp -d /tmp/zolt-wine.XXXXXX)
export WINEPREFIX="$work/prefix" WINEARCH=$winearch WINEDEBUG=-all ZOLT_NO_FATAL_BOX=1
export XDG_CONFIG_HOME="$work/config"
# The prefix's own server (and the helpers wineboot started) go with it; nothing else is touched.
cleanup() {
    [ -d "$WINEPREFIX" ] && "$wineserver" -k 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

windows_path() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }
now_ms() { date +%s%3N; }

# The first run also creates the prefix (10 to 30 s here); the bound leaves room for a slow machine.
start=$(now_ms)
if ! version=$(timeout -k 10 300 "$wine" "$bin/$host" --version 2>"$work/err"); then
    echo "FAIL: Wine could not run the $arch test host:"
    sed 's/^/    /' "$work/err" | tail -20
    exit 1
fi
echo "$version: Wine prefix ready in $(( ($(now_ms) - start) / 1000 )) s"

mkdir "$work/scenarios"
start=$(now_ms)
if [ "$mode" = far1 ]; then
    set -- "$(windows_path "$bin/zolt-faults.dll")"
else
    set --
fi
timeout -k 10 300 "$wine" "$bin/$host" "$(windows_path "$bin/$plugin")" \
    "$(windows_path "$work/scenarios")" "$@" >"$work/out" 2>"$work/err"
rc=$?
cat "$work/out"
echo "scenarios: $(( $(now_ms) - start )) ms"
if [ "$rc" = 124 ] || [ "$rc" = 137 ]; then
    fail "the Windows test host did not finish within 300 s"
elif ! grep -q '^PASS load' "$work/out"; then
    echo "FAIL: Wine could not run the Windows test host (exit status $rc):"
    sed 's/^/    /' "$work/err" | tail -20
    exit 1
elif [ "$rc" != 0 ]; then
    fail "the Windows test host reported failures (exit status $rc)"
fi
grep -q '^PASS config' "$work/out" || fail "the scenarios did not run to the end"
# A fatal report outside the scenarios that provoke it would mean a box on a real host.
grep -v '^wine: \|^  *$' "$work/err" | grep -q . &&
    fail "unexpected stderr: $(cat "$work/err")"

# ---- parity with `zolt build` ----

# One Build project index in $1 by the DLL $3 (default: the one under test) loaded by the test
# host $4; its own timing goes to the output.
dll_build() {
    local out
    out=$(timeout -k 10 "${ZOLT_WINE_BUILD_TIMEOUT:-120}" "$wine" "$bin/${4:-$host}" --build \
        "$(windows_path "$bin/${3:-$plugin}")" "$(windows_path "$1")" 2>&1)
    local rc=$?
    echo "    $out"
    [ "$rc" = 0 ] || fail "$2: the DLL's build failed (exit status $rc)"
}

# far3: the same build by the 1.x DLL in the twin tree $1, whose index files must equal those
# of the tree $2 byte for byte, less the files only the library for the current host sees
# (names outside the ANSI code page, directories whose names end in a dot).
twin_build() {
    [ "$mode" = far3 ] || return 0
    dll_build "$1" "$3 (1.x DLL)" zolt.dll zolt-wintest.exe
    local f
    for f in 'zoltprj$.Far' 'zoltpru$.Far'; do
        cmp -s <(unicode_out "$1/$f") <(unicode_out "$2/$f") ||
            fail "$3: $f differs from the 1.x DLL's"
    done
}

linux_build() {
    "$zolt" build "$1" >"$work/linux-out" 2>&1 || fail "$2: zolt build: $(cat "$work/linux-out")"
}

# The DLL leaves out files named like devices; the 1.x DLL shows a name its ANSI code page
# cannot hold by the 8.3 alias (checked on its own below) and skips a directory whose name ends
# in a dot, where the library for the current host keeps both as zolt build on Linux does. The
# rest must be equal.
DEVICE_FILES='aux.h CON.c nul.h com1.c lpt2.h'
WIDE_FILE='文件.c'
unicode_out() { grep -v -E '^(wide_name|modul_fn|trail_fn)\?' "$1"; }
left_out() {
    if [ "$mode" = far3 ]; then
        grep -v -E '(^|\?|\\)(aux\.h|CON\.c|nul\.h|com1\.c|lpt2\.h)\?' "$1"
    else
        grep -v -E '(^|\?|\\)(aux\.h|CON\.c|nul\.h|com1\.c|lpt2\.h)\?' "$1" | unicode_out /dev/stdin
    fi
}
dll_out() { if [ "$mode" = far3 ]; then cat "$1"; else unicode_out "$1"; fi; }

compare() {
    local label=$1 w=$2 l=$3 f
    for f in 'zoltprj$.Far' 'zoltpru$.Far'; do
        [ -f "$w/$f" ] || fail "$label: the DLL wrote no $f"
        [ -f "$l/$f" ] || fail "$label: zolt build wrote no $f"
    done
    [ -f "$w/zoltprj\$.Far" ] && [ -f "$l/zoltprj\$.Far" ] || return
    left_out "$l/zoltprj\$.Far" >"$work/l-prj"
    left_out "$l/zoltpru\$.Far" | sort >"$work/l-upd"
    dll_out "$w/zoltprj\$.Far" >"$work/w-prj"
    dll_out "$w/zoltpru\$.Far" | sort >"$work/w-upd"
    if ! diff "$work/w-prj" "$work/l-prj" >"$work/diff"; then
        fail "$label: project index files differ (< DLL, > zolt build):"
        head -20 "$work/diff"
    fi
    if ! diff "$work/w-upd" "$work/l-upd" >"$work/diff"; then
        fail "$label: update index files hold different lines (< DLL, > zolt build):"
        head -20 "$work/diff"
    fi
}

# $1 label, $2 the function that fills a tree. Both copies carry the same write times.
tree_parity() {
    local label=$1 w="$work/$1-wine" l="$work/$1-linux"
    mkdir "$w"
    "$2" "$w" || { fail "$label: cannot make the tree"; return; }
    find "$w" -type f -exec touch -h -d @1577934245 {} +
    cp -a "$w" "$l"
    local o="$work/$1-twin"
    [ "$mode" = far3 ] && cp -a "$w" "$o"
    echo "$label: $(find "$w" -type f | wc -l) files"

    dll_build "$w" "$label, full build"
    linux_build "$l" "$label, full build"
    compare "$label, full build" "$w" "$l"
    twin_build "$o" "$w" "$label, full build"

    touch -d @1000000000 "$w/zoltprj\$.Far" "$w/zoltpru\$.Far"
    dll_build "$w" "$label, nothing changed"
    [ "$(stat -c %Y "$w/zoltprj\$.Far" "$w/zoltpru\$.Far" | sort -u)" = 1000000000 ] ||
        fail "$label, nothing changed: the DLL wrote the index files again"

    local one
    one=$(cd "$w" && find . -name '*.c' -type f | LC_ALL=C sort | head -1)
    for side in "$w" "$l" "$o"; do
        [ -d "$side" ] || continue
        printf 'int touched_fn(void) { return 1; }\n' >>"$side/$one"
        touch -d @1600000000 "$side/$one"
    done
    dll_build "$w" "$label, one file touched"
    linux_build "$l" "$label, one file touched"
    compare "$label, one file touched" "$w" "$l"
    twin_build "$o" "$w" "$label, one file touched"
    grep -q '^touched_fn?' "$w/zoltprj\$.Far" || fail "$label: the touched file was not scanned again"
}

# The example tree with links (to a directory, back up the tree, to a file: no walk may follow a
# directory link), files named like devices, and a name outside every ANSI code page.
example_tree() {
    cp -r "$src/examples/." "$1" && ln -s lib "$1/liblink" && ln -s .. "$1/src/up" &&
        ln -s main.c "$1/src/main_link.c" || return 1
    local f
    for f in $DEVICE_FILES; do printf 'int dev_%s(void) { return 0; }\n' "${f%.*}" >"$1/src/$f"; done
    printf 'int wide_name(void) { return 0; }\n' >"$1/src/$WIDE_FILE"
    mkdir "$1/Проект" "$1/trail." || return 1
    printf 'int modul_fn(void) { return 0; }\n' >"$1/Проект/модуль.c"
    printf 'int trail_fn(void) { return 0; }\n' >"$1/trail./t.c"
}

tree_parity examples example_tree
w="$work/examples-wine"
lines=$(wc -l <"$w/zoltprj\$.Far")
[ "$lines" -gt 50 ] || fail "the example tree gave only $lines index lines"
grep -q '^dev_' "$w/zoltprj\$.Far" && fail "a file named like a device was indexed"
[ "$(grep -c '^dev_' "$work/examples-linux/zoltprj\$.Far")" = 5 ] ||
    fail "zolt build did not index the five device-named files"
wide=$(grep '^wide_name?' "$w/zoltpru\$.Far" | tr -d '\r')
if [ "$mode" = far3 ]; then
    # every name as it is, in UTF-8: the lines above equal zolt build's
    for want in 'wide_name?src\文件.c?1' 'modul_fn?Проект\модуль.c?1' 'trail_fn?trail.\t.c?1'; do
        grep -q -F "$want" "$w/zoltprj\$.Far" || fail "the library for the current host lacks $want"
    done
else
    echo "$wide" | grep -q -E '^wide_name\?src\\[!-~]+\?1\?[0-9]+\?[0-9]+$' && [ "$(echo "$wide" | wc -l)" = 1 ] ||
        fail "the name outside the ANSI code page: want one line by its 8.3 alias, got: $wide"
fi

# At scale: a generated tree of 300,000 entries (10,000 files) through the same three builds, in
# the 32-bit run (or the 64-bit one where 32-bit code cannot run). The times are printed, not
# judged: make bench measures them.
if [ "$mode" = far1 ] && { [ "$arch" = i686 ] || ! /usr/lib/wine/wine --version >/dev/null 2>&1; }; then
    scale_tree() { python3 "$src/bench/synth.py" "$1" 300000; }
    tree_parity scale scale_tree
    n=$(wc -l <"$work/scale-wine/zoltprj\$.Far")
    [ "$n" -ge 300000 ] || fail "scale: only $n index lines"
fi

if [ -n "${ZOLT_WINE_EXTRA_TREE:-}" ]; then
    extra_tree() { $ZOLT_WINE_EXTRA_TREE "$1"; }
    tree_parity extra extra_tree
fi

[ "$failures" = 0 ] &&
    echo "parity ($arch, $mode): index files identical to zolt build's (less the files left out), nothing rewritten when nothing changed"
exit $((failures > 0))
