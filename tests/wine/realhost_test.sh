#!/usr/bin/env bash
# The plugin for the current host generation inside the real host (3.0, a test fixture kept
# outside this tree: $ZOLT_REALHOST3, default ../shared/realhost3 beside the clone), under Wine
# in tmux: every command driven by keys and read from the screen, the index files compared with
# `zolt build`'s; in the 32-bit host the 1.x library goes through the same. Usage: realhost_test.sh ZOLT_BINARY SOURCE_DIR [i686|x86_64]. Without the host,
# or without 32-bit Wine for i686, it says why on a "SKIPPED:" line and exits 77.
set -u
zolt=$(realpath "$1")
src=$(realpath "$2")
arch=${3:-x86_64}
host=${ZOLT_REALHOST3:-$src/../shared/realhost3}
case "$arch" in
i686) bits=32 bin="$src/build/mingw/far3" ;;
x86_64) bits=64 bin="$src/build/mingw64/far3" ;;
*) echo "FAIL: unknown machine type $arch"; exit 2 ;;
esac
[ -x "$host/run.sh" ] || { echo "SKIPPED: no real host at $host"; exit 77; }
[ -f "$bin/zolt.dll" ] || { echo "FAIL: $bin/zolt.dll missing (make test builds it)"; exit 1; }
command -v tmux >/dev/null || { echo "SKIPPED: no tmux"; exit 77; }
[ -x /usr/lib/wine/wine64 ] || { echo "SKIPPED: no Wine"; exit 77; }
if [ "$bits" = 32 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "SKIPPED: this machine does not run 32-bit Wine"
    exit 77
fi

work=$(mktemp -d /tmp/zolt-realhost.XXXXXX)
session="zolt-realhost-$$"
# The host and every process of its prefix, gone before the next start (a host still closing
# keeps its profile, and the next one would stop at once).
stop_host() {
    tmux kill-session -t "$session" 2>/dev/null
    WINEPREFIX="$work/home/prefix" /usr/lib/wine/wineserver -k 2>/dev/null
    WINEPREFIX="$work/home/prefix" /usr/lib/wine/wineserver -w 2>/dev/null
}
cleanup() {
    stop_host
    rm -rf "$work"
}
trap cleanup EXIT
# The host's start script calls `wine`: the loader that fits the program's machine type.
mkdir -p "$work/bin" "$work/plugin/ZOLT" "$work/tree" "$work/linux"
cat >"$work/bin/wine" <<'SHIM'
#!/bin/sh
case "$(od -An -tx1 -j"$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')" -N6 "$1" | tr -d ' ')" in
*50450000*6486*) exec /usr/lib/wine/wine64 "$@" ;;
*) exec /usr/lib/wine/wine "$@" ;;
esac
SHIM
chmod +x "$work/bin/wine"
cp "$bin"/zolt.dll "$bin"/zolt*.lng "$bin"/zolt*.hlf "$work/plugin/ZOLT/"
cp -r "$src/examples/." "$work/tree/"
cp -r "$src/examples/." "$work/linux/"
export XDG_CONFIG_HOME="$work/config"
"$zolt" build "$work/linux" >/dev/null || { echo "FAIL: zolt build"; exit 1; }

screen() { tmux capture-pane -p -t "$session" 2>/dev/null; }
failures=0
check() { # what, then a test command
    local what=$1
    shift
    if "$@"; then echo "PASS $what"; else
        echo "FAIL $what"
        screen | head -3 | sed 's/^/    /'
        failures=$((failures + 1))
    fi
}
seen() { screen | grep -q -- "$1"; }
title() { screen | head -1 | grep -q -- "$1"; }
keys() { tmux send-keys -t "$session" "$@"; sleep "${pause:-1.5}"; }

# Every command of the plugin installed from $1, on a fresh copy of the example tree; $2 goes
# in front of each check's name.
drive() {
    local kind=$2
    rm -rf "$work/tree" && mkdir "$work/tree" && cp -r "$src/examples/." "$work/tree/"
    PATH="$work/bin:$PATH" FAR_SESSION="$session" FAR_HOME="$work/home" \
        PLUGIN_DIR="$1" "$host/run.sh" "$bits" "$work/tree" >/dev/null
    # A fresh prefix and the host's first start take up to a minute.
    for _ in $(seq 120); do seen "1Help" && break; sleep 1; done
    check "${kind}the host started" seen "1Help"
    keys F11
    check "${kind}plugins menu: the plugin's line" seen "ZOLT source browser"
    keys Enter
    check "${kind}command menu from the panels" seen "Build project index"
    pause=4 keys Down Enter
    check "${kind}build: index files written" test -f "$work/tree/zoltprj\$.Far"
    check "${kind}build: project index equal to zolt build's" \
        cmp -s "$work/tree/zoltprj\$.Far" "$work/linux/zoltprj\$.Far"
    keys F11
    keys Enter
    pause=3 keys Enter
    check "${kind}browse: the menu of definitions" seen "buf_count_lines"
    keys b u f
    check "${kind}browse: the typed filter in the title" seen "Definitions \[BU"
    pause=3 keys Down Enter
    check "${kind}browse: Enter opens src\\buffer.c at the definition's line" title 'buffer.c.*Ln 102/'
    keys M-F8
    keys 73 Enter
    keys Home Right Right Right Right Right
    keys F11
    keys Enter
    check "${kind}command menu from the editor" seen "Return from definition"
    pause=3 keys Down Enter
    check "${kind}go to definition: sb_init through the index, in lib\\strbuf\\strbuf.c" title 'strbuf.c.*Ln  *8/'
    # A changed editor. Through its loader for old plugins this host tells the 1.x library of no
    # change, so only the library for this host can keep such an editor open.
    if [ -z "$kind" ]; then
        keys x y z
        keys F11
        keys Enter
        pause=2 keys Down Down Enter
        check "${kind}go back: a changed editor stays open with a warning" seen "Unsaved changes: save the file"
        keys Escape
        keys F10
        check "${kind}go back: the host's own question when the user closes it" seen "Save"
        keys Right Enter
        check "${kind}go back: back in the editor of the jump, the cursor where it was" title 'buffer.c.*Ln  *73/.*Col 6'
        check "${kind}go back: the file on disk as it was" test "$(grep -c xyz "$work/tree/lib/strbuf/strbuf.c")" = 0
        keys F11
        keys Enter
        pause=3 keys Down Enter
    fi
    keys F11
    keys Enter
    pause=2 keys Down Down Enter
    check "${kind}go back: an unchanged jump's editor closes" title 'buffer.c.*Ln  *73/.*Col 6'
    keys F10
    keys Escape
    keys M-S-F9
    pause=2 keys Enter
    check "${kind}configuration dialog" seen "\[ \] Include static functions"
    keys Space
    pause=2 keys Enter
    keys M-S-F9
    pause=2 keys Enter
    check "${kind}configuration: the changed option saved and read back" seen "\[x\] Include static functions"
    keys Escape
    keys Escape
}

drive "$work/plugin/ZOLT" ""
db=$(find "$work/home/prefix" -path '*PluginsData*' -iname '5A4F4C54-3C2E-4B8D-9E61-2F7B0C4D8813.db' | head -1)
check "configuration: kept in the host's settings database" test -n "$db"

# The same host in Russian: the plugin's messages come from its Russian language file.
stop_host
tmux new-session -d -s "$session" -x 120 -y 40 "cd '$work/tree' && PATH='$work/bin:$PATH' \
    WINEPREFIX='$work/home/prefix' WINEARCH=win64 WINEDEBUG=-all \
    wine '$work/home/bin$bits/Far.exe' -set:Language.Main=Russian 2>/dev/null"
for _ in $(seq 60); do seen "1Помощь" && break; sleep 1; done
keys F11
keys Enter
check "Russian: the command menu in Russian" seen "Обзор определений"
keys Escape

# The 32-bit host also loads the 1.x library through its loader for old plugins.
if [ "$bits" = 32 ]; then
    mkdir -p "$work/plugin1/ZOLT"
    cp "$src/build/mingw/zolt.dll" "$src"/dist/zolt*.lng "$src"/dist/zolt*.hlf "$work/plugin1/ZOLT/"
    stop_host
    rm -rf "$work/home/bin$bits/Plugins"
    drive "$work/plugin1/ZOLT" "1.x library through the host's loader for old plugins: "
fi

# Browse at scale: a generated tree of 300,000 entries; the menu shows the count of matches,
# narrows as keys are typed, and opens an entry (and how long each step took)
stop_host
for kind in "$arch" $([ "$bits" = 32 ] && echo i686-1x); do
    bash "$src/tests/wine/realhost_browse.sh" "$zolt" "$src" "$kind" || failures=$((failures + 1))
done
[ "$failures" = 0 ] || exit 1
