#!/usr/bin/env bash
# Builds and runs the fuzz targets.
#   fuzz/run.sh build                       configure and build the "fuzz" preset (clang)
#   fuzz/run.sh run TARGET SECONDS [CORPUS] run one target; new inputs go to CORPUS (default: a
#                                           throw-away directory), the seeds stay untouched
#   fuzz/run.sh all SECONDS                 every target, keeping build/fuzz/corpus/TARGET,
#                                           and a summary in build/fuzz/report.txt
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bindir="$root/build/fuzz/fuzz"

targets() {
    for f in "$root"/fuzz/*.cpp; do
        n="$(basename "$f" .cpp)"
        [ "$n" = support ] || echo "$n"
    done
}

build() {
    cd "$root" || exit 1
    cmake --preset fuzz >/dev/null || { echo "fuzz: cannot configure the fuzz preset (clang++ and libclang-rt-14-dev needed)" >&2; exit 1; }
    nice -n 10 cmake --build --preset fuzz -j2 || { echo "fuzz: the fuzz targets do not build" >&2; exit 1; }
}

# run TARGET SECONDS CORPUS: prints one summary line; non-zero when the target found a fault.
run() {
    local t="$1" secs="$2" corpus="${3:-}" bin="$bindir/fuzz_$1" scratch=""
    if [ ! -x "$bin" ]; then
        echo "fuzz: $bin is not built (fuzz/run.sh build, or make test / make fuzz)" >&2
        return 1
    fi
    if [ -z "$corpus" ]; then
        scratch="$(mktemp -d /tmp/zolt-fuzz-corpus-XXXXXX)"
        corpus="$scratch"
    fi
    mkdir -p "$corpus" "$root/build/fuzz/artifacts"
    corpus="$(cd "$corpus" && pwd)" # the targets work in a scratch directory of their own
    local log
    log="$(mktemp /tmp/zolt-fuzz-log-XXXXXX)"
    nice -n 10 "$bin" -max_total_time="$secs" -print_final_stats=1 -timeout=25 -rss_limit_mb=2048 \
        -artifact_prefix="$root/build/fuzz/artifacts/$t-" "$corpus" "$root/fuzz/corpus/$t" >"$log" 2>&1
    local rc=$?
    local execs cov ft units
    execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
    cov="$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)"
    ft="$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)"
    units="$(grep -o 'corp: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)"
    if [ $rc -ne 0 ]; then
        tail -n 60 "$log" >&2
        echo "fuzz $t: FAILED after ${execs:-?} executions; the input is in build/fuzz/artifacts/$t-*" >&2
    else
        printf 'fuzz %-15s %4ss %10s executions  cov %5s  features %6s  corpus %5s\n' \
            "$t" "$secs" "${execs:-?}" "${cov:-?}" "${ft:-?}" "${units:-?}"
    fi
    rm -f "$log"
    [ -n "$scratch" ] && rm -rf "$scratch"
    return $rc
}

case "${1:-}" in
build) build ;;
run) run "$2" "$3" "${4:-}" ;;
all)
    secs="${2:-60}" failed=0 report="$root/build/fuzz/report.txt"
    : >"$report"
    for t in $(targets); do
        run "$t" "$secs" "$root/build/fuzz/corpus/$t" | tee -a "$report" || failed=1
    done
    [ $failed -eq 0 ] || { echo "fuzz: some targets failed (see above)" >&2; exit 1; }
    echo "summary in $report"
    ;;
*) sed -n '2,8p' "$0" >&2; exit 2 ;;
esac
