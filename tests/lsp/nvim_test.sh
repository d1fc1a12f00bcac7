#!/usr/bin/env bash
# zolt lsp driven by a real client: Neovim's built-in LSP client, headless, on a copy of the
# example tree, asks for a definition, workspace symbols and the document's symbols, and the
# answers are checked. Skipped (77) where Neovim is not installed.
# Usage: nvim_test.sh ZOLT_BINARY SOURCE_DIR
set -u
zolt=$(realpath "$1")
src=$(realpath "$2")
command -v nvim >/dev/null || { echo "SKIP: nvim is not installed (Debian package neovim)"; exit 77; }
command -v python3 >/dev/null || { echo "SKIP: python3 is not installed"; exit 77; }
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

work=$(mktemp -d /tmp/zolt-nvim.XXXXXX)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" XDG_STATE_HOME="$work/state"
export XDG_DATA_HOME="$work/data" HOME="$work"
unset LC_ALL LC_MESSAGES LANG
cp -r "$src/examples" "$work/tree"
tree="$work/tree"
"$zolt" build "$tree" >/dev/null || fail "build"

# The cursor on xmalloc in src/buffer.c (line 12: "    BUFFER *b = xmalloc(sizeof *b);").
run() {
    ZOLT="$zolt" LSP_ROOT="$tree" LINE="$1" COL="$2" QUERY="$3" \
        timeout 60 nvim --headless -u NONE -i NONE "$tree/$4" -c "luafile $src/tests/lsp/nvim_probe.lua" \
        >"$work/out" 2>"$work/err"
}
run 12 20 buf_ src/buffer.c || fail "nvim exited $? ($(cat "$work/err"))"
cat "$work/out"

python3 - "$work/out" "$tree" <<'PY' || failures=$((failures + 1))
import json, sys
out = {}
for line in open(sys.argv[1]):
    label, _, value = line.partition(' ')
    out[label] = json.loads(value)
tree = sys.argv[2]
bad = []
def check(what, ok):
    if not ok: bad.append(what)
d = out.get('definition') or []
check('definition lands on xmalloc in src/util.c, line 21, columns 6 to 13',
      d == [{'uri': 'file://' + tree + '/src/util.c',
             'range': {'start': {'line': 20, 'character': 6}, 'end': {'line': 20, 'character': 13}}}])
names = [s['name'] for s in out.get('symbol') or []]
check('workspace/symbol buf_: the names beginning with it first, by name', names[:3] == sorted(names[:3], key=str.upper) and all(n.upper().startswith('BUF_') for n in names[:3]))
index = [l.split('?')[0] for l in open(tree + '/zoltprj$.Far', encoding='latin1') if l.upper().startswith('BUF_')]
check('workspace/symbol: every index line beginning with buf_, in index order', names[:len(index)] == index)
check('workspace/symbol: locations in the tree', all(s['location']['uri'].startswith('file://' + tree + '/') for s in out.get('symbol') or []))
outline = {(s['name'], s['kind'], s['selectionRange']['start']['line']) for s in out.get('outline') or []}
check('documentSymbol: buf_new is a function on line 10', ('buf_new', 12, 9) in outline)
check('documentSymbol: every entry of buffer.c in the index', {n for n, k, l in outline} >= {l.split('?')[0] for l in open(tree + '/zoltprj$.Far', encoding='latin1') if l.split('?')[1:2] == ['src\\buffer.c']})
for b in bad: print('FAIL:', b, file=sys.stderr)
sys.exit(1 if bad else 0)
PY

[ $failures -eq 0 ] || { echo "$failures failure(s)" >&2; exit 1; }
echo "nvim_test: ok"
