#!/usr/bin/env python3
"""report.py: turns the benchmark's measurements into results.md, results.csv and a gnuplot chart."""
import json
import os
import statistics
import sys

out, results = sys.argv[1], sys.argv[2]
files, nbytes, small_bytes, entries = (int(a) for a in sys.argv[3:7])
identical, runs = sys.argv[7], int(sys.argv[8])

ROWS = [  # name, label
    ("cat", "cat over the same files"),
    ("read_floor", "zolt's walk reading every source file (no scan)"),
    ("uctags", "universal-ctags -R"),
    ("ectags", "exuberant-ctags -R"),
    ("gtags", "gtags (full)"),
    ("gtags_i_none", "gtags -i, nothing changed"),
    ("gtags_i_one", "gtags -i, one file touched"),
    ("cscope", "cscope -b -k -R"),
    ("zolt_full", "zolt build, no index files"),
    ("zolt_none", "zolt build, nothing changed"),
    ("zolt_one", "zolt build, one file touched"),
    ("global_x", "global -x (one name)"),
    ("zolt_goto", "zolt goto (one name, parent's index)"),
]


def load(name):
    path = os.path.join(out, name + ".json")
    if not os.path.exists(path):
        return None
    times = json.load(open(path))["results"][0]["times"]
    return min(times), statistics.median(times), max(times)


def read_number(name):
    path = os.path.join(out, name)
    if not os.path.exists(path):
        return None
    text = open(path).read().strip()
    return int(float(text)) if text else None


def fmt(seconds):
    return f"{seconds * 1000:.1f} ms" if seconds < 1 else f"{seconds:.2f} s"


t = {name: load(name) for name, _ in ROWS}
med = {name: v[1] for name, v in t.items() if v is not None}
lines = [
    "# zolt benchmark",
    "",
    f"Linux 6.1 subset (kernel/ mm/ fs/ net/ lib/ include/): {files} C files and headers, "
    f"{nbytes / 1e6:.1f} MB; {entries} index entries. Warm cache, {runs} runs each (hyperfine).",
    "",
    "| command | min | median | max |",
    "|---|---:|---:|---:|",
]
for name, label in ROWS:
    if t[name] is not None:
        lines.append(f"| {label} | {fmt(t[name][0])} | {fmt(t[name][1])} | {fmt(t[name][2])} |")

targets = []


def target(text, value, limit, unit=""):
    if value is None or limit is None:
        targets.append((text, "not measured", ""))
        return
    ok = value <= limit
    targets.append((text, f"{value:.3g}{unit} (limit {limit:.3g}{unit})", "met" if ok else "NOT met"))


fastest_peer = min(med[n] for n in ("uctags", "ectags", "gtags", "cscope") if n in med)
target("full build / fastest peer's full build (<= 1/3)", med.get("zolt_full", 0) / fastest_peer, 1 / 3)
target("full build / cat (<= 3)", med.get("zolt_full", 0) / med["cat"], 3)
target("nothing changed / gtags -i nothing changed (<= 1)",
       med["zolt_none"] / med["gtags_i_none"] if "gtags_i_none" in med else None, 1)
target("one touched / gtags -i one touched (<= 1)",
       med["zolt_one"] / med["gtags_i_one"] if "gtags_i_one" in med else None, 1)
target("zolt goto wall time (< 20 ms)", med["zolt_goto"] * 1000 if "zolt_goto" in med else None, 20, " ms")
rss = read_number("zolt_full.rss")
budget = (2 * entries * 138 + 16 * 1024 * 1024) / 1024
target("peak memory of a full build (<= 2 x entries x 138 B + 16 MB)", rss / 1024 if rss else None,
       budget / 1024, " MB")
ir = read_number("zolt_ir.ir")
target("instructions per source byte, full build (<= 30)", ir / small_bytes if ir else None, 30)

lines += ["", "| target | measured | |", "|---|---|---|"]
lines += [f"| {a} | {b} | {c} |" for a, b, c in targets]
lines += ["", f"Index files byte-identical to the reference build on the whole subset: **{identical}**."]
counts = [(n, read_number(n + ".ir")) for n in ("zolt_ir", "gtags_ir", "ectags_ir", "uctags_ir")]
counts = [(n, c) for n, c in counts if c]
if counts:
    lines += ["", f"Instructions per source byte (callgrind, kernel/ only, {small_bytes / 1e6:.1f} MB):", ""]
    lines += ["| program | instructions | per byte |", "|---|---:|---:|"]
    for n, c in counts:
        lines.append(f"| {n[:-3]} | {c:,} | {c / small_bytes:.1f} |")

os.makedirs(results, exist_ok=True)
open(os.path.join(results, "results.md"), "w").write("\n".join(lines) + "\n")
with open(os.path.join(results, "results.csv"), "w") as f:
    for name, label in ROWS:
        if t[name] is not None:
            f.write(f"\"{label}\",{t[name][0]},{t[name][1]},{t[name][2]}\n")
open(os.path.join(results, "chart.gp"), "w").write(f"""set terminal pngcairo size 1000,560
set output '{os.path.join(results, "chart.png")}'
set datafile separator ','
set style data histograms
set style fill solid 0.8 border -1
set boxwidth 0.8
set ylabel 'median seconds (log scale)'
set logscale y
set xtics rotate by -35 scale 0 font ',9'
set title 'zolt and its peers on a Linux 6.1 subset ({nbytes / 1e6:.0f} MB), warm cache'
set key off
set rmargin 14
plot '{os.path.join(results, "results.csv")}' using 3:xtic(1) lc rgb '#3b75af'
""")
