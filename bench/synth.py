#!/usr/bin/env python3
"""synth.py DIR [ENTRIES]: a synthetic C tree with about ENTRIES definitions (default 1,000,000):
100 directories of 100 files, each file half #defines and half function definitions."""
import os
import sys

root = sys.argv[1]
entries = int(sys.argv[2]) if len(sys.argv) > 2 else 1_000_000
dirs, files_per_dir = 100, 100
per_file = max(2, entries // (dirs * files_per_dir))
words = ["alloc", "buf", "ctl", "dev", "evt", "fifo", "gpio", "hash", "irq", "job", "key", "lock",
         "map", "node", "obj", "page", "queue", "ring", "sock", "timer", "urb", "vma", "wq", "xfer"]
serial = 0
for d in range(dirs):
    path = os.path.join(root, f"mod{d:03d}")
    os.makedirs(path, exist_ok=True)
    for f in range(files_per_dir):
        lines = [f"/* module {d}, file {f}: generated for the zolt scale test */", ""]
        for i in range(per_file):
            serial += 1
            w = words[serial % len(words)]
            if i % 2 == 0:
                lines.append(f"#define {w.upper()}_{d}_{f}_{i} ({serial} << 2)")
            else:
                lines.append(f"int {w}_{d}_{f}_{i}(struct {w} *p, int n)\n{{\n"
                             f"\treturn p->v[n] + {serial};\n}}")
        with open(os.path.join(path, f"{words[f % len(words)]}{f}.c"), "w") as out:
            out.write("\n".join(lines) + "\n")
