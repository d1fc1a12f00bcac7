#!/usr/bin/env bash
# zolt scan from the command line: options, several files in one run, unreadable files, usage.
# Usage: scan_cli_test.sh ZOLT_BINARY SOURCE_DIR
set -u
zolt=$(realpath "$1")
src=$(realpath "$2")
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# expect NAME EXPECTED_STATUS EXPECTED_STDOUT -- command...
expect() {
    local name=$1 status=$2 want=$3
    shift 4
    local got rc
    got=$("$@" 2>"$work/stderr")
    rc=$?
    [ "$rc" = "$status" ] || fail "$name: exit status $rc, expected $status"
    [ "$got" = "$want" ] || fail "$name: output"$'\n'"$got"$'\n'"expected"$'\n'"$want"
}

work=$(mktemp -d /tmp/zolt-scan-cli.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

printf 'static int helper(void) { return 0; }\ninline int fast(void) { return 1; }\nint Foo::bar(void) { return 2; }\n' >a.c
printf 'macro Hello\nclass World\n' >b.MAC
printf '/* nothing */\n' >empty.c
mkdir sub && printf 'int f(void) {}\n' >sub/c.c
printf '#ifdef __cplusplus\n' >guard.h
printf '{ int inside(void) {} }\n' >after.c

expect "defaults" 0 "fast?a.c?2
Foo::bar?a.c?3" -- "$zolt" scan a.c
expect "options" 0 "helper?a.c?1" -- "$zolt" scan --static=1 --inline=0 --qualified=0 a.c
expect "macro file and placeholder" 0 "Hello?b.MAC?1
World?b.MAC?2
?empty.c?0" -- "$zolt" scan b.MAC empty.c
expect "slashes become backslashes" 0 'f?sub\c.c?1' -- "$zolt" scan sub/c.c
expect "a guard left open ends with its file" 0 "?guard.h?0
?after.c?0" -- "$zolt" scan guard.h after.c
expect "alone, the block is skipped" 0 "?after.c?0" -- "$zolt" scan after.c

expect "unreadable file" 1 "fast?a.c?2
Foo::bar?a.c?3
Hello?b.MAC?1
World?b.MAC?2" -- "$zolt" scan a.c missing.c b.MAC
grep -qx "zolt: cannot open missing.c" "$work/stderr" || fail "unreadable file: stderr $(cat "$work/stderr")"
expect "a directory is not a file" 1 "" -- "$zolt" scan sub

expect "no file" 2 "" -- "$zolt" scan
expect "bad value" 2 "" -- "$zolt" scan --static=2 a.c
expect "unknown option" 2 "" -- "$zolt" scan --recurse=1 a.c
expect "unknown command" 2 "" -- "$zolt" frobnicate
expect "dash-dash ends the options" 1 "" -- "$zolt" scan -- --static=1

"$zolt" --help | grep -q "^  scan " || fail "--help does not list scan"
"$zolt" --version | grep -q "^zolt [0-9]" || fail "--version"

# The recognizer's golden cases through the command line, run from each case folder.
cases=0
for dir in "$src"/tests/scanner/recognizer/*/ "$src"/tests/scanner/macro/*/; do
    case "$dir" in *.known/) continue ;; esac
    input=$(cd "$dir" && ls input.* | head -n 1)
    args=()
    if [ -f "$dir/options" ]; then
        while IFS='=' read -r key value; do
            case "$key" in
            CtStatic) args+=("--static=$value") ;;
            CtInline) args+=("--inline=$value") ;;
            CtCPP) args+=("--qualified=$value") ;;
            esac
        done <"$dir/options"
    fi
    got=$(cd "$dir" && "$zolt" scan ${args[@]+"${args[@]}"} "$input")
    [ "$got" = "$(cat "$dir/expected.idx")" ] || fail "golden case $dir through zolt scan"
    cases=$((cases + 1))
done
[ "$cases" -gt 20 ] || fail "only $cases golden cases found under $src/tests/scanner"

[ "$failures" = 0 ] && echo "scan_cli_test: all passed"
exit $((failures > 0))
