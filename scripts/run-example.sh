#!/usr/bin/env bash
# The main job on the bundled example tree: interactive on a terminal, a build and a listing otherwise.
set -euo pipefail
bin="$1/zolt"
if [ ! -x "$bin" ] || [ ! -d examples ]; then
  echo "zolt is built; the example tree is not bundled yet."
  exit 0
fi
work="${TMPDIR:-/tmp}/zolt-example"
rm -rf "$work" && mkdir -p "$work" && cp -r examples/. "$work"/
if [ -t 0 ] && [ -t 1 ]; then
  exec "$bin" "$work"
fi
"$bin" build "$work"
"$bin" list "$work"
