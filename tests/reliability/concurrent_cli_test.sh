#!/usr/bin/env bash
# Two `zolt build` processes on one tree at once while `zolt list` keeps reading: every listing
# is the old index or the new one, whole, and both index files end complete and consistent.
# Usage: concurrent_cli_test.sh ZOLT_BINARY SOURCE_DIR
set -u
zolt=$(realpath "$1")
src=$(realpath "$2")
work=$(mktemp -d /tmp/zolt-concurrent.XXXXXX)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"
unset LC_ALL LC_MESSAGES LANG
cp -r "$src/examples" "$work/tree"
cd "$work/tree" || exit 1
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

"$zolt" build . >/dev/null || fail "first build"
"$zolt" list . >"$work/old.txt"
# The new state: one more definition in one file.
printf 'int concurrent_probe(void) { return 1; }\n' >>src/util.c
touch -d '2030-01-01 00:00:00' src/util.c

# Readers list in a loop while two builders run at once, several rounds.
reader() {
    local n=0
    while [ ! -e "$work/stop" ]; do
        "$zolt" list . >"$work/list.$1.$n" 2>>"$work/reader.err"
        n=$((n + 1))
    done
}
reader a & reader b &
for round in 1 2 3; do
    "$zolt" build . >/dev/null 2>>"$work/build.err" & b1=$!
    "$zolt" build . >/dev/null 2>>"$work/build.err" & b2=$!
    wait "$b1" || fail "builder 1, round $round"
    wait "$b2" || fail "builder 2, round $round"
done
touch "$work/stop"
wait
"$zolt" list . >"$work/new.txt"

grep -q '^concurrent_probe?src\\util.c?' "$work/new.txt" || fail "the new definition is missing"
[ -s "$work/build.err" ] && fail "builders wrote to stderr: $(head -3 "$work/build.err")"
[ -s "$work/reader.err" ] && fail "readers wrote to stderr: $(head -3 "$work/reader.err")"
seen=0
for f in "$work"/list.*; do
    seen=$((seen + 1))
    cmp -s "$f" "$work/old.txt" || cmp -s "$f" "$work/new.txt" || fail "a reader saw a mixed or cut index: $f"
done
[ "$seen" -gt 0 ] || fail "no reader ran"
# Both files complete: the same entries, CR LF on every line, nothing left behind.
project=$(tr -d '\r' <'zoltprj$.Far' | cut -d'?' -f1-3 | sort)
update=$(tr -d '\r' <'zoltpru$.Far' | cut -d'?' -f1-3 | sort)
[ "$project" = "$update" ] || fail "project and update files hold different entries"
[ "$(grep -c $'\r$' 'zoltprj$.Far')" = "$(wc -l <'zoltprj$.Far')" ] || fail "a project line without CR LF"
leftover=$(ls | grep -E '^zoltpr[ju]\$\.[0-9]+$')
[ -n "$leftover" ] && fail "temporary index files left behind: $leftover"

[ "$failures" = 0 ] && echo "concurrent builds and readers: $seen listings, all whole"
exit $((failures > 0))
