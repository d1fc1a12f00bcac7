#!/usr/bin/env bash
# The main job on the bundled example tree: interactive on a terminal, a build and a listing otherwise.
set -euo pipefail
bin="$1/zolt"
work="${TMPDIR:-/tmp}/zolt-example"
rm -rf "$work" && mkdir -p "$work" && cp -r examples/. "$work"/
if [ -t 0 ] && [ -t 1 ]; then
  exec "$bin" "$work"
fi
"$bin" build "$work"
"$bin" list "$work"
