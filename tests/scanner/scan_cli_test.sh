#!/usr/bin/env bash
# zolt scan from the command line: options, several files in one run, unreadable files, usage;
# and every subcommand's options, usage errors and output errors, as rows of one table.
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
grep -qx "zolt: scan: cannot open missing.c: No such file or directory" "$work/stderr" || fail "unreadable file: stderr $(cat "$work/stderr")"
expect "a directory is not a file" 1 "" -- "$zolt" scan sub

expect "no file" 2 "" -- "$zolt" scan
expect "bad value" 2 "" -- "$zolt" scan --static=2 a.c
expect "unknown option" 2 "" -- "$zolt" scan --recurse=1 a.c
expect "unknown command" 2 "" -- "$zolt" frobnicate
expect "dash-dash ends the options" 1 "" -- "$zolt" scan -- --static=1

"$zolt" --help | grep -q "^  scan " || fail "--help does not list scan"

# Options of every subcommand (getopt_long: -h and --help everywhere, --opt=value and --opt
# value, -- ends the options, operands and options in any order), one case a row:
# STATUS | first line of stdout (a grep pattern; empty: no output) | stderr (a fixed string;
# empty: nothing) | the arguments. Each usage error names the subcommand, the argument, the reason.
export XDG_CONFIG_HOME="$work/config"
while IFS='|' read -r status out err args; do
    [ -z "$status" ] && continue
    read -ra words <<<"$args"
    got=$("$zolt" "${words[@]}" 2>"$work/stderr" </dev/null | head -n 1)
    rc=${PIPESTATUS[0]}
    rc=$("$zolt" "${words[@]}" >/dev/null 2>&1 </dev/null; echo $?)
    [ "$rc" = "$status" ] || fail "zolt $args: exit status $rc, expected $status"
    if [ -z "$out" ]; then
        [ -z "$got" ] || fail "zolt $args: output [$got]"
    else
        printf '%s\n' "$got" | grep -q -- "$out" || fail "zolt $args: output [$got], expected [$out]"
    fi
    if [ -z "$err" ]; then
        [ -s "$work/stderr" ] && fail "zolt $args: stderr [$(cat "$work/stderr")]"
    else
        grep -qF -- "$err" "$work/stderr" || fail "zolt $args: stderr [$(cat "$work/stderr")], expected [$err]"
    fi
done <<'TABLE'
0|^usage: zolt build||build -h
0|^usage: zolt build||build --help
0|^usage: zolt list||list -h
0|^usage: zolt goto||goto --help
0|^usage: zolt scan||scan -h
0|^usage: zolt config||config -h
0|^usage: zolt edit||edit -h
0|^usage: zolt edit||edit --help
0|^usage: zolt tags||tags -h
0|^usage:||-h
0|^fast?a.c?2$||scan --static 0 --inline=1 a.c
0|^helper?a.c?1$||scan a.c --static=1 --inline 0 --qualified=0
2||zolt: scan: --static '2': not 0 or 1|scan --static=2 a.c
2||zolt: scan: option '--inline' needs an argument|scan a.c --inline
2||zolt: scan: unknown option '--recurse'|scan --recurse=1 a.c
2||zolt: scan: unknown option '-x'|scan -x a.c
2||zolt: scan: missing FILE|scan --static=1
1||zolt: scan: cannot open --static=1: No such file or directory|scan -- --static=1
1||zolt: scan: cannot open sub: a directory|scan sub
1||zolt: scan: cannot open /dev/null: not a regular file|scan /dev/null
2||zolt: build: unknown option '--bogus'|build --bogus
2||zolt: build: option '--help' takes no argument|build --help=1
2||zolt: build: DIR 'nosuch': No such file or directory|build nosuch
2||zolt: build: DIR 'a.c': not a directory|build a.c
2||zolt: build: one DIR at most, not also 'sub'|build . sub
0|^files scanned: 1,||build -- sub
0|^files scanned: 6,||build
0|^a.c:2: fast$||list --locations . fast
0|^a.c:2: fast$||list fast -l
0|^sub/c.c:1: f$||list -l sub
0|^fast?a.c?2$||list . fast
2||zolt: list: too many arguments, from 'c'|list . a c
2||zolt: list: DIR 'nosuch/': No such file or directory|list nosuch/
2||zolt: list: unknown option '--locate'|list --locate
2||zolt: goto: missing FILE|goto
2||zolt: goto: missing LINE|goto a.c
2||zolt: goto: missing COL|goto a.c 1
2||zolt: goto: LINE 'x': not a number of 1 or more|goto a.c x 1
2||zolt: goto: COL '0': not a number of 1 or more|goto a.c 1 0
2||zolt: goto: --pick 'x': not an item number (0 or more)|goto a.c 1 1 --pick=x
2||zolt: goto: option '--pick' needs an argument|goto a.c 1 1 --pick
2||zolt: goto: too many arguments, from '9'|goto a.c 1 1 9
1||zolt: goto: no name at line 1, column 80|goto --pick 0 -- a.c 1 80
0|^CtStatic=0$||config --
2||zolt: config: unknown option '--set'|config --set CtStatic=1
2||zolt: config: bad value '2' for CtStatic (0 or 1)|config CtStatic=2
2||zolt: edit: missing FILE|edit
2||zolt: edit: LINE 'x': not a line number|edit a.c x
2||zolt: edit: unknown option '--bogus'|edit --bogus a.c
2||zolt: edit: too many arguments, from '3'|edit a.c 1 3
2||zolt: unknown command 'frobnicate'|frobnicate
TABLE

# Output that cannot be written is an error (status 2, said on stderr), as for ls.
for args in "scan a.c" "list . fast" "list -l . fast" "config" "build" "goto a.c 2 12" \
    "build -h" "--help" "--version"; do
    read -ra words <<<"$args"
    "$zolt" "${words[@]}" >/dev/full 2>"$work/stderr"
    rc=$?
    [ "$rc" = 2 ] || fail "zolt $args >/dev/full: exit status $rc"
    grep -q "^zolt: .*write error on standard output: No space left on device" "$work/stderr" ||
        fail "zolt $args >/dev/full: stderr [$(cat "$work/stderr")]"
done
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
