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
plugin=$bin work_name=realhost check_tag=
. "$src/tests/wine/realhost_lib.sh"
mkdir -p "$work/tree" "$work/start"
cp "$bin"/zolt.dll "$bin"/zolt*.lng "$bin"/zolt*.hlf "$work/plugin/ZOLT/"
# The host starts here and the panel moves away before every command: a plugin that works in
# the process's current directory instead of the panel's writes its index files here.
printf 'int start_fn(void) { return 0; }\n' >"$work/start/start.c"

# The example tree; for the library of this host also a name outside every ANSI code page and a
# directory whose name ends in a dot, which the 1.x library does not see as they are. $1 the
# folder, $2 "unicode" for those.
fill_tree() {
    rm -rf "$1" && mkdir -p "$1" && cp -r "$src/examples/." "$1/" || return 1
    [ "${2:-}" = unicode ] || return 0
    mkdir "$1/Проект" "$1/trail." &&
        printf 'int modul_fn(void) { return 0; }\n' >"$1/Проект/модуль.c" &&
        printf 'int trail_fn(void) { return 0; }\n' >"$1/trail./t.c"
}
# A folder deeper than 260 characters, with the example tree in it.
long="$work/long"
for part in 1 2 3 4 5 6; do long="$long/a_folder_name_of_forty_characters_$part$part$part$part$part"; done
wpath() { echo "Z:$1" | tr / '\\'; }

# The panel to folder $1 by the command line, as a user moves it.
panel_to() {
    tmux send-keys -t "$session" -l "cd $(wpath "$1")"
    keys Enter
}

# Every command of the plugin installed from $1, on a fresh copy of the example tree; $2 goes
# in front of each check's name.
drive() {
    local kind=$2 names=${3:-}
    fill_tree "$work/tree" "$names" && rm -rf "$work/linux" && cp -a "$work/tree" "$work/linux" &&
        "$zolt" build "$work/linux" >/dev/null || { echo "FAIL: zolt build"; exit 1; }
    rm -f "$work/start/zolt"*
    PATH="$work/bin:$PATH" FAR_SESSION="$session" FAR_HOME="$work/home" \
        PLUGIN_DIR="$1" "$host/run.sh" "$bits" "$work/start" >/dev/null
    # A fresh prefix and the host's first start take up to a minute.
    for _ in $(seq 120); do seen "1Help" && break; sleep 1; done
    check "${kind}the host started" seen "1Help"
    panel_to "$work/tree"
    keys F11
    check "${kind}plugins menu: the plugin's line" seen "ZOLT source browser"
    keys Enter
    check "${kind}command menu from the panels" seen "Build project index"
    pause=4 keys Down Enter
    check "${kind}build: index files written in the panel's folder" test -f "$work/tree/zoltprj\$.Far"
    check "${kind}build: nothing written where the host started" test ! -e "$work/start/zoltprj\$.Far"
    check "${kind}build: project index equal to zolt build's" \
        cmp -s "$work/tree/zoltprj\$.Far" "$work/linux/zoltprj\$.Far"
    check "${kind}build: update index equal to zolt build's" \
        cmp -s <(sort "$work/tree/zoltpru\$.Far") <(sort "$work/linux/zoltpru\$.Far")
    panel_to "$work/start"
    panel_to "$work/tree"
    keys F11
    keys Enter
    pause=3 keys Enter
    check "${kind}browse: the menu of definitions" seen "buf_count_lines"
    check "${kind}browse: the panel's index, not the start folder's" eval '! seen start_fn' 
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
    # change: that library never closes the editor of a jump there, it says to close it.
    local warning="Unsaved changes: save the file"
    [ -n "$kind" ] && warning="This host does not say whether"
    keys x y z
    keys F11
    keys Enter
    pause=2 keys Down Down Enter
    check "${kind}go back: a changed editor stays open with a warning" seen "$warning"
    keys Escape
    check "${kind}go back: the changed editor still open" title 'strbuf.c'
    keys F10
    check "${kind}go back: the host's own question when the user closes it" seen "Save"
    keys Right Enter
    check "${kind}go back: back in the editor of the jump, the cursor where it was" title 'buffer.c.*Ln  *73/.*Col 6'
    check "${kind}go back: the file on disk as it was" test "$(grep -c xyz "$work/tree/lib/strbuf/strbuf.c")" = 0
    keys F11
    keys Enter
    pause=3 keys Down Enter
    keys F11
    keys Enter
    pause=2 keys Down Down Enter
    if [ -z "$kind" ]; then
        check "${kind}go back: an unchanged jump's editor closes" title 'buffer.c.*Ln  *73/.*Col 6'
    else
        check "${kind}go back: the jump's editor stays, with the way back said" seen "$warning"
        keys Escape
        keys F10
        check "${kind}go back: closed by the user, back in the editor of the jump" title 'buffer.c.*Ln  *73/.*Col 6'
    fi
    keys F10
    keys Escape
    if [ "$names" = unicode ]; then
        panel_to "$work/tree"
        keys F11
        keys Enter
        pause=3 keys Enter
        keys m o d u l
        pause=3 keys Enter
        check "${kind}browse: a file named in Cyrillic opens by its name" title 'Проект.модуль.c'
        check "${kind}browse: ... at its definition, not as a new file" seen 'int modul_fn'
        keys F10
        keys Escape
        panel_to "$work/tree/trail."
        keys F11
        keys Enter
        pause=3 keys Down Enter
        check "${kind}build inside a directory whose name ends in a dot" \
            grep -q '^trail_fn?t\.c?1' "$work/tree/trail./zoltprj\$.Far"
    fi
    # A folder deeper than 260 characters.
    fill_tree "$long" && rm -rf "$work/longref" && cp -a "$long" "$work/longref" &&
        "$zolt" build "$work/longref" >/dev/null
    panel_to "$long"
    keys F11
    keys Enter
    pause=4 keys Down Enter
    # (the 1.x library works there under Wine, whose current directory takes such a path)
    check "${kind}long path: index files written there, equal to zolt build's" \
        cmp -s "$long/zoltprj\$.Far" "$work/longref/zoltprj\$.Far"
    panel_to "$work/start"
    panel_to "$long"
    keys F11
    keys Enter
    pause=3 keys Enter
    check "${kind}long path: browse lists the index there" seen "buf_count_lines"
    keys b u f
    pause=3 keys Down Enter
    check "${kind}long path: Enter opens the file there at the definition" title 'buffer.c.*Ln 102/'
    keys F10
    keys Escape
    keys Escape
    panel_to "$work/tree"
    keys M-S-F9
    pause=2 keys Enter
    check "${kind}configuration dialog" seen "\[ \] Include static functions"
    keys Space
    pause=2 keys Enter
    keys M-S-F9
    pause=2 keys Enter
    check "${kind}configuration: the changed option saved and read back" seen "\[x\] Include static functions"
    # the file mask: typed over, saved, shown again, and taken by the next build
    keys M-m
    keys C-y
    tmux send-keys -t "$session" -l '*.c;*.zz'
    pause=2 keys Enter
    keys M-S-F9
    pause=2 keys Enter
    check "${kind}configuration: the file mask saved and read back" seen '\*\.c;\*\.zz'
    keys Escape
    keys Escape
    panel_to "$work/tree"
    keys F11
    keys Enter
    pause=4 keys Down Enter
    check "${kind}configuration: the next build takes the saved file mask" \
        grep -q -F '*.c;*.zz' "$work/tree/zoltopt\$.Far"
}

drive "$work/plugin/ZOLT" "" unicode
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
