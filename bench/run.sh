#!/usr/bin/env bash
# make bench: times zolt against its peers on a subset of the Linux sources and writes the table
# and a chart to bench/results/. Variables:
#   ZOLT_BENCH_DIR   where the sources are unpacked (default $XDG_CACHE_HOME/zolt-bench, else
#                    /var/tmp/zolt-bench); about 160 MB
#   ZOLT_BENCH_RUNS  timed runs per command (default 5; the table shows min/median/max)
#   ZOLT_BENCH_SCALE=1  also the whole kernel tree (about 1.4 GB unpacked; bench/scale.sh)
#   ZOLT_BENCH_WINE=0   skip the DLL under Wine
#   The index files must equal, byte for byte, those of the reference build: the same sources
#   built with -DZOLT_PLAIN=ON (the straightforward road everywhere), in build/plain.
#   ZOLT_BENCH_PEER_COUNTS=0  skip the peers' instruction counts (they take a few minutes)
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
work=${ZOLT_BENCH_DIR:-${XDG_CACHE_HOME:-/var/tmp}/zolt-bench}
runs=${ZOLT_BENCH_RUNS:-5}
results=$repo/bench/results
tree=$work/linux-subset
small=$work/kernel-small
out=$work/out
mkdir -p "$work" "$results" "$out"

say() { printf '\n== %s\n' "$*" >&2; }

say "packages"
"$repo/scripts/ensure-deps.sh" bench

say "building zolt (release)"
cmake --preset release >/dev/null
cmake --build --preset release -j2 >/dev/null
bin=$repo/build/release
zoltbench=$bin/bench/zoltbench
# `zolt build` when the program has it, else the bench driver (the same build command)
if [ -x "$bin/zolt" ] && "$bin/zolt" build --help >/dev/null 2>&1; then
  build_cmd=("$bin/zolt" build)
else
  build_cmd=("$zoltbench" build)
fi
say "building the reference (ZOLT_PLAIN) and the Windows programs"
cmake -S "$repo" -B "$repo/build/plain" -DCMAKE_BUILD_TYPE=Release -DZOLT_TESTS=OFF -DZOLT_PLAIN=ON >/dev/null
cmake --build "$repo/build/plain" -j2 >/dev/null
wine_arch=
if [ "${ZOLT_BENCH_WINE:-1}" != 0 ]; then
  "$repo/scripts/ensure-deps.sh" test
  # the shipped 32-bit DLL where this kernel runs i386 code, else the 64-bit build of it
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    wine_arch=i686 wine=/usr/lib/wine/wine wine_bin=$repo/build/mingw wine_kind=win32
  else
    wine_arch=x86_64 wine=/usr/lib/wine/wine64 wine_bin=$repo/build/mingw64 wine_kind=win64
    echo "NOTE: this kernel does not run 32-bit code; the 64-bit DLL stands in under Wine" >&2
  fi
  preset=$([ "$wine_arch" = i686 ] && echo mingw || echo mingw64)
  cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j2 >/dev/null
  cmake --build "$wine_bin" --target winbench -j2 >/dev/null
  export WINEPREFIX=$work/wine-$wine_arch WINEARCH=$wine_kind WINEDEBUG=-all
fi
has_goto=0
if [ -x "$bin/zolt" ] && "$bin/zolt" goto --help >/dev/null 2>&1; then has_goto=1; fi

say "sources: $tree"
src_tar=/usr/src/linux-source-6.1.tar.xz
if [ ! -f "$tree/.complete" ]; then
  rm -rf "$tree" && mkdir -p "$tree"
  tar -xf "$src_tar" -C "$tree" --strip-components=1 \
    --wildcards 'linux-source-6.1/kernel/*' 'linux-source-6.1/mm/*' 'linux-source-6.1/fs/*' \
    'linux-source-6.1/net/*' 'linux-source-6.1/lib/*' 'linux-source-6.1/include/*'
  touch "$tree/.complete"
fi
if [ ! -f "$small/.complete" ]; then
  rm -rf "$small" && mkdir -p "$small" && cp -r "$tree/kernel" "$small/" && touch "$small/.complete"
fi
(cd "$tree" && find . -name '*.[ch]' -print0) > "$out/files0"
files=$(tr -cd '\0' < "$out/files0" | wc -c)
bytes=$(cd "$tree" && xargs -0 cat < "$out/files0" | wc -c)
small_bytes=$(cd "$small" && find . -name '*.[ch]' -print0 | xargs -0 cat | wc -c)
touched=kernel/sched/core.c

say "warming the cache"
(cd "$tree" && xargs -0 cat < "$out/files0" >/dev/null)

clean_zolt="rm -f '$tree'/zoltprj\$.Far '$tree'/zoltpru\$.Far"
zolt_build="cd '$tree' && ${build_cmd[*]} ."

time_it() { # name, hyperfine arguments...
  local name=$1; shift
  say "timing: $name"
  hyperfine --style basic --runs "$runs" --warmup 1 --export-json "$out/$name.json" "$@" >&2
}

time_it cat "cd '$tree' && xargs -0 cat < '$out/files0' >/dev/null"
time_it read_floor "'$zoltbench' read '$tree'"
time_it uctags --prepare "rm -f '$out/tags.u'" "cd '$tree' && ctags-universal -R -f '$out/tags.u' ."
time_it ectags --prepare "rm -f '$out/tags.e'" "cd '$tree' && ctags-exuberant -R -f '$out/tags.e' ."
mkdir -p "$out/gtags"
time_it gtags --prepare "rm -f '$out'/gtags/G*" "cd '$tree' && gtags '$out/gtags'"
time_it gtags_i_none "cd '$tree' && gtags -i '$out/gtags'"
time_it gtags_i_one --prepare "touch '$tree/$touched'" "cd '$tree' && gtags -i '$out/gtags'"
time_it cscope --prepare "rm -f '$out'/cscope.out*" "cd '$tree' && cscope -b -k -R -f '$out/cscope.out'"
time_it zolt_full --prepare "$clean_zolt" "$zolt_build"
time_it zolt_none "$zolt_build"
time_it zolt_one --prepare "touch '$tree/$touched'" "$zolt_build"

# lookup of a word used in net/ipv4/tcp.c and defined elsewhere, through the root's index
word=kfree
read -r line col < <(awk -v w="$word" '{ i = index($0, w "("); if (i) { print NR, i; exit } }' "$tree/net/ipv4/tcp.c")
# both without a shell (hyperfine -N): a command of a few milliseconds drowns in a shell's start
export GTAGSDBPATH=$out/gtags GTAGSROOT=$tree
(cd "$tree" && time_it global_x -N "global -x $word")
if [ "$has_goto" = 1 ]; then
  (cd "$tree" && time_it zolt_goto -N "$bin/zolt goto net/ipv4/tcp.c $line $col --pick 1")
fi
unset GTAGSDBPATH GTAGSROOT

# The DLL under Wine through a bare host (bench/winbench.cpp), beside a walk reading the same
# files under the same Wine; each run's own clock, so Wine's start is not counted.
win_path() { echo "Z:$1" | tr / '\\'; }
wine_runs() { # name, prepare command, winbench arguments...
  local name=$1 prepare=$2 i; shift 2
  say "under Wine ($wine_arch): $name"
  : > "$out/$name.runs"
  for i in $(seq 0 "$runs"); do # the first run warms up
    eval "$prepare"
    "$wine" "$wine_bin/winbench.exe" "$@" 2>>"$out/$name.err" | awk '{ print $1 }' > "$out/run.txt"
    [ "$i" = 0 ] || cat "$out/run.txt" >> "$out/$name.runs"
  done
}
if [ -n "$wine_arch" ]; then
  echo "$wine_arch" > "$out/wine_arch"
  dll=$(win_path "$wine_bin/zolt.dll") wtree=$(win_path "$tree")
  wine_runs wine_walk : walkread "$wtree"
  wine_runs wine_full "$clean_zolt" build "$dll" "$wtree"
  wine_runs wine_none : build "$dll" "$wtree"
  wine_runs wine_one "touch '$tree/$touched'" build "$dll" "$wtree"
  wine_runs wine_browse : browse "$dll" "$wtree"
  cp "$tree/zoltprj\$.Far" "$out/dll.prj"
  "$wine" "$wine_bin/winbench.exe" growth 1000000 > "$out/wine_growth.txt" 2>&1
  "$wine" "$wine_bin/winbench.exe" growth 100000 by100 > "$out/wine_growth100.txt" 2>&1
fi
"$bin/bench/tablegrowth" 1000000 > "$out/linux_growth.txt"

# Browse in the real current host on the subset's index (tests/wine/realhost_browse.sh), where
# the host (../shared/realhost3, a test fixture) and Wine are there
if [ "${ZOLT_BENCH_WINE:-1}" != 0 ] && [ -x "$repo/../shared/realhost3/run.sh" ]; then
  say "Browse in the real current host"
  cmake --preset mingw64 >/dev/null && cmake --build --preset mingw64 -j2 >/dev/null
  cmake --preset mingw >/dev/null && cmake --build --preset mingw -j2 >/dev/null
  (cd "$tree" && "${build_cmd[@]}" . >/dev/null 2>&1)
  for kind in x86_64 i686-1x; do
    bash "$repo/tests/wine/realhost_browse.sh" "$bin/zolt" "$repo" "$kind" "$tree" \
      > "$out/realhost-$kind.txt" 2>&1 || true
  done
fi

say "peak memory of a full build"
eval "$clean_zolt"
(cd "$tree" && /usr/bin/time -f '%M' -o "$out/zolt_full.rss" "${build_cmd[@]}" . 2>/dev/null >/dev/null)
entries=$(grep -c '' "$tree/zoltprj\$.Far")

say "instruction counts on $small ($small_bytes bytes)"
count_ir() { # name, program and arguments (run in $small)
  (cd "$small" && valgrind --tool=callgrind --callgrind-out-file=/dev/null "${@:2}" 2>&1 >/dev/null |
    awk '/refs:/ { gsub(",", "", $NF); n += $NF } END { printf "%.0f\n", n }') > "$out/$1.ir"
}
rm -f "$small"/zoltpr*
count_ir zolt_ir "${build_cmd[@]}" .
rm -f "$small"/zoltpr*
if [ "${ZOLT_BENCH_PEER_COUNTS:-1}" != 0 ]; then
  count_ir uctags_ir ctags-universal -R -f /dev/null .
  count_ir ectags_ir ctags-exuberant -R -f /dev/null .
  mkdir -p "$out/gsmall" && rm -f "$out"/gsmall/G*
  count_ir gtags_ir gtags "$out/gsmall"
fi

say "index files against the reference build (ZOLT_PLAIN)"
# both builds in the same tree, one after the other: same files, times and walk order
eval "$clean_zolt"
(cd "$tree" && "${build_cmd[@]}" . >/dev/null 2>&1)
mv "$tree/zoltprj\$.Far" "$out/zolt.prj"; mv "$tree/zoltpru\$.Far" "$out/zolt.pru"
eval "$clean_zolt"
(cd "$tree" && "$repo/build/plain/zolt" build . >/dev/null 2>&1)
identical=yes
cmp -s "$out/zolt.prj" "$tree/zoltprj\$.Far" || identical=no
cmp -s "$out/zolt.pru" "$tree/zoltpru\$.Far" || identical=no
# the DLL leaves out the files Windows cannot open (device names such as aux.h), and where two
# names differ only in case (xt_RATEEST.c, xt_rateest.c) Wine opens one of them for both: both
# sides drop those files
comparable() {
  awk -F'?' 'NR == FNR { if (!seen[$2]++) paths[tolower($2)]++; next }
             { n = split($2, part, "\\"); base = tolower(part[n]); sub(/\..*/, "", base)
               if (base !~ /^(aux|con|nul|prn|com[1-9]|lpt[1-9])$/ && paths[tolower($2)] < 2) print }' "$1" "$1"
}
dll_same=
if [ -f "$out/dll.prj" ]; then
  dll_same=yes
  comparable "$out/zolt.prj" > "$out/zolt-cmp.prj"
  comparable "$out/dll.prj" > "$out/dll-cmp.prj"
  cmp -s "$out/zolt-cmp.prj" "$out/dll-cmp.prj" || dll_same=no
fi
echo "$dll_same" > "$out/dll_same"
# zolt lsp on the subset's index, beside readtags and global -x for the same names
rm -f "$results/lsp.md"
"${build_cmd[@]}" "$tree" >/dev/null
python3 "$repo/bench/lsp.py" "$bin/zolt" "$tree" "the subset" "$results/lsp.md" \
  --tags "$out/tags.u" --gtags "$out/gtags" >/dev/null
eval "$clean_zolt"

say "report"
python3 "$repo/bench/report.py" "$out" "$results" "$files" "$bytes" "$small_bytes" "$entries" "$identical" "$runs"
gnuplot "$results/chart.gp"
cat "$results/results.md" "$results/lsp.md"

# ZOLT_BENCH_SCALE=1: also the whole kernel tree and a million-entry tree (bench/scale.sh)
if [ "${ZOLT_BENCH_SCALE:-0}" = 1 ]; then "$repo/bench/scale.sh"; fi
