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


def figure(text, value, unit=""):
    """A row without a target: what was measured."""
    targets.append((text, "not measured" if value is None else f"{value:.3g}{unit}", ""))


def ratio(a, b):
    return med[a] / med[b] if a in med and b in med else None


def runs_of(name):
    """Median of the seconds a Windows program printed, one run a line."""
    path = os.path.join(out, name + ".runs")
    if not os.path.exists(path):
        return None
    values = [float(v) for v in open(path).read().split() if v.replace(".", "", 1).isdigit()]
    return statistics.median(values) if values else None


def first_field(name):
    path = os.path.join(out, name)
    return open(path).read().split()[0] if os.path.exists(path) else None


peers = [med[n] for n in ("uctags", "ectags", "gtags", "cscope") if n in med]
fastest_peer = min(peers) if peers else None
target("Linux: full build / cat (<= 3)", ratio("zolt_full", "cat"), 3)
target("Linux: full build / fastest peer's full build (<= 1/3)",
       med["zolt_full"] / fastest_peer if fastest_peer and "zolt_full" in med else None, 1 / 3)
target("Linux: nothing changed / gtags -i nothing changed (<= 1/2)", ratio("zolt_none", "gtags_i_none"), 0.5)
target("Linux: one touched / gtags -i one touched (<= 1)", ratio("zolt_one", "gtags_i_one"), 1)
target("Linux: zolt goto / global -x, both without a shell (<= 1)", ratio("zolt_goto", "global_x"), 1)
rss = read_number("zolt_full.rss")
budget = (2 * entries * 140 + 16 * 1024 * 1024) / 1024
target("Linux: peak memory of a full build (<= 2 x entries x 140 B + 16 MB)", rss / 1024 if rss else None,
       budget / 1024, " MB")
ir = read_number("zolt_ir.ir")
target("Linux: instructions per source byte, full build (<= 30)", ir / small_bytes if ir else None, 30)

arch = first_field("wine_arch")
wine = {n: runs_of(n) for n in ("wine_walk", "wine_full", "wine_none", "wine_one", "wine_browse")}
tag = f"DLL ({arch}) under Wine" if arch else "DLL under Wine"
w = lambda a, b: wine[a] / wine[b] if wine[a] is not None and wine[b] else None
target(f"{tag}: full build / walk-and-read under the same Wine (<= 3)", w("wine_full", "wine_walk"), 3)
target(f"{tag}: one touched / full build (<= 1)", w("wine_one", "wine_full"), 1)
target(f"{tag}: nothing changed / walk-and-read (<= 1)", w("wine_none", "wine_walk"), 1)
# the 1.x host's own 1,000-item menu takes 0.21 s: with the DLL's time, the menu on the screen
browse_shown = wine["wine_browse"] + 0.21 if wine["wine_browse"] is not None else None
target(f"{tag}: Browse from the panels to the menu on the 1.x host's screen, the DLL's time "
       f"+ 0.21 s (<= 1 s)", browse_shown, 1, " s")


def realhost(kind):
    """The real current host's Browse on the subset (tests/wine/realhost_browse.sh): the menu's
    seconds and the slowest key's, or None where it did not run."""
    path = os.path.join(out, f"realhost-{kind}.txt")
    if not os.path.exists(path):
        return None, None
    menu, keys = None, []
    for line in open(path):
        words = line.split()
        if line.startswith("time:") and "the menu on the screen after" in line:
            menu = float(words[-2]) if words[-2] != "timeout" else 999.0
        elif line.startswith("time:") and "redraws the menu after" in line:
            keys.append(float(words[-2]) if words[-2] != "timeout" else 999.0)
    return menu, max(keys) if keys else None


for kind, name, menu_limit in (("x86_64", "3.0 x64 host", 2), ("i686-1x", "3.0 x86 host, 1.x DLL through its loader", None)):
    menu, key = realhost(kind)
    if menu is None:
        continue
    if menu_limit:
        target(f"{name}: Browse menu on the screen (<= {menu_limit} s)", menu, menu_limit, " s")
        target(f"{name}: the slowest typed key or Backspace (<= 0.5 s)", key, 0.5, " s")
    else:
        figure(f"{name}: Browse menu on the screen", menu, " s")
        figure(f"{name}: the slowest typed key or Backspace", key, " s")


def growth(name):
    path = os.path.join(out, name)
    if not os.path.exists(path):
        return None
    text = open(path).read().split()
    return (float(text[0]), int(text[4])) if len(text) >= 5 and text[0] != "failed" else None


for name, label in (("linux_growth.txt", "Linux"), ("wine_growth.txt", f"Wine ({arch})")):
    g = growth(name)
    targets.append((f"{label}: table growth to 1,000,000 entries is linear (enlargements <= 40)",
                    f"{g[0]:.3f} s, {g[1]} enlargements" if g else "not measured",
                    ("met" if g[1] <= 40 else "NOT met") if g else ""))
g100 = growth("wine_growth100.txt")
if g100:
    targets.append(("(for contrast) the old growth by 100 slots under Wine, 100,000 entries",
                    f"{g100[0]:.3f} s, {g100[1]} enlargements", ""))

lines += ["", "| command under Wine | median |", "|---|---:|"]
for n, label in (("wine_walk", "walk reading every source (FindFirstFileA, ReadFile)"),
                 ("wine_full", "zolt.dll build, no index files"), ("wine_none", "zolt.dll build, nothing changed"),
                 ("wine_one", "zolt.dll build, one file touched"), ("wine_browse", "zolt.dll Browse, to the menu call")):
    if wine[n] is not None:
        lines.append(f"| {label} | {fmt(wine[n])} |")
lines += ["", "| target | measured | |", "|---|---|---|"]
lines += [f"| {a} | {b} | {c} |" for a, b, c in targets]
lines += ["", f"Index files byte-identical to the reference build (ZOLT_PLAIN) on the whole subset: **{identical}**."]
dll_same = first_field("dll_same")
if dll_same:
    lines += [f"The DLL's project index equal to zolt build's (without the device-named files Windows cannot open, "
              f"and files whose names differ only in case, which Wine opens as one): **{dll_same}**."]
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
