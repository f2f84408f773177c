#!/usr/bin/env python3
"""velk on large tables, beside Wine's own `reg import` of the same files.

For each size, in rounds that alternate the runs:
  load      velk starts and ends at once (an empty script): reading and
            importing the .reg file, nothing else
  list      velk opens the plug-in, which loads the table and shows its
            list; the script ends there, and velk stops at once (status 3):
            from start to the list
  apply     the list, one entry deleted, Esc and the change applied: the
            plug-in writes the table back, velk writes the file and ends
  reg       `reg import` of the same file into the 64-bit Wine prefix
            (HKEY_CURRENT_USER\\Software\\VELK, deleted afterwards), and
            `reg import` of an empty file, Wine's own start-up
The apply figure is apply - list of the same round (so it holds velk's
normal end as well). Times are wall clock
(velk's CPU time beside them); medians of the rounds.

    bench/velk_scale.py --velk build/bench/velk/velk --work DIR
                        [--wine-run tools/wine-run] [--sizes 5000,50000] [--rounds 5]

Run by tools/bench.sh; not part of the test command.
"""
import argparse
import json
import os
import resource
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "velk", "tests"))
from velk_scenarios.table import write_table  # noqa: E402

SCRIPTS = {"load": "", "list": "open\n", "apply": "open\nkey Del\nkey Enter\nkey Esc\nkey Enter\n"}
STATUS = {"load": 0, "list": 3, "apply": 0}  # the list run's script ends while the plug-in shows its list
GOALS = {("list", 5000): 0.1, ("list", 50000): 1.0, ("apply", 5000): 0.5}


def timed(cmd, must_pass=True, status=0):
    """Runs cmd, which must end with status unless not must_pass; (wall
    seconds, CPU seconds of the child)."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    proc = subprocess.run(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if must_pass and proc.returncode != status:
        sys.exit("failed (%d): %s\n%s" % (proc.returncode, " ".join(cmd), proc.stderr.decode(errors="replace")))
    return wall, (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def run_velk(args, kind, table, work):
    registry = os.path.join(work, "registry.reg")
    with open(table, "rb") as src, open(registry, "wb") as dst:
        dst.write(src.read())
    script = os.path.join(work, kind + ".script")
    return timed([args.velk, "--registry", registry, "--script", script], status=STATUS[kind])


def run_reg(args, table):
    wine_path = "Z:" + os.path.abspath(table).replace("/", "\\")
    result = timed([args.wine_run, "64", "reg", "import", wine_path])
    # An empty file imports no key: there is then nothing to delete.
    timed([args.wine_run, "64", "reg", "delete", "HKEY_CURRENT_USER\\Software\\VELK", "/f"], must_pass=False)
    return result


def measure(args, sizes, work):
    tables = {}
    for n in sizes:
        tables[n] = os.path.join(work, "table-%d.reg" % n)
        write_table(tables[n], n)
    empty = os.path.join(work, "empty.reg")
    with open(empty, "wb") as f:
        f.write(b"REGEDIT4\r\n\r\n")
    for kind, text in SCRIPTS.items():
        with open(os.path.join(work, kind + ".script"), "w") as f:
            f.write(text)
    samples = {}
    for r in range(args.rounds):
        for n in sizes:
            for kind in SCRIPTS:
                samples.setdefault((kind, n), []).append(run_velk(args, kind, tables[n], work))
            if args.wine_run:
                samples.setdefault(("reg", n), []).append(run_reg(args, tables[n]))
        if args.wine_run:
            samples.setdefault(("reg", 0), []).append(run_reg(args, empty))
        print("round %d of %d done" % (r + 1, args.rounds), file=sys.stderr)
    return samples


def report(samples, sizes, wine):
    med = {k: (statistics.median(w for w, _ in v), statistics.median(c for _, c in v)) for k, v in samples.items()}
    for n in sizes:
        lists, applies = samples[("list", n)], samples[("apply", n)]
        diffs = [a[0] - l[0] for a, l in zip(applies, lists)]
        cpu = [a[1] - l[1] for a, l in zip(applies, lists)]
        med[("apply only", n)] = (statistics.median(diffs), statistics.median(cpu))
    print("| Entries | velk load | velk start to list | velk apply (apply - list) | Wine reg import |"
          " reg import / velk start to list |")
    print("|---|---|---|---|---|---|")
    for n in sizes:
        cells = ["%s s (CPU %s)" % (fmt(med[(k, n)][0]), fmt(med[(k, n)][1])) for k in ("load", "list", "apply only")]
        reg = med.get(("reg", n))
        cells.append("%s s" % fmt(reg[0]) if reg else "-")
        cells.append("%.0f×" % (reg[0] / med[("list", n)][0]) if reg else "-")
        print("| {:,} | ".format(n) + " | ".join(cells) + " |")
    if wine:
        print("\nWine's start-up, `reg import` of an empty file: %s s" % fmt(med[("reg", 0)][0]))
    print()
    for (kind, n), goal in GOALS.items():
        key = ("apply only", n) if kind == "apply" else (kind, n)
        if key in med:
            got = med[key][0]
            print("goal: %s of %d <= %.1f s: %s s, %s" % (kind, n, goal, fmt(got), "met" if got <= goal else "MISSED"))
    return med


def fmt(seconds):
    return "%.3f" % seconds


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--velk", required=True)
    ap.add_argument("--work", required=True)
    ap.add_argument("--wine-run", help="tools/wine-run, for the reference; without it no Wine runs")
    ap.add_argument("--sizes", default="5000,50000")
    ap.add_argument("--rounds", type=int, default=5)
    ap.add_argument("--json", help="where to keep the medians")
    args = ap.parse_args()
    sizes = [int(s) for s in args.sizes.split(",")]
    os.makedirs(args.work, exist_ok=True)
    med = report(measure(args, sizes, args.work), sizes, bool(args.wine_run))
    if args.json:
        with open(args.json, "w") as f:
            json.dump({"%s/%d" % k: {"wall": v[0], "cpu": v[1]} for k, v in med.items()}, f, indent=1)


if __name__ == "__main__":
    main()
