#!/usr/bin/env bash
# zolt in tmux: a word defined nowhere gives the warning box; the editor stays as it was.
set -u
. "$(dirname "$0")/tmux_driver.sh"
zt_init "$1" "$2"
zt_build_index

line=$(zt_line_of src/main.c 'undefined_autosave_hook')
zt_start edit src/main.c "$line"
zt_wait "Line $line/"
zt_right 14                           # onto "undefined_autosave_hook"
zt_plugin_command 1
zt_wait "No definition found"
zt_expect "[ OK ]"                      # the hot-key marker is not drawn ...
zt_expect_not "&OK"
zt_keys o                               # ... and its key presses the button
zt_wait_gone "No definition found"
zt_expect "Line $line/"
zt_keys Escape
zt_wait "[zolt exit 0]"
zt_done
