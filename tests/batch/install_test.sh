#!/usr/bin/env bash
# zolt as installed: `cmake --install` of this build into a scratch root, the installed program
# run from elsewhere (its texts found from where it is, not from this tree), the manual page
# against --help, the bash completion, and the Debian package installed and purged in a scratch
# dpkg root.
# Usage: install_test.sh ZOLT_BINARY SOURCE_DIR
set -u
zolt=$(realpath "$1")
src=$(realpath "$2")
build=$(dirname "$zolt")
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
expect() { [ "$2" = "$3" ] || fail "$1: got [$2] expected [$3]"; }

work=$(mktemp -d /tmp/zolt-install.XXXXXX)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"
unset ZOLT_DIST_DIR LC_ALL LC_MESSAGES LANG
root=$work/root
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null || fail "cmake --install"
expect "installed files" "$(cd "$root" && find . -type f | sort | tr '\n' ' ')" \
    "./usr/bin/zolt ./usr/share/bash-completion/completions/zolt ./usr/share/man/man1/zolt.1 \
./usr/share/zolt/zoltEng.hlf ./usr/share/zolt/zoltEng.lng ./usr/share/zolt/zoltRus.hlf \
./usr/share/zolt/zoltRus.lng "

# A warning shows its texts: "zolt: TITLE: TEXT", neither of them empty.
mkdir -p "$work/tree" && printf 'int x = nowhere;\n' >"$work/tree/a.c"
warns() { # PROGRAM: status and stderr of a goto that finds nothing, from another directory
    (cd "$work/tree" && "$1" goto a.c 1 10 2>&1 >/dev/null; echo "status $?")
}
text=$(warns "$root/usr/bin/zolt")
case "$text" in "zolt: "?*": "?*$'\n'"status 1") ;; *) fail "installed zolt's warning: $text" ;; esac
# A copy without its files says what is missing instead of showing empty texts.
mkdir "$work/bin" && cp "$zolt" "$work/bin/zolt"
text=$(warns "$work/bin/zolt")
case "$text" in *ZOLT_DIST_DIR*$'\n'"status 2") ;; *) fail "copy without its files: $text" ;; esac
text=$(ZOLT_DIST_DIR=$work/tree warns "$root/usr/bin/zolt")
case "$text" in *"$work/tree"*$'\n'"status 2") ;; *) fail "ZOLT_DIST_DIR without files: $text" ;; esac
text=$(ZOLT_DIST_DIR=$root/usr/share/zolt warns "$work/bin/zolt")
case "$text" in "zolt: "?*": "?*$'\n'"status 1") ;; *) fail "ZOLT_DIST_DIR wins: $text" ;; esac
# A relative ZOLT_DIST_DIR names a folder of the directory zolt started in, also once a command
# has entered the one it works on.
text=$(cd "$root/usr/share" && ZOLT_DIST_DIR=zolt "$work/bin/zolt" build "$work/tree" 2>&1
    echo "status $?")
case "$text" in "files scanned: 1,"*$'\n'"status 0") ;; *) fail "relative ZOLT_DIST_DIR: $text" ;; esac

# The manual page says what --help says: each line of --help (headings aside, blanks run
# together) is in the page's text with its lines run together; it has the sections of a manual,
# groff finds nothing to warn about, and man finds it.
skipped=""
if ! command -v man >/dev/null; then
    skipped="$skipped man-db"
else
    page=$(LC_ALL=C MANWIDTH=100 man -l "$root/usr/share/man/man1/zolt.1" 2>"$work/man.err" |
        tr -s ' \n' '  ')
    [ -s "$work/man.err" ] && fail "man -l: $(cat "$work/man.err")"
    "$zolt" --help | sed 's/^ *//; s/^usage: //' | tr -s ' ' | grep -v '^$' | grep -v '^[a-z ]*:$' |
        while IFS= read -r line; do
            case "$page" in *"$line"*) ;; *) echo "$line" ;; esac
        done >"$work/missing"
    [ -s "$work/missing" ] && fail "--help lines not in the manual page: $(head -3 "$work/missing")"
    for section in NAME SYNOPSIS DESCRIPTION COMMANDS OPTIONS FILES ENVIRONMENT 'EXIT STATUS' \
        'THINGS TO KNOW' EXAMPLES 'SEE ALSO'; do
        grep -q "^\.SH $section\$" "$root/usr/share/man/man1/zolt.1" || fail "manual page: no $section"
    done
    grep -q '^\.nf' "$root/usr/share/man/man1/zolt.1" && fail "manual page: text in no-fill blocks"
    if command -v groff >/dev/null; then
        warnings=$(groff -ww -z -man "$root/usr/share/man/man1/zolt.1" 2>&1)
        expect "groff -ww: no warnings" "$warnings" ""
    fi
    expect "man finds the page" "$(MANPATH=$root/usr/share/man man -w zolt)" \
        "$root/usr/share/man/man1/zolt.1"
fi

# Completion: the commands and the option names, as zolt itself has them.
complete_words() { # WORD...: what completing the last word offers, one per line, sorted
    (cd "$work/tree" && bash -c 'source "$0"; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _zolt
        printf "%s\n" "${COMPREPLY[@]}"' "$root/usr/share/bash-completion/completions/zolt" "$@" |
        sort)
}
commands=$("$zolt" --help | sed -n '/^commands:/,/^$/s/^  \([a-z]*\) .*/\1/p')
expect "completion: commands" "$(complete_words zolt '' | grep -v '^-' | tr '\n' ' ')" \
    "$(printf '%s\n' $commands edit | sort -u | tr '\n' ' ')"
expect "completion: b" "$(complete_words zolt b)" "build"
expect "completion: config names" "$(complete_words zolt config '' | grep -v '^-' | tr '\n' ' ')" \
    "$("$zolt" config | sed 's/=.*/=/' | sort | tr '\n' ' ')"
expect "completion: a flag's values" "$(complete_words zolt config Recurse = '' | tr '\n' ' ')" "0 1 "
expect "completion: after the '='" "$(complete_words zolt config Recurse = | tr '\n' ' ')" "0 1 "
expect "completion: list's options" "$(complete_words zolt list --l)" "--locations"
expect "completion: tags' options" "$(complete_words zolt tags --e)" "--etags"

# The Debian package: its files, then installed and purged in a dpkg root of its own.
# make-deb.sh builds it with dpkg-buildpackage and fails on any lintian error or warning.
if ! command -v dpkg-buildpackage >/dev/null || ! command -v dh >/dev/null ||
    ! command -v lintian >/dev/null; then
    skipped="$skipped dpkg-dev debhelper lintian"
else
    deb=$("$src/scripts/make-deb.sh" "$work") || fail "make-deb.sh"
    expect "package files" "$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | tr '\n' ' ')" \
        "./usr/bin/zolt ./usr/share/bash-completion/completions/zolt \
./usr/share/doc/zolt/changelog.gz ./usr/share/doc/zolt/copyright \
./usr/share/man/man1/zolt.1.gz ./usr/share/zolt/zoltEng.hlf ./usr/share/zolt/zoltEng.lng \
./usr/share/zolt/zoltRus.hlf ./usr/share/zolt/zoltRus.lng "
    # built with the hardening flags dpkg-buildflags gives: full RELRO, PIE, fortified calls
    mkdir "$work/unpacked" && dpkg-deb -x "$deb" "$work/unpacked"
    readelf -d "$work/unpacked/usr/bin/zolt" | grep -q 'FLAGS_1.*NOW.*PIE' || fail "package: not PIE with BIND_NOW"
    nm -D "$work/unpacked/usr/bin/zolt" | grep -q '__[a-z]*_chk' || fail "package: no fortified calls"
    dpkgroot=$work/dpkg
    mkdir -p "$dpkgroot/var/lib/dpkg/info" "$dpkgroot/var/lib/dpkg/updates" &&
        touch "$dpkgroot/var/lib/dpkg/status"
    dpkg_in_root() { dpkg --root="$dpkgroot" --log=/dev/null --force-not-root "$@" >/dev/null 2>&1; }
    dpkg_in_root --force-depends -i "$deb" || fail "dpkg -i"
    text=$(warns "$dpkgroot/usr/bin/zolt")
    case "$text" in "zolt: "?*": "?*$'\n'"status 1") ;; *) fail "packaged zolt: $text" ;; esac
    dpkg_in_root --purge zolt || fail "dpkg --purge"
    expect "nothing left after purge" "$(cd "$dpkgroot" && find . -mindepth 1 -path ./var -prune -o -print)" ""
fi

[ "$failures" = 0 ] || exit 1
if [ -n "$skipped" ]; then # a fresh machine after `make build`; `make test` installs them
    echo "SKIPPED: the checks that need$skipped (scripts/ensure-deps.sh test installs them)"
    exit 77
fi
echo "install: all checks passed"
