#!/usr/bin/env bash
# bench/scale.sh: the whole Linux 6.1 tree (54,000 files, 1.2 GB): zolt build full, nothing
# changed and one file touched beside gtags -i, peak memory, Go to definition through the root's
# index; the DLL under Wine (32-bit where this kernel runs it) on the same tree. Writes
# bench/results/scale.md. Run by make bench with ZOLT_BENCH_SCALE=1 (it builds what this needs).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
work=${ZOLT_BENCH_DIR:-${XDG_CACHE_HOME:-/var/tmp}/zolt-bench}
results=$repo/bench/results
bin=$repo/build/release
full=$work/linux-full
out=$work/out-scale
runs=${ZOLT_BENCH_SCALE_RUNS:-3}
mkdir -p "$results" "$out"
say() { printf '\n== %s\n' "$*" >&2; }

if [ ! -f "$full/.complete" ]; then
  say "unpacking the whole kernel tree (about 1.4 GB)"
  rm -rf "$full" && mkdir -p "$full"
  tar -xf /usr/src/linux-source-6.1.tar.xz -C "$full" --strip-components=1
  touch "$full/.complete"
fi
touched=kernel/sched/core.c
clean() { rm -f "$full"/zoltpr* "$full"/zoltopt*; }
(cd "$full" && find . -name '*.[ch]' -print0 | xargs -0 cat >/dev/null)

# seconds and peak KB of one command in the tree
timed() { (cd "$full" && /usr/bin/time -f '%e %M' -o "$out/time.txt" "$@" >/dev/null 2>"$out/stderr.txt"); cat "$out/time.txt"; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

say "zolt build on the whole tree"
clean
read -r z_full z_full_rss < <(timed "$bin/zolt" build .)
left_out=$(grep -o '[0-9]* files* left out' "$out/stderr.txt" || echo "no file left out")
entries=$(grep -c '' "$full/zoltprj\$.Far")
z_none= z_one= z_rss=0
for i in $(seq "$runs"); do
  read -r t rss < <(timed "$bin/zolt" build .); z_none="$z_none $t"; [ "$rss" -gt "$z_rss" ] && z_rss=$rss
  touch "$full/$touched"
  read -r t rss < <(timed "$bin/zolt" build .); z_one="$z_one $t"; [ "$rss" -gt "$z_rss" ] && z_rss=$rss
done
z_none=$(echo $z_none | tr ' ' '\n' | median); z_one=$(echo $z_one | tr ' ' '\n' | median)

say "Go to definition through the root's index"
word=kfree
read -r line col < <(awk -v w="$word" '{ i = index($0, w "("); if (i) { print NR, i; exit } }' "$full/$touched")
landed=$(cd "$full" && "$bin/zolt" goto "$touched" "$line" "$col" --pick 1 2>&1 || true)

say "gtags on the whole tree"
mkdir -p "$out/gtags" && rm -f "$out"/gtags/G*
(cd "$full" && gtags "$out/gtags" 2>/dev/null)
g_none= g_one=
for i in $(seq "$runs"); do
  read -r t _ < <(timed gtags -i "$out/gtags"); g_none="$g_none $t"
  touch "$full/$touched"
  read -r t _ < <(timed gtags -i "$out/gtags"); g_one="$g_one $t"
done
g_none=$(echo $g_none | tr ' ' '\n' | median); g_one=$(echo $g_one | tr ' ' '\n' | median)

dll_rows=
if [ "${ZOLT_BENCH_WINE:-1}" != 0 ]; then
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    arch=i686 wine=/usr/lib/wine/wine wbin=$repo/build/mingw kind=win32 preset=mingw
  else
    arch=x86_64 wine=/usr/lib/wine/wine64 wbin=$repo/build/mingw64 kind=win64 preset=mingw64
  fi
  cmake --preset $preset >/dev/null && cmake --build --preset $preset -j2 >/dev/null
  cmake --build "$wbin" --target winbench -j2 >/dev/null
  export WINEPREFIX=$work/wine-$arch WINEARCH=$kind WINEDEBUG=-all
  w() { "$wine" "$wbin/winbench.exe" "$@" 2>&1 | tr '\n' ' '; }
  dll="Z:$(echo "$wbin/zolt.dll" | tr / '\\')" wtree="Z:$(echo "$full" | tr / '\\')"
  say "the DLL ($arch) under Wine on the whole tree"
  clean
  d_walk=$(w walkread "$wtree"); d_full=$(w build "$dll" "$wtree"); d_none=$(w build "$dll" "$wtree")
  touch "$full/$touched"; d_one=$(w build "$dll" "$wtree")
  d_goto=$(w goto "$dll" "$wtree\\$(echo $touched | tr / '\\')" "$line" "$col")
  ok() { case "$1" in *warning*|failed*) echo "NOT met" ;; *) echo met ;; esac; }
  dll_rows="| DLL ($arch) under Wine: walk reading every source | $d_walk | |
| DLL ($arch): full build without warning 7 | $d_full | $(ok "$d_full") |
| DLL ($arch): nothing changed without warning 7 | $d_none | $(ok "$d_none") |
| DLL ($arch): one touched without warning 7 | $d_one | $(ok "$d_one") |
| DLL ($arch): Go to definition of $word lands | $d_goto | $(case "$d_goto" in *landed\ at\ Z*) echo met ;; *) echo "NOT met" ;; esac) |"
fi
clean

met() { awk -v a="$1" -v b="$2" 'BEGIN { print (a <= b) ? "met" : "NOT met" }'; }
{
  echo "# The whole Linux 6.1 tree"
  echo
  echo "$(cd "$full" && find . -name '*.[ch]' | wc -l) C files and headers; $entries index entries; $left_out (relative path over 63 characters). Medians of $runs runs."
  echo
  echo "| command | seconds | peak memory |"
  echo "|---|---:|---:|"
  echo "| zolt build, no index files | $z_full | $((z_full_rss / 1024)) MB |"
  echo "| zolt build, nothing changed | $z_none | |"
  echo "| zolt build, one file touched | $z_one | (rebuilds) $((z_rss / 1024)) MB |"
  echo "| gtags -i, nothing changed | $g_none | |"
  echo "| gtags -i, one file touched | $g_one | |"
  echo
  echo "| target | measured | |"
  echo "|---|---|---|"
  echo "| nothing changed <= gtags -i nothing changed | $z_none s against $g_none s | $(met "$z_none" "$g_none") |"
  echo "| one touched <= gtags -i one touched | $z_one s against $g_one s | $(met "$z_one" "$g_one") |"
  # whole megabytes: the allocator's own bookkeeping moves the peak by some 100 KB from run to run
  echo "| peak memory of any rebuild <= the full build's (whole MB) | $z_rss KB against $z_full_rss KB | $(met $((z_rss / 1024)) $((z_full_rss / 1024))) |"
  echo "| zolt goto of $word from $touched lands through the root's index | $landed | $(case "$landed" in *:[0-9]*:[0-9]*) echo met ;; *) echo "NOT met" ;; esac) |"
  [ -n "$dll_rows" ] && echo "$dll_rows"
} > "$results/scale.md"
cat "$results/scale.md"
