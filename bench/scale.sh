#!/usr/bin/env bash
# bench/scale.sh: how a build's cost grows: the whole kernel tree, a synthetic tree of a million
# entries, and the table's growth by 100 slots with realloc and with a copying allocator.
# Writes bench/results/scale.md. Needs the release build and the packages of make bench.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
work=${ZOLT_BENCH_DIR:-${XDG_CACHE_HOME:-/var/tmp}/zolt-bench}
results=$repo/bench/results
bin=$repo/build/release/bench
full=$work/linux-full
synth=$work/synth1m
mkdir -p "$results"
say() { printf '\n== %s\n' "$*" >&2; }

if [ ! -f "$full/.complete" ]; then
  say "unpacking the whole kernel tree (about 1.4 GB)"
  rm -rf "$full" && mkdir -p "$full"
  tar -xf /usr/src/linux-source-6.1.tar.xz -C "$full" --strip-components=1
  touch "$full/.complete"
fi
if [ ! -f "$synth/.complete" ]; then
  say "generating the synthetic tree"
  rm -rf "$synth" && python3 "$repo/bench/synth.py" "$synth" 1000000 && touch "$synth/.complete"
fi

# one build of the tree: "seconds peak-KB"
timed() {
  /usr/bin/time -f '%e %M' -o "$work/time.txt" "$bin/zoltbench" build "$1" 2>/dev/null
  cat "$work/time.txt"
}

# name, tree: full build, nothing changed, one touched; wall seconds, peak KB, entries, enlargements
measure() {
  local name=$1 tree=$2 first
  first=$(cd "$tree" && find . -name '*.c' -print -quit)
  (cd "$tree" && find . \( -name '*.[ch]' -o -name '*.cpp' -o -name '*.hpp' \) -print0 | xargs -0 cat >/dev/null)
  rm -f "$tree"/zoltpr*
  local t0 t1 t2 rss files bytes entries grows big
  t0=$(timed "$tree")
  entries=$(grep -c '' "$tree/zoltprj\$.Far")
  t1=$(timed "$tree")
  touch "$tree/$first"
  t2=$(timed "$tree")
  rm -f "$tree"/zoltpr*
  grows=$(strace -f -c -e trace=mremap "$bin/zoltbench" build "$tree" 2>&1 >/dev/null | awk '$NF == "mremap" { print $4 }')
  rm -f "$tree"/zoltpr*
  files=$(cd "$tree" && find . \( -name '*.[ch]' -o -name '*.cpp' -o -name '*.hpp' \) | wc -l)
  bytes=$(cd "$tree" && find . \( -name '*.[ch]' -o -name '*.cpp' -o -name '*.hpp' \) -print0 | xargs -0 cat | wc -c)
  big=$(cd "$tree" && find . -name '*.[ch]' -print0 | xargs -0 wc -l | awk '$2 != "total" && $1 > 65535' | wc -l)
  printf '| %s | %s | %.0f MB | %s | %s | %s s | %s s | %s s | %.0f MB | %.0f MB | %s |\n' "$name" "$files" \
    "$(echo "$bytes / 1000000" | bc -l)" "$big" "$entries" "${t0% *}" "${t1% *}" "${t2% *}" \
    "$(echo "${t0#* } / 1024" | bc -l)" "$(echo "(2 * $entries * 138 + 16777216) / 1048576" | bc -l)" "${grows:-0}"
}

say "building on the whole kernel tree and the synthetic tree"
{
  echo "| tree | files | bytes | files over 65,535 lines | entries | full build | nothing changed | one touched | peak RSS | memory budget | mremap calls (full build) |"
  echo "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
  measure "Linux 6.1, whole tree" "$full"
  measure "synthetic, 10,000 files" "$synth"
} > "$work/scale-trees.md"

say "growing the table by 100 slots"
{
  echo "| entries | realloc (glibc) | copy on every enlargement | bytes copied |"
  echo "|---:|---:|---:|---:|"
  for n in 50000 100000 200000 250000; do
    "$bin/tablegrowth" "$n" | paste - - | awk '{ printf "| %d | %.3f s | %.2f s | %.1f GB |\n", $2, $3, $7, $8 }'
  done
  "$bin/tablegrowth" 1000000 realloc | awk '{ printf "| %d | %.3f s | (not run) | %.0f GB |\n", $2, $3, 138 * 100 * 1e4 * (1e4 - 1) / 2 / 1e9 }'
} > "$work/scale-growth.md"

{
  echo "# How a zolt build scales"
  echo
  cat "$work/scale-trees.md"
  echo
  cat "$work/scale-growth.md"
} > "$results/scale.md"
cat "$results/scale.md"
