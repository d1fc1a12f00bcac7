#!/usr/bin/env bash
# zolt in tmux: go to a definition in another directory through the index, then go back.
set -u
. "$(dirname "$0")/tmux_driver.sh"
zt_init "$1" "$2"
zt_build_index

line=$(zt_line_of src/main.c 'list_append(&history')
def=$(zt_line_of lib/list/list.c '^void list_append')
zt_start edit src/main.c "$line"
zt_wait "Line $line/"
zt_right 6                            # onto "list_append"
zt_plugin_command 1
zt_wait "lib/list/list.c"
zt_wait "Line $def/"
zt_plugin_command 2                   # go back: this editor closes
zt_wait "src/main.c"
zt_wait "Line $line/"
zt_expect_not "lib/list/list.c"
zt_keys Escape
zt_wait "[zolt exit 0]"
zt_done
