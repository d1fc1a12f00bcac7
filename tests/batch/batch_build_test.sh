#!/usr/bin/env bash
# zolt build from the command line: the index files' bytes, a rebuild that writes nothing, a
# touched file, the options it takes from the store, and bad usage.
# Usage: batch_build_test.sh ZOLT_BINARY SOURCE_DIR
set -u
zolt=$(realpath "$1")
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

work=$(mktemp -d /tmp/zolt-build-cli.XXXXXX)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"
unset LC_ALL LC_MESSAGES LANG

# The update file's write time of a file touched to Unix time $1: "LOW?HIGH" of its FILETIME.
filetime() {
    local ft=$((($1 + 11644473600) * 10000000))
    echo "$((ft & 0xFFFFFFFF))?$((ft >> 32))"
}

# summary [DIR]: runs zolt build, checks status 0 and an empty stderr, and leaves the summary
# line without its time in $got.
summary() {
    local out rc
    got=
    out=$("$zolt" build "$@" 2>"$work/stderr")
    rc=$?
    [ "$rc" = 0 ] || fail "build $*: exit status $rc"
    [ -s "$work/stderr" ] && fail "build $*: stderr: $(cat "$work/stderr")"
    local pattern='^(files scanned: [0-9]+, entries: [0-9]+, index files: [a-z]+), time: [0-9]+\.[0-9]{2} s$'
    if [[ "$out" =~ $pattern ]]; then
        got=${BASH_REMATCH[1]}
    else
        fail "build $*: summary line '$out'"
    fi
}

stamp() { stat -c '%i %s %.9Y' "$@"; }

# --- a small tree ---
tree="$work/tree"
mkdir -p "$tree/sub"
printf '#include <x.h>\n\nint f(void) { return 0; }\n' >"$tree/a.c"
printf '/* nothing here */\n' >"$tree/sub/b.c"
printf 'typedef int T;\r\n#define LIMIT 10\r\n' >"$tree/sub/c.h"
printf 'macro Go\n' >"$tree/x.MAC"
printf 'int g(void) {}\n' >"$tree/notes.txt"
touch -d @1700000000 "$tree/a.c"
touch -d @1700000100 "$tree/sub/b.c"
touch -d @1700000200 "$tree/sub/c.h"
touch -d @1700000300 "$tree/x.MAC"

summary "$tree"
[ "$got" = "files scanned: 4, entries: 5, index files: written" ] || fail "first build: $got"
expected=$(printf '?sub\\b.c?0\r\nf?a.c?3\r\nGo?x.MAC?1\r\nLIMIT?sub\\c.h?2\r\nT?sub\\c.h?1\r\n')
[ "$(cat "$tree/zoltprj\$.Far")" = "$expected" ] ||
    fail "project index:"$'\n'"$(od -c "$tree/zoltprj\$.Far")"
# the update file is in walk order, which is the file system's: compare its lines as a set
expected_update=$(printf '%s\n' "f?a.c?3?$(filetime 1700000000)" "?sub\\b.c?0?$(filetime 1700000100)" \
    "T?sub\\c.h?1?$(filetime 1700000200)" "LIMIT?sub\\c.h?2?$(filetime 1700000200)" \
    "Go?x.MAC?1?$(filetime 1700000300)" | sort)
got_update=$(tr -d '\r' <"$tree/zoltpru\$.Far" | sort)
[ "$got_update" = "$expected_update" ] || fail "update index:"$'\n'"$got_update"
[ "$(tr -cd '\r' <"$tree/zoltpru\$.Far" | wc -c)" = 5 ] || fail "update index lines end in CR LF"

# --- a second build writes nothing ---
before=$(stamp "$tree/zoltprj\$.Far" "$tree/zoltpru\$.Far")
summary "$tree"
[ "$got" = "files scanned: 0, entries: 5, index files: unchanged" ] || fail "second build: $got"
[ "$(stamp "$tree/zoltprj\$.Far" "$tree/zoltpru\$.Far")" = "$before" ] ||
    fail "second build touched the index files"

# --- a touched file alone is scanned again; the default directory is the current one ---
printf 'int f(void) { return 0; }\nint g(void) { return 1; }\n' >"$tree/a.c"
touch -d @1700000400 "$tree/a.c"
cd "$tree" && summary
cd "$work" || exit 1
[ "$got" = "files scanned: 1, entries: 6, index files: written" ] || fail "after a touch: $got"
grep -q "^g?a.c?2"$'\r'"\$" "$tree/zoltprj\$.Far" || fail "g missing after the touch"

# --- options come from the store `zolt config` writes ---
"$zolt" config Recurse=0 CtStatic=1 >/dev/null || fail "config Recurse=0"
flat="$work/flat"
mkdir -p "$flat/sub"
printf 'static int s(void) { return 0; }\n' >"$flat/a.c"
printf 'int deep(void) { return 0; }\n' >"$flat/sub/d.c"
summary "$flat"
[ "$got" = "files scanned: 1, entries: 1, index files: written" ] || fail "flat build: $got"
[ "$(cat "$flat/zoltprj\$.Far")" = "$(printf 's?a.c?1\r\n')" ] || fail "flat build: $(cat "$flat/zoltprj\$.Far")"
"$zolt" config Recurse=1 CtStatic=0 >/dev/null

# --- a file whose relative path no entry can hold is left out, and said so on stderr ---
deep="$tree/sub/$(printf 'd%.0s' {1..40})"
mkdir -p "$deep" && printf 'int far_away(void) { return 0; }\n' >"$deep/$(printf 'n%.0s' {1..30}).c"
before=$(stamp "$tree/zoltprj\$.Far" "$tree/zoltpru\$.Far")
for round in 1 2; do
    out=$("$zolt" build "$tree" 2>"$work/stderr") || fail "left out, round $round: exit status"
    [[ "$out" == "files scanned: 0, entries: 6, index files: unchanged, "* ]] ||
        fail "left out, round $round: $out"
    [ "$(cat "$work/stderr")" = "zolt: build: 1 file left out: relative path longer than 63 characters" ] ||
        fail "left out, round $round: stderr '$(cat "$work/stderr")'"
done
[ "$(stamp "$tree/zoltprj\$.Far" "$tree/zoltpru\$.Far")" = "$before" ] ||
    fail "a left-out file made the build write"
rm -rf "$tree/sub/dd"*

# --- names no index line can hold are left out, each counted with its reason ---
names="$work/names"
mkdir -p "$names/bad?dir" "$names/ok"
for f in 'a?b.c' $'new\nline.c' 'back\slash.h' 'ok/fine.c' 'bad?dir/in.c' 'x?y.txt'; do
    printf 'int f(void) { return 0; }\n' >"$names/$f"
done
out=$("$zolt" build "$names" 2>"$work/stderr") || fail "bad names: exit status"
[[ "$out" == "files scanned: 1, entries: 1, index files: written, "* ]] || fail "bad names: $out"
expected_err="zolt: build: 3 files left out: a line break, control character, '\\' or '?' in the name
zolt: build: 1 directory left out with the files in it: a line break, control character, '\\' or '?' in the name"
[ "$(cat "$work/stderr")" = "$expected_err" ] || fail "bad names: stderr '$(cat "$work/stderr")'"

# --- the temporaries of a build that died are removed and said so; the user's look-alikes stay ---
sh -c 'exit 0' &
dead=$!
wait "$dead"
printf 'my notes\n' >"$names/zoltprj\$.123"
printf 'more\n' >"$names/zoltpru\$.4000000"
printf 'old\n' >"$names/zoltprj\$.$dead~zolt-temp"
printf 'old\n' >"$names/zoltpru\$.$dead~zolt-temp"
out=$("$zolt" build "$names" 2>"$work/stderr") || fail "stale temporaries: exit status"
grep -qx "zolt: build: removed 2 temporary files of builds that did not finish (zolt\*\$.PROCESS~zolt-temp)" \
    "$work/stderr" || fail "stale temporaries: stderr '$(cat "$work/stderr")'"
[ "$(cat "$names/zoltprj\$.123" "$names/zoltpru\$.4000000")" = "my notes"$'\n'"more" ] ||
    fail "stale temporaries: the user's files were touched"
[ -e "$names/zoltprj\$.$dead~zolt-temp" ] && fail "stale temporaries: the dead build's file stayed"
# --- failures are warned about, with status 1: index files that cannot be written (the old
# ones stay), another build of the directory at work (after a wait) ---
failed() {
    local what=$1 message=$2 rc
    shift 2
    "$@" >"$work/stdout" 2>"$work/stderr"
    rc=$?
    [ "$rc" = 1 ] || fail "$what: exit status $rc, expected 1"
    grep -q "^zolt: .*$message" "$work/stderr" || fail "$what: stderr: $(cat "$work/stderr")"
}
mkdir "$work/blocked" && cp "$tree/a.c" "$work/blocked/" && mkdir "$work/blocked/zoltpru\$.Far"
failed "unwritable index" "could not be written" "$zolt" build "$work/blocked"
# the project file went in place before the update file failed: that much was written
[[ "$(cat "$work/stdout")" == "files scanned: 1, entries: 2, index files: partly written, "* ]] ||
    fail "unwritable index: summary '$(cat "$work/stdout")'"
# the project file cannot be written: nothing went in place, yet the file was scanned
rmdir "$work/blocked/zoltpru\$.Far" && rm "$work/blocked/zoltprj\$.Far" && mkdir "$work/blocked/zoltprj\$.Far"
failed "unwritable project index" "could not be written" "$zolt" build "$work/blocked"
[[ "$(cat "$work/stdout")" == "files scanned: 1, entries: 0, index files: not written, "* ]] ||
    fail "unwritable project index: summary '$(cat "$work/stdout")'"
if command -v flock >/dev/null; then
    touch "$tree/a.c"
    before=$(stamp "$tree/zoltprj\$.Far")
    flock -x "$tree" sleep 6 &
    holder=$!
    sleep 0.5
    failed "a build at work" "build of this directory is running" "$zolt" build "$tree"
    [ "$(stamp "$tree/zoltprj\$.Far")" = "$before" ] || fail "a build at work: the index was written"
    wait "$holder"
fi

# --- progress on a terminal stderr: files scanned of the files found, cleared at the end ---
if command -v script >/dev/null; then
    mkdir "$work/many" && for i in $(seq 1 25); do printf 'int f%d;\n' "$i" >"$work/many/f$i.c"; done
    printf 'not a source\n' >"$work/many/notes.txt"
    TERM=xterm script -qec "$zolt build $work/many" /dev/null </dev/null >"$work/tty" 2>&1
    grep -qa $'\r\033\\[Kzolt: build: 10 of 25 files scanned' "$work/tty" ||
        fail "progress line: $(od -c "$work/tty" | head -5)"
    grep -qa $'\r\033\[Kfiles scanned: 25,' "$work/tty" || fail "progress line not cleared"
    # Emacs runs M-x grep and compile on a terminal too (TERM=dumb, or its own TERM with
    # INSIDE_EMACS set): there no line is gone back over
    rm -f "$work/many/zolt"*
    TERM=dumb script -qec "$zolt build $work/many" /dev/null </dev/null >"$work/tty" 2>&1
    grep -qa 'zolt:' "$work/tty" && fail "progress under TERM=dumb: $(cat -v "$work/tty")"
    rm -f "$work/many/zolt"*
    INSIDE_EMACS=29.1,compile TERM=xterm script -qec "$zolt build $work/many" /dev/null </dev/null >"$work/tty" 2>&1
    grep -qa 'zolt:' "$work/tty" && fail "progress inside Emacs: $(cat -v "$work/tty")"
fi

# --- nothing to index ---
mkdir "$work/empty"
summary "$work/empty"
[ "$got" = "files scanned: 0, entries: 0, index files: none" ] || fail "empty directory: $got"
[ -z "$(ls "$work/empty")" ] || fail "empty directory: files appeared: $(ls "$work/empty")"

# --- bad usage: status 2, nothing on stdout ---
bad() {
    local out rc
    out=$("$zolt" build "$@" 2>"$work/stderr")
    rc=$?
    [ "$rc" = 2 ] || fail "build $*: exit status $rc, expected 2"
    [ -z "$out" ] || fail "build $*: stdout '$out'"
    grep -q "^zolt: " "$work/stderr" || fail "build $*: no 'zolt: ' message on stderr"
}
bad "$work/missing"
bad "$tree/a.c"
bad "$tree" "$tree"
bad --recurse
"$zolt" build --help | grep -q "^usage: zolt build" || fail "build --help"
"$zolt" --help | grep -q "^  build " || fail "--help does not list build"

[ "$failures" = 0 ] && echo "batch_build_test: all passed"
exit $((failures > 0))
