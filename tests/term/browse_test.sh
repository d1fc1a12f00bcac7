#!/usr/bin/env bash
# zolt in tmux: build the project index, browse it by prefix, open a definition at its line.
set -u
. "$(dirname "$0")/tmux_driver.sh"
zt_init "$1" "$2"
printf 'int cafe_total(void) { return 0; }\n' >"$ZT_DIR/café.c"
zt_build_index

zt_start .
zt_wait "1Help"
zt_expect "║café.c "                     # a UTF-8 name shows as UTF-8
zt_plugin_command 0
zt_wait "Definitions []"
zt_expect "ARRAY_SIZE"
zt_type "buf"
zt_wait "Definitions [BUF]"
zt_expect "buf_count_lines"
zt_expect_not "ARRAY_SIZE"
zt_keys BSpace BSpace BSpace
zt_wait "Definitions []"
zt_type "buf"
zt_wait "Definitions [BUF]"

# the first match sorts first: the BUFFER typedef of include/buffer.h
line=$(zt_line_of include/buffer.h '^} BUFFER;')
zt_keys Enter
zt_wait "Line $line/"
zt_status_line | grep -q "include/buffer.h" || zt_fail "not the defining file"
zt_keys Escape
zt_wait "Definitions [BUF]"          # the menu comes back with its filter
zt_keys BSpace BSpace BSpace
zt_type "cafe"
zt_wait "Definitions [CAFE]"
zt_expect "café.c "
zt_keys Escape
zt_wait_gone "Definitions ["
zt_quit
zt_done
