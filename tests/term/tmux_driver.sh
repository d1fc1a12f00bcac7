# tmux_driver.sh: runs zolt in a detached tmux session of a fixed size and reads its screen.
# Sourced by the *_test.sh scenarios: zt_init BIN SRCDIR, then zt_start ARGS..., zt_keys, zt_wait.
# Every wait is bounded; the tmux server (a private socket) and the temp tree go away on exit.

ZT_COLS=100
ZT_ROWS=30
ZT_TIMEOUT=${ZT_TIMEOUT:-15}

zt_cleanup() {
    [ -n "${ZT_SOCK:-}" ] && tmux -L "$ZT_SOCK" kill-server 2>/dev/null
    [ -n "${ZT_TMP:-}" ] && rm -rf "$ZT_TMP"
    return 0
}

# zt_init BIN SRCDIR: a fresh copy of the example tree in $ZT_DIR and a fresh settings store.
# Exits 77 (skipped) when tmux is missing or the program has no terminal mode yet.
zt_init() {
    ZT_BIN=$1
    ZT_SRC=$2
    command -v tmux >/dev/null || { echo "SKIP: tmux is not installed"; exit 77; }
    if ! "$ZT_BIN" /nonexistent-zolt-dir 2>&1 </dev/null | grep -q "cannot open directory"; then
        echo "SKIP: this zolt has no terminal mode"
        exit 77
    fi
    ZT_TMP=$(mktemp -d "${TMPDIR:-/tmp}/zolt-tmux.XXXXXX")
    ZT_SOCK="zolt-test-$$"
    trap zt_cleanup EXIT
    trap 'exit 1' INT TERM
    ZT_DIR="$ZT_TMP/examples"
    cp -r "$ZT_SRC/examples" "$ZT_DIR"
    mkdir -p "$ZT_TMP/config"
}

# zt_start ARGS...: zolt ARGS in $ZT_DIR; when it ends the pane shows "[zolt exit N]".
zt_start() {
    local cmd
    cmd="cd '$ZT_DIR' && env LANG=C.UTF-8 LC_ALL=C.UTF-8 XDG_CONFIG_HOME='$ZT_TMP/config'"
    cmd="$cmd ASAN_OPTIONS=detect_leaks=0 '$ZT_BIN'"
    for a in "$@"; do cmd="$cmd '$a'"; done
    cmd="$cmd 2>'$ZT_TMP/stderr'; echo \"[zolt exit \$?]\"; sleep 600"
    tmux -L "$ZT_SOCK" -f /dev/null kill-session -t zt 2>/dev/null
    tmux -L "$ZT_SOCK" -f /dev/null new-session -d -s zt -x "$ZT_COLS" -y "$ZT_ROWS" "$cmd"
}

zt_screen() {
    tmux -L "$ZT_SOCK" capture-pane -p -t zt
}

zt_fail() {
    echo "FAIL: $*"
    echo "----- screen -----"
    zt_screen
    echo "----- stderr -----"
    cat "$ZT_TMP/stderr" 2>/dev/null
    exit 1
}

# zt_keys KEY...: tmux key names (F11, Enter, Escape, Down, Space, BSpace ...).
zt_keys() {
    local k
    for k in "$@"; do
        tmux -L "$ZT_SOCK" send-keys -t zt "$k"
        sleep 0.15
    done
}

# zt_type TEXT: the characters as typed.
zt_type() {
    tmux -L "$ZT_SOCK" send-keys -t zt -l "$1"
    sleep 0.2
}

# zt_wait TEXT [SECONDS]: until the screen shows TEXT (fixed string).
zt_wait() {
    local deadline=$((SECONDS + ${2:-$ZT_TIMEOUT}))
    while [ "$SECONDS" -lt "$deadline" ]; do
        zt_screen | grep -qF -- "$1" && return 0
        sleep 0.1
    done
    zt_fail "timed out waiting for: $1"
}

# zt_wait_gone TEXT [SECONDS]: until the screen no longer shows TEXT.
zt_wait_gone() {
    local deadline=$((SECONDS + ${2:-$ZT_TIMEOUT}))
    while [ "$SECONDS" -lt "$deadline" ]; do
        zt_screen | grep -qF -- "$1" || return 0
        sleep 0.1
    done
    zt_fail "still on the screen: $1"
}

zt_expect() {
    zt_screen | grep -qF -- "$1" || zt_fail "not on the screen: $1"
}

zt_expect_not() {
    zt_screen | grep -qF -- "$1" && zt_fail "unexpected on the screen: $1"
    return 0
}

# zt_status_line: the editor's status line (the first row).
zt_status_line() {
    zt_screen | head -n 1
}

# zt_plugin_command N: F11, the host's plugin line, then item N (0-based) of ZOLT's menu.
zt_plugin_command() {
    zt_keys F11
    zt_wait "Plugin commands"
    zt_keys Enter
    zt_wait "ZOLT"
    local i
    for ((i = 0; i < $1; i++)); do zt_keys Down; done
    zt_keys Enter
}

# zt_build_index: zolt on the tree, Build project index, quit; the index files must appear.
zt_build_index() {
    zt_start .
    zt_wait "1Help"
    zt_plugin_command 1
    zt_wait 'zoltprj$.Far' 60
    [ -f "$ZT_DIR/zoltprj\$.Far" ] || zt_fail "no project index file"
    [ -f "$ZT_DIR/zoltpru\$.Far" ] || zt_fail "no update index file"
    zt_quit
}

# zt_quit: F10 in the panel, asked back and confirmed; the program must end with 0.
zt_quit() {
    zt_keys F10
    zt_wait "Do you want to quit zolt?"
    zt_keys Enter
    zt_wait "[zolt exit 0]"
}

# zt_line_of FILE PATTERN: the 1-based number of the first line matching PATTERN.
zt_line_of() {
    grep -n -m1 -- "$2" "$ZT_DIR/$1" | cut -d: -f1
}

# zt_right N: N presses of Right (onto a word of the editor's line).
zt_right() {
    local i
    for ((i = 0; i < $1; i++)); do tmux -L "$ZT_SOCK" send-keys -t zt Right; done
    sleep 0.2
}

# zt_done: the program's stderr must hold no sanitizer report.
zt_done() {
    if grep -qE "runtime error|AddressSanitizer|LeakSanitizer" "$ZT_TMP/stderr" 2>/dev/null; then
        cat "$ZT_TMP/stderr"
        echo "FAIL: sanitizer report"
        exit 1
    fi
    echo "PASS"
}
