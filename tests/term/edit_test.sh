#!/usr/bin/env bash
# zolt in tmux: a UTF-8 file in the editor (its name and text, a code page 866 line beside them),
# search (F7, Shift+F7), go to line (Alt+F8), and a UTF-8 character deleted and typed back.
set -u
. "$(dirname "$0")/tmux_driver.sh"
zt_init "$1" "$2"
f="$ZT_DIR/café.c"
printf '/* Grüße, привет → 文件 */\nint cafe_total(void);\n// \x8e\xa1\xa7\xae\xe0: cp866\nint cafe_count;\n' >"$f"
cp "$f" "$ZT_TMP/before"

zt_start edit café.c
zt_wait "Line 1/4 Col 1"
zt_status_line | grep -qF "/café.c" || zt_fail "the file name is not shown as UTF-8"
zt_expect "/* Grüße, привет → 文件 */"
zt_expect "// Обзор: cp866"

# KEY|TEXT typed in its prompt|where the cursor lands
while IFS='|' read -r key text want; do
    zt_keys "$key"
    if [ -n "$text" ]; then
        zt_wait "═ Search ═"
        zt_type "$text"
        zt_keys Enter
    fi
    zt_wait "$want"
done <<'ROWS'
F7|cafe|Line 2/4 Col 5
S-F7||Line 4/4 Col 5
S-F7||Line 2/4 Col 5
F7|ПРИВЕТ|Line 1/4 Col 11
F7|обзор|Line 3/4 Col 4
ROWS
zt_keys F7
zt_wait "═ Search ═"
zt_type "zzz"
zt_keys Enter
zt_wait "Could not find the string"
zt_expect "[ OK ]"
zt_keys o
zt_wait_gone "Could not find the string"

while IFS='|' read -r text want; do
    zt_keys M-F8
    zt_wait "Go to line"
    zt_type "$text"
    zt_keys Enter
    zt_wait "$want"
done <<'ROWS'
4,9|Line 4/4 Col 9
99|Line 4/4 Col 1
1,6|Line 1/4 Col 6
ROWS

# Del takes the whole ü; typed back it goes in as UTF-8: the file's bytes are as before
zt_keys DC
zt_wait "/* Grße, привет"
zt_type "ü"
zt_wait "/* Grüße, привет"
zt_keys F2
zt_wait_gone "* Line"
cmp -s "$f" "$ZT_TMP/before" || zt_fail "the saved bytes differ: $(cmp "$f" "$ZT_TMP/before")"
zt_keys Escape
zt_wait "[zolt exit 0]"

# The input goes away (at its end, a read error, a hang-up): the program ends at once with
# status 1, the screen restored and the unsaved changes in a file of their own, the file as it was.
g="$ZT_DIR/gone.c"
printf 'int gone;\n' >"$g"
gone_run() { # WHAT ARGS...: zolt with the input before it; status 1 and the note on stderr
    local what=$1 rc
    shift
    (cd "$ZT_DIR" && TERM=xterm timeout "$ZT_TIMEOUT" "$ZT_BIN" "$@" >/dev/null 2>"$ZT_TMP/stderr")
    rc=$?
    [ "$rc" = 1 ] || zt_fail "$what: status $rc, not 1"
    grep -q "input has gone away" "$ZT_TMP/stderr" || zt_fail "$what: no word of it on stderr"
}
gone_run "the panel reading /dev/null" . </dev/null
gone_run "the editor reading /dev/null" edit gone.c </dev/null
ls "$g".zolt-unsaved-* >/dev/null 2>&1 && zt_fail "a copy of unchanged text was kept"
(printf 'ab'; sleep 1) | gone_run "the editor reading a pipe that closes" edit gone.c || exit 1
grep -qx "abint gone;" "$g".zolt-unsaved-* || zt_fail "the typed text was not kept"
grep -qF "the unsaved changes to $g are in $g.zolt-unsaved-" "$ZT_TMP/stderr" ||
    zt_fail "stderr does not say where the changes are"
rm -f "$g".zolt-unsaved-*
zt_start edit gone.c
zt_wait "Line 1/1 Col 1"
zt_type "hup"
zt_wait "hupint gone;"
tmux -L "$ZT_SOCK" kill-session -t zt
deadline=$((SECONDS + ZT_TIMEOUT))
while [ "$SECONDS" -lt "$deadline" ]; do
    grep -qsx "hupint gone;" "$g".zolt-unsaved-* && break
    sleep 0.2
done
grep -qsx "hupint gone;" "$g".zolt-unsaved-* || zt_fail "a hang-up lost the typed text"
[ "$(cat "$g")" = "int gone;" ] || zt_fail "the file changed without a save"
zt_done
