#!/usr/bin/env bash
# zolt config from the command line: defaults, every option set and read back, masks with the
# store's special characters, and bad settings that must write nothing.
# Usage: batch_config_test.sh ZOLT_BINARY SOURCE_DIR
set -u
zolt=$(realpath "$1")
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

work=$(mktemp -d /tmp/zolt-config-cli.XXXXXX)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"
store="$XDG_CONFIG_HOME/zolt/settings"
cd "$work" || exit 1

names=(CtStatic CtInline CtCPP QuitMenu CtStaticE CtInlineE CtCPPE Recurse MoveF)
defaults=(0 1 1 0 1 1 1 1 1)
default_mask='*.c;*.cpp;*.h;*.hpp'

# listing FLAG... MASK: the ten lines zolt config prints for these values
listing() {
    local i out="" values=("$@")
    for i in "${!names[@]}"; do out+="${names[$i]}=${values[$i]}"$'\n'; done
    printf '%sFileMask=%s' "$out" "${values[9]}"
}

# config EXPECTED_STATUS EXPECTED_STDOUT ARGS...: runs zolt config and compares
config() {
    local status=$1 want=$2 got rc
    shift 2
    got=$("$zolt" config "$@" 2>"$work/stderr")
    rc=$?
    [ "$rc" = "$status" ] || fail "config $*: exit status $rc, expected $status ($(cat "$work/stderr"))"
    [ "$got" = "$want" ] || fail "config $*: output"$'\n'"$got"$'\n'"expected"$'\n'"$want"
    if [ "$status" = 2 ]; then grep -q "^zolt: " "$work/stderr" || fail "config $*: no message"; fi
}

# --- a fresh store: the defaults, and nothing written by looking ---
config 0 "$(listing "${defaults[@]}" "$default_mask")"
[ -e "$store" ] && fail "listing the options created the store"

# --- every option alone, set and read back, then restored ---
for i in "${!names[@]}"; do
    values=("${defaults[@]}")
    values[$i]=$((1 - defaults[$i]))
    config 0 "$(listing "${values[@]}" "$default_mask")" "${names[$i]}=${values[$i]}"
    config 0 "$(listing "${values[@]}" "$default_mask")"
    config 0 "$(listing "${defaults[@]}" "$default_mask")" "${names[$i]}=${defaults[$i]}"
done
grep -q '^CtCPPE=dword:1$' "$store" || fail "DWORDs are stored as dword: $(cat "$store")"

# --- all at once, names in any case; the last setting of a name wins ---
config 0 "$(listing 1 0 0 1 0 0 0 0 0 '*.mac')" ctstatic=1 CTINLINE=0 CtCPP=0 QuitMenu=1 CtStaticE=0 \
    CtInlineE=0 CtCPPE=0 Recurse=0 MoveF=1 MoveF=0 FileMask='*.c' filemask='*.mac'

# --- masks: empty, the store's special characters, spaces, bytes above 0x7F, 511 bytes ---
for mask in '' '*.c; *.h' 'a=b;[x];#y;\z' $'\x8f\xe0\xa8.c' "$(printf '%0511d' 0)"; do
    config 0 "$(listing 1 0 0 1 0 0 0 0 0 "$mask")" FileMask="$mask"
    config 0 "$(listing 1 0 0 1 0 0 0 0 0 "$mask")"
done

# --- bad settings: status 2, no output, the store untouched ---
before=$(cat "$store")
config 2 "" Unknown=1
config 2 "" CtStatic=2
config 2 "" CtStatic=
config 2 "" CtStatic=01
config 2 "" Recurse=yes
config 2 "" CtStatic
config 2 "" =1
config 2 "" CtStatic=0 Bogus=1
config 2 "" MoveF=1 Recurse=on
config 2 "" FileMask="$(printf '%0512d' 0)"
[ "$(cat "$store")" = "$before" ] || fail "a rejected setting changed the store"

"$zolt" config --help | grep -q "^usage: zolt config" || fail "config --help"
"$zolt" --help | grep -q "^  config " || fail "--help does not list config"

[ "$failures" = 0 ] && echo "batch_config_test: all passed"
exit $((failures > 0))
