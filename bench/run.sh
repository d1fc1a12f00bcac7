#!/usr/bin/env bash
# make bench: times zolt against its peers on a subset of the Linux sources and writes the table
# and a chart to bench/results/. Variables:
#   ZOLT_BENCH_DIR   where the sources are unpacked (default $XDG_CACHE_HOME/zolt-bench, else
#                    /var/tmp/zolt-bench); about 160 MB
#   ZOLT_BENCH_RUNS  timed runs per command (default 5; the table shows min/median/max)
#   ZOLT_BENCH_REFERENCE  commit whose build the index files must equal byte for byte
#                    (default: the last commit of the plain layered reader)
#   ZOLT_BENCH_PEER_COUNTS=0  skip the peers' instruction counts (they take a few minutes)
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
work=${ZOLT_BENCH_DIR:-${XDG_CACHE_HOME:-/var/tmp}/zolt-bench}
runs=${ZOLT_BENCH_RUNS:-5}
reference=${ZOLT_BENCH_REFERENCE:-2265379}
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
time_it global_x "cd '$tree' && GTAGSDBPATH='$out/gtags' GTAGSROOT='$tree' global -x $word >/dev/null"
if [ "$has_goto" = 1 ]; then
  time_it zolt_goto "cd '$tree' && '$bin/zolt' goto net/ipv4/tcp.c $line $col --pick 1 >/dev/null"
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

say "index files against the reference build ($reference)"
ref_src=$work/reference-$reference
if [ ! -x "$ref_src/build/bench/zoltbench" ]; then
  rm -rf "$ref_src" && mkdir -p "$ref_src"
  git -C "$repo" archive "$reference" | tar -x -C "$ref_src"
  cmake -S "$ref_src" -B "$ref_src/build" -DCMAKE_BUILD_TYPE=Release -DZOLT_TESTS=OFF >/dev/null
  cmake --build "$ref_src/build" -j2 --target zoltbench >/dev/null
fi
# both builds in the same tree, one after the other: same files, times and walk order
eval "$clean_zolt"
(cd "$tree" && "${build_cmd[@]}" . >/dev/null 2>&1)
mv "$tree/zoltprj\$.Far" "$out/zolt.prj"; mv "$tree/zoltpru\$.Far" "$out/zolt.pru"
(cd "$tree" && "$ref_src/build/bench/zoltbench" build . 2>/dev/null)
identical=yes
cmp -s "$out/zolt.prj" "$tree/zoltprj\$.Far" || identical=no
cmp -s "$out/zolt.pru" "$tree/zoltpru\$.Far" || identical=no
eval "$clean_zolt"

say "report"
python3 "$repo/bench/report.py" "$out" "$results" "$files" "$bytes" "$small_bytes" "$entries" "$identical" "$runs"
gnuplot "$results/chart.gp"
cat "$results/results.md"

# ZOLT_BENCH_SCALE=1: also the whole kernel tree and a million-entry tree (bench/scale.sh)
if [ "${ZOLT_BENCH_SCALE:-0}" = 1 ]; then "$repo/bench/scale.sh"; fi
