#!/usr/bin/env bash
# zolt in tmux: the options dialog turns static functions on, and the next browse lists them;
# then the help (F1) is walked through its links.
set -u
. "$(dirname "$0")/tmux_driver.sh"
zt_init "$1" "$2"

zt_start .
zt_wait "1Help"
zt_plugin_command 0                   # no index yet: the tree is scanned
zt_wait "Definitions []"
zt_type "usa"
zt_wait "Definitions [USA]"
zt_expect_not "usage"                 # static void usage(void) in src/main.c
zt_keys Escape
zt_wait_gone "Definitions ["

zt_keys F9
zt_wait "Plugins configuration"
zt_keys Enter
zt_wait "[ ]"
zt_expect "File masks *.c;"           # a blank between the label and its field
zt_keys Space                         # the first checkbox: static functions, project scan
zt_wait "[x]"
zt_keys Enter
zt_wait_gone "[x]"
grep -qi "^CtStatic=dword:1" "$ZT_TMP/config/zolt/settings" || zt_fail "CtStatic not stored"

zt_plugin_command 0
zt_wait "Definitions []"
zt_type "usa"
zt_wait "Definitions [USA]"
zt_wait "usage"
zt_keys Escape
zt_wait_gone "Definitions ["

# F1: Contents, its first link selected; Tab and Shift+Tab move between the links, Enter follows
# the selected one, Backspace goes back to where it was.
zt_keys F1
zt_wait "ZOLT source browser"
zt_keys Enter                         # "project index", in the first paragraph
zt_wait "ZOLT: index files"
zt_keys BSpace
zt_wait "ZOLT source browser"
zt_keys Tab Tab Tab Tab Tab Tab Tab Enter # the eighth link: Things to know
zt_wait "ZOLT: things to know"
zt_expect "extern \"C\""
zt_keys Tab Tab Enter                 # its third link: Contents
zt_wait "ZOLT source browser"
zt_keys BSpace
zt_wait "ZOLT: things to know"
zt_keys BSpace                        # back to Contents, at its eighth link
zt_wait "ZOLT source browser"
zt_keys BTab Enter                    # the seventh: Settings
zt_wait "ZOLT: settings"
zt_keys Escape
zt_wait_gone "ZOLT: settings"
zt_quit
zt_done
