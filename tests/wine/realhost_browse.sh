#!/usr/bin/env bash
# Browse at scale in the real current host (../shared/realhost3, a test fixture outside this tree)
# under Wine in tmux, as a user meets it: the time from Enter on "Browse definitions" to the menu
# on the screen, and from each typed key and Backspace to the menu redrawn; and the checks that
# the menu shows how many entries match, narrows, and opens an entry.
#   realhost_browse.sh ZOLT_BINARY SOURCE_DIR [x86_64|i686|i686-1x] [TREE]
# x86_64 and i686 install the library for this host, i686-1x the 1.x library through the 32-bit
# host's loader for old plugins. TREE (built with ZOLT_BINARY when it has no index) is the tree
# to browse; without it a generated tree of 300,000 entries. Prints "time:" lines; exits 77 with
# a "SKIPPED:" line where the host or Wine is missing, 1 when a check failed.
set -u
zolt=$(realpath "$1")
src=$(realpath "$2")
kind=${3:-x86_64}
host=${ZOLT_REALHOST3:-$src/../shared/realhost3}
case "$kind" in
x86_64) bits=64 plugin="$src/build/mingw64/far3" ;;
i686) bits=32 plugin="$src/build/mingw/far3" ;;
i686-1x) bits=32 plugin="$src/build/mingw" ;;
*) echo "FAIL: unknown kind $kind"; exit 2 ;;
esac
work_name=realbrowse check_tag="$kind: "
. "$src/tests/wine/realhost_lib.sh"
cp "$plugin"/zolt.dll "$work/plugin/ZOLT/"
cp "$src"/dist/zolt*.lng "$src"/dist/zolt*.hlf "$work/plugin/ZOLT/"

if [ $# -ge 4 ]; then
    tree=$(realpath "$4")
else
    tree=$work/scale
    python3 "$src/bench/synth.py" "$tree" 300000
fi
[ -f "$tree/zoltprj\$.Far" ] || "$zolt" build "$tree" >/dev/null || { echo "FAIL: zolt build"; exit 1; }
entries=$(grep -c '' "$tree/zoltprj\$.Far")
# what to type: a name from the middle of the index, its first 9 characters to narrow, 20 (as
# many as the filter holds) to open the first entry they select
middle=$(sed -n "$((entries / 2))p" "$tree/zoltprj\$.Far" | cut -d'?' -f1)
narrow=$(echo "$middle" | cut -c1-9 | tr A-Z a-z)
open=$(echo "$middle" | cut -c1-20 | tr A-Z a-z)
opened=$(awk -F'?' -v p="$(echo "$open" | tr a-z A-Z)" \
    'toupper(substr($1, 1, length(p))) == p { n = split($2, part, "\\"); print part[n]; exit }' \
    "$tree/zoltprj\$.Far")

now() { date +%s.%N; }
# Sends keys, then waits for the text on the screen: prints the seconds it took, or "timeout".
timed_keys() { # text, seconds to wait at most, keys...
    local text=$1 limit=$2
    shift 2
    local start
    start=$(now)
    tmux send-keys -t "$session" "$@"
    while ! seen "$text"; do
        if awk -v a="$(now)" -v b="$start" -v l="$limit" 'BEGIN { exit !(a - b > l) }'; then
            echo timeout
            return
        fi
        sleep 0.02
    done
    awk -v a="$(now)" -v b="$start" 'BEGIN { printf "%.2f\n", a - b }'
}

PATH="$work/bin:$PATH" FAR_SESSION="$session" FAR_HOME="$work/home" \
    PLUGIN_DIR="$work/plugin/ZOLT" "$host/run.sh" "$bits" "$tree" >/dev/null
for _ in $(seq 120); do seen "1Help" && break; sleep 1; done
check "the host started" seen "1Help"
keys F11
check "plugins menu: the plugin's line" seen "ZOLT source browser"
keys Enter
check "command menu" seen "Browse definitions"
# the first browse of a fresh host pays for loading the file into the cache: time the second
menu=$(timed_keys "Definitions \[\]" 600 Enter)
keys Escape
keys F11
keys Enter
menu=$(timed_keys "Definitions \[\]" 600 Enter)
echo "time: $kind, $entries entries: the menu on the screen after $menu s"
check "the menu shows the count of matches" seen "$entries match, the first"
typed=
for key in $(echo "$narrow" | fold -w1); do
    typed=$typed$(echo "$key" | tr a-z A-Z)
    t=$(timed_keys "Definitions \[$typed\]" 120 "$key")
    echo "time: $kind: typing '$key' redraws the menu after $t s"
done
check "typing narrows the menu to names starting with $narrow" sh -c \
    "tmux capture-pane -p -t '$session' | tr A-Z a-z | grep -q -- '$narrow'"
check "a narrow run shows no count" sh -c "! tmux capture-pane -p -t '$session' | grep -q 'match, the first'"
for _ in 1 2 3; do
    typed=${typed%?}
    t=$(timed_keys "Definitions \[$typed\]" 120 BSpace)
    echo "time: $kind: Backspace redraws the menu after $t s"
done
t=$(timed_keys "Definitions \[\]" 60 BSpace BSpace BSpace BSpace BSpace BSpace)
check "Backspace back to the whole list" seen "$entries match, the first"
t=$(timed_keys "Definitions \[$(echo "$open" | tr a-z A-Z)\]" 120 $(echo "$open" | fold -w1))
pause=4 keys Enter
check "Enter opens the first entry's file, $opened, in the editor" sh -c \
    "tmux capture-pane -p -t '$session' | head -1 | grep -qF -- '$opened'"
keys F10
stop_host
[ "$failures" = 0 ] || exit 1
