#!/usr/bin/env bash
# zolt in tmux: a word defined nowhere gives the warning box; the editor stays as it was. Esc
# during a build stops it at the next file, says so and leaves the index files as they were.
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

touch "$ZT_DIR"/src/*.c # a rebuild would write them again
before=$(cat "$ZT_DIR/zoltprj\$.Far" "$ZT_DIR/zoltpru\$.Far" | md5sum)
stamps=$(stat -c '%i %.9Y' "$ZT_DIR/zoltprj\$.Far" "$ZT_DIR/zoltpru\$.Far")
zt_start .
zt_wait "1Help"
zt_keys F11
zt_wait "Plugin commands"
zt_keys Enter
zt_wait "ZOLT"
zt_keys Down
tmux -L "$ZT_SOCK" send-keys -t zt Enter Escape # Esc pressed as the build starts
zt_wait "Build stopped (Esc)"
[ "$(cat "$ZT_DIR/zoltprj\$.Far" "$ZT_DIR/zoltpru\$.Far" | md5sum)" = "$before" ] ||
    zt_fail "a stopped build changed the index files"
[ "$(stat -c '%i %.9Y' "$ZT_DIR/zoltprj\$.Far" "$ZT_DIR/zoltpru\$.Far")" = "$stamps" ] ||
    zt_fail "a stopped build replaced the index files"
zt_keys Enter
zt_wait_gone "Build stopped (Esc)"
zt_plugin_command 1 # not stopped: the build writes them
zt_wait_gone "Scanning" 60
sleep 0.5
[ "$(stat -c '%i %.9Y' "$ZT_DIR/zoltprj\$.Far" "$ZT_DIR/zoltpru\$.Far")" != "$stamps" ] ||
    zt_fail "the next build did not write the index files"
zt_quit
zt_done
