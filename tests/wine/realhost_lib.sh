# realhost_lib.sh: what the scripts that drive the real current host share (sourced). The caller
# sets host (the host's folder), bits (32 or 64), plugin (the folder with zolt.dll), work_name
# (a name for the scratch folder and the tmux session) and check_tag (put before each check's
# name, may be empty). Exits 77 with a "SKIPPED:" line where the host, tmux or Wine is missing.
[ -x "$host/run.sh" ] || { echo "SKIPPED: no real host at $host"; exit 77; }
[ -f "$plugin/zolt.dll" ] || { echo "FAIL: $plugin/zolt.dll missing (make test builds it)"; exit 1; }
command -v tmux >/dev/null || { echo "SKIPPED: no tmux"; exit 77; }
[ -x /usr/lib/wine/wine64 ] || { echo "SKIPPED: no Wine"; exit 77; }
if [ "$bits" = 32 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "SKIPPED: this machine does not run 32-bit Wine"
    exit 77
fi

work=$(mktemp -d "/tmp/zolt-$work_name.XXXXXX")
session="zolt-$work_name-$$"
# The host and every process of its prefix, gone before the next start (a host still closing
# keeps its profile, and the next one would stop at once).
stop_host() {
    tmux kill-session -t "$session" 2>/dev/null
    WINEPREFIX="$work/home/prefix" /usr/lib/wine/wineserver -k 2>/dev/null
    WINEPREFIX="$work/home/prefix" /usr/lib/wine/wineserver -w 2>/dev/null
}
cleanup() {
    stop_host
    rm -rf "$work"
}
trap cleanup EXIT
# The host's start script calls `wine`: the loader that fits the program's machine type.
mkdir -p "$work/bin" "$work/plugin/ZOLT"
cat >"$work/bin/wine" <<'SHIM'
#!/bin/sh
case "$(od -An -tx1 -j"$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')" -N6 "$1" | tr -d ' ')" in
*50450000*6486*) exec /usr/lib/wine/wine64 "$@" ;;
*) exec /usr/lib/wine/wine "$@" ;;
esac
SHIM
chmod +x "$work/bin/wine"
export XDG_CONFIG_HOME="$work/config"

screen() { tmux capture-pane -p -t "$session" 2>/dev/null; }
failures=0
check() { # what, then a test command
    local what=$1
    shift
    if "$@"; then echo "PASS $check_tag$what"; else
        echo "FAIL $check_tag$what"
        screen | head -3 | sed 's/^/    /'
        failures=$((failures + 1))
    fi
}
seen() { screen | grep -q -- "$1"; }
title() { screen | head -1 | grep -q -- "$1"; }
keys() { tmux send-keys -t "$session" "$@"; sleep "${pause:-1.5}"; }
