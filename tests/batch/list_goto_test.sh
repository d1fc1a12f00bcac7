#!/usr/bin/env bash
# zolt list and zolt goto on a copy of the example tree: the listed slice is the index's run
# for the prefix (from the index file or a fresh scan alike), and goto lands where the editor
# command lands: another file, the same file, a choice menu, nothing.
# Usage: list_goto_test.sh ZOLT_BINARY SOURCE_DIR
set -u
zolt=$(realpath "$1")
src=$(realpath "$2")
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
expect() { [ "$2" = "$3" ] || fail "$1: got [$2] expected [$3]"; }

work=$(mktemp -d /tmp/zolt-list-goto.XXXXXX)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"
unset LC_ALL LC_MESSAGES LANG
cp -r "$src/examples" "$work/tree"
cd "$work/tree" || exit 1

# Before any build the list comes from a fresh scan, which writes nothing and says so once.
scanned=$("$zolt" list . buf_ 2>"$work/err")
[ -e 'zoltprj$.Far' ] && fail "list wrote an index file"
expect "a scan instead of an index is said once" "$(grep -c 'fresh scan' "$work/err")" 1
"$zolt" build . >/dev/null || fail "build"
indexed=$("$zolt" list . buf_ 2>"$work/err")
expect "list from the index equals list from a scan" "$indexed" "$scanned"
expect "list from the index says nothing" "$(cat "$work/err")" ""
# The run of index lines whose names start with the prefix, ASCII case ignored.
expected=$(tr -d '\r' < 'zoltprj$.Far' | grep -i '^buf_')
expect "list buf_" "$indexed" "$expected"
expect "list BUF_ ignores case" "$("$zolt" list . BUF_)" "$expected"
expect "list PREFIX: the current directory" "$("$zolt" list buf_)" "$expected"
expect "list without a prefix" "$("$zolt" list . | wc -l)" "$(wc -l < 'zoltprj$.Far')"
expect "list --locations from a subdirectory" "$(cd src && "$zolt" list -l .. buf_f)" \
    "../include/buffer.h:28: buf_flags
../src/buffer.c:20: buf_free"
out=$("$zolt" list . zzzz_no_such); rc=$?
expect "no match: status" "$rc" 0
expect "no match: output" "$out" ""
"$zolt" list ./no-such-dir >/dev/null 2>&1; expect "list of a missing dir" $? 2

# Another file, found through the tree root's index from a subdirectory.
expect "goto into another file" "$("$zolt" goto src/main.c 31 22)" "$work/tree/src/buffer.c:10:1"
# The same file: the cursor moves in the edited file.
line=$(grep -n 'buf_split_line(b)' src/cmdline.c | cut -d: -f1)
col=$(grep 'buf_split_line(b)' src/cmdline.c | awk '{print index($0, "buf_split_line")}')
expect "goto in the edited file's own tree" "$("$zolt" goto src/cmdline.c "$line" "$col")" \
    "$work/tree/src/buffer.c:66:1"
printf 'int helper(void) { return 0; }\nint x(void) { return helper(); }\n' > src/self.c
expect "goto within the edited text" "$("$zolt" goto src/self.c 2 23)" "$work/tree/src/self.c:1:1"
# Several matches: the items are listed and the menu is cancelled; --pick chooses.
printf 'int x = buf_;\n' > src/prefix.c
items=$("$zolt" goto src/prefix.c 1 9); rc=$?
expect "choice menu cancelled: status" "$rc" 3
expect "choice menu items" "$(printf '%s\n' "$items" | wc -l)" "$(printf '%s\n' "$expected" | wc -l)"
# Each item as grep -n prints it, PATH relative to the current directory, where --pick lands.
expect "first item" "${items%%$'\n'*}" "0"$'\t'"src/buffer.c:102: buf_count_lines"
expect "first item from src" "$(cd src && "$zolt" goto prefix.c 1 9 | sed -n 3p)" \
    "2"$'\t'"../include/buffer.h:28: buf_flags"
expect "--pick 1" "$("$zolt" goto src/prefix.c 1 9 --pick 1)" "$work/tree/src/buffer.c:52:1"
# Nothing found: the warning on stderr, status 1.
printf 'int x = nowhere_defined;\n' > src/none.c
"$zolt" goto src/none.c 1 10 >"$work/out" 2>"$work/err"; rc=$?
expect "not found: status" "$rc" 1
grep -q '^zolt: ' "$work/err" || fail "not found: no warning on stderr"
"$zolt" goto src/none.c 1 >/dev/null 2>&1; expect "goto bad usage" $? 2
# No name under the cursor, and a pick the menu does not have: each says why.
"$zolt" goto src/none.c 1 80 >/dev/null 2>"$work/err"; rc=$?
expect "cursor past the line's end: status" "$rc" 1
grep -q '^zolt: goto: no name' "$work/err" || fail "cursor past the line's end: no reason on stderr"
"$zolt" goto src/prefix.c 1 9 --pick 999 >/dev/null 2>"$work/err"; rc=$?
expect "pick out of range: status" "$rc" 2
grep -q '^zolt: goto: --pick 999' "$work/err" || fail "pick out of range: no reason on stderr"
# A directory of 300 characters: its index is still found.
half=$(printf 'd%.0s' $(seq 1 150))
deep="$work/tree/$half/$half"
mkdir -p "$deep" && printf 'int deep_fn(void) { return 0; }\n' >"$deep/def.c" &&
    printf 'int y = deep_fn;\n' >"$deep/use.c" && (cd "$deep" && "$zolt" build . >/dev/null)
expect "goto in a long directory" "$("$zolt" goto "$deep/use.c" 1 10)" "$deep/def.c:1:1"

# Only regular files are read: a FIFO or a device neither hangs nor floods a command.
expect "goto on a device" "$(timeout 20 "$zolt" goto /dev/zero 1 1 2>/dev/null; echo $?)" 2
mkdir fifos && cp src/self.c fifos/ && mkfifo 'fifos/zoltprj$.Far' 'fifos/zoltpru$.Far'
expect "list over a FIFO index" "$(timeout 20 "$zolt" list fifos helper 2>/dev/null)" "helper?self.c?1"
expect "goto over a FIFO index" "$(cd fifos && timeout 20 "$zolt" goto self.c 2 23)" \
    "$work/tree/fifos/self.c:1:1"
timeout 20 "$zolt" build fifos >/dev/null 2>&1; expect "build over a FIFO update index" $? 0

# A name longer than the 63 characters an index keeps is found by its first 63, in another
# file and in the edited text.
long=long_$(printf 'x%.0s' $(seq 1 65))
printf 'int %s(void) { return 0; }\n' "$long" >src/long.c
printf 'int y(void) { return %s(); }\n' "$long" >src/uselong.c
printf 'int %s(void) { return 0; }\nint z(void) { return %s(); }\n' "self$long" "self$long" \
    >src/selflong.c
"$zolt" build . >/dev/null
expect "goto a 70-character name" "$("$zolt" goto src/uselong.c 1 30)" "$work/tree/src/long.c:1:1"
expect "goto a 70-character name in the edited text" "$("$zolt" goto src/selflong.c 2 30)" \
    "$work/tree/src/selflong.c:1:1"
# Two indexes with matches, src/ and the tree's: one numbering through both menus, as --pick counts.
(cd src && "$zolt" build . >/dev/null)
items=$("$zolt" goto src/prefix.c 1 9)
expect "two menus: numbered through" "$(printf '%s\n' "$items" | cut -f1 | tr '\n' ' ')" \
    "$(seq 0 $(($(printf '%s\n' "$items" | wc -l) - 1)) | tr '\n' ' ')"
last=$(printf '%s\n' "$items" | tail -1)
case "$last" in *$'\t''src/buffer.c:'[0-9]*': buf_'*) ;; *) fail "the second menu's last item: $last" ;; esac
place=${last#*$'\t'}
expect "--pick in the second menu" "$("$zolt" goto src/prefix.c 1 9 --pick "${last%%$'\t'*}")" \
    "$work/tree/${place%: *}:1"

# zolt tags: the tags file Vim's :tag and readtags read and Emacs' TAGS, from the index (built
# first: a new file makes it stale), each jumping to the line the index names.
skipped=""
vim=$(command -v vim || command -v vim.tiny)
printf 'int tags_new_fn(void) { return 0; }\n' >src/tagsnew.c
"$zolt" tags . 2>"$work/err" || fail "tags: $(cat "$work/err")"
expect "tags: header first" "$(head -1 tags)" $'!_TAG_FILE_FORMAT\t2\t/extended format/'
expect "tags: sorted by name in bytes" "$(grep -v '^!' tags | LC_ALL=C sort -c -t$'\t' -k1,1 2>&1)" ""
expect "tags: one line per definition" "$(grep -vc '^!' tags)" \
    "$(tr -d '\r' <'zoltprj$.Far' | awk -F'?' '$1 != "" && $3 != 0' | wc -l)"
expect "tags: the stale index was built first" "$(grep -c '^tags_new_fn' tags)" 1
"$zolt" tags -o - src >"$work/stdout.tags"
expect "tags -o -: paths from the current directory" "$(grep '^tags_new_fn' "$work/stdout.tags")" \
    $'tags_new_fn\tsrc/tagsnew.c\t1;"'
mkdir -p "$work/elsewhere"
(cd src && "$zolt" tags --output="$work/elsewhere/t" ..)
expect "tags -o FILE: paths from FILE's directory" "$(grep '^tags_new_fn' "$work/elsewhere/t")" \
    $'tags_new_fn\t../tree/src/tagsnew.c\t1;"'
mkdir -p "$work/tree/elsewhere" && ln -s elsewhere/linked "$work/tree/linktags"
"$zolt" tags -o linktags . || fail "tags -o a link to a file not there yet"
expect "tags -o LINK: written where it leads, paths from the link" \
    "$(grep '^tags_new_fn' "$work/tree/elsewhere/linked")" $'tags_new_fn\tsrc/tagsnew.c\t1;"'
long=$(printf 'T%.0s' $(seq 250))
"$zolt" tags -o "$work/elsewhere/$long" . 2>"$work/err" || fail "tags -o a name with no room for a suffix: $(cat "$work/err")"
expect "tags -o a long name: written, no temporary left" "$(ls "$work/elsewhere" | grep -c zolt)$(grep -c '^tags_new_fn' "$work/elsewhere/$long" 2>/dev/null)" "01"
# A tags file its user cannot write is not replaced; one replaced keeps its mode.
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
    open=$(mktemp -d /tmp/zolt-tags-mode.XXXXXX) && chmod 777 "$open"
    printf 'int ro_fn(void) { return 0; }\n' >"$open/ro.c"
    echo keep >"$open/tags" && echo old >"$open/TAGS"
    chown 65534:65534 "$open/tags" "$open/TAGS" && chmod 444 "$open/tags" && chmod 640 "$open/TAGS"
    as_nobody() { XDG_CONFIG_HOME="$open/config" setpriv --reuid=65534 --regid=65534 --clear-groups "$zolt" "$@"; }
    as_nobody tags "$open" 2>"$work/err"; rc=$?
    expect "tags: a read-only tags file is kept" "$rc $(cat "$open/tags")" "1 keep"
    grep -q "^zolt: tags: cannot write $open/tags: Permission denied" "$work/err" || fail "tags read-only: $(cat "$work/err")"
    as_nobody tags -e "$open" || fail "tags -e as a user: $(cat "$work/err")"
    expect "tags -e: the file's mode is kept" "$(stat -c %a "$open/TAGS") $(grep -c ro_fn "$open/TAGS")" "640 1"
    rm -rf "$open"
fi
"$zolt" tags -o /dev/null . 2>"$work/err"; rc=$?
expect "tags -o a device: refused" "$rc $(stat -c %F /dev/null)" "2 character special file"
grep -q "^zolt: tags: FILE '/dev/null': not a regular file" "$work/err" || fail "tags -o /dev/null: $(cat "$work/err")"
# An index line whose FILE leaves its directory leads nowhere: not listed as a place.
mkdir hostile && printf 'evil?..\\..\\etc\\passwd?1\r\ngood?a.c?2\r\nodd?b.c?x\r\n' >'hostile/zoltprj$.Far'
expect "list -l: a FILE outside the directory" "$("$zolt" list -l hostile)" "hostile/a.c:2: good"
"$zolt" tags -e . || fail "tags -e"
for name in buf_split_line BUFFER highlight_plugin QED_RULES_HPP DeleteLine tags_new_fn; do
    want=$(tr -d '\r' <'zoltprj$.Far' | awk -F'?' -v n="$name" '$1 == n {gsub(/\\/, "/", $2); print $2 ":" $3}')
    [ -n "$want" ] || { fail "tags: $name is not in the index"; continue; }
    if command -v readtags >/dev/null; then
        expect "readtags $name" "$(readtags -t tags -e "$name" | awk -F'\t' '{sub(/;".*/, "", $3); print $2 ":" $3}')" "$want"
    else skipped="$skipped readtags"; fi
    if [ -n "$vim" ]; then # vim-tiny has no expressions: the line it lands on is written out
        rm -f "$work/vim.out"
        "$vim" -es -u NONE -i NONE -N -c 'set tags=./tags' -c "tag $name" -c ".w! $work/vim.out" \
            -c 'qa!' </dev/null
        expect "vim :tag $name" "$(cat "$work/vim.out" 2>/dev/null)" "$(sed -n "${want#*:}p" "${want%:*}")"
    else skipped="$skipped vim"; fi
    if command -v emacs >/dev/null; then # not installed by the tests: checked where it is
        got=$(emacs --batch -Q --eval "(progn (find-file \"src/main.c\") (visit-tags-table \"$PWD/TAGS\")
            (xref-find-definitions \"$name\") (princ (format \"%s:%d\" (file-relative-name
            buffer-file-name \"$PWD\") (line-number-at-pos))))" 2>/dev/null)
        expect "emacs M-. $name" "$got" "$want"
    fi
done

[ "$failures" = 0 ] || exit 1
if [ -n "$skipped" ]; then # `make test` installs them (scripts/ensure-deps.sh test)
    echo "SKIPPED: the tags checks that need$(printf '%s\n' $skipped | sort -u | tr '\n' ' ')"
    exit 77
fi
echo "list and goto: all checks passed"
