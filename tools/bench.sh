#!/usr/bin/env bash
# Builds and runs the benchmarks and prints their table: each figure beside
# its floor, the ratio, and the growth from one table size to the next.
#
#   tools/bench.sh [--native-only | --wine-only | --velk-only] [--repetitions N]
#
# Native: the Google Benchmark target (bench preset, Release), medians of N
# repetitions in random interleaving, CPU time. Wine: the plain timing
# harness built with mingw-x64 and run under 64-bit Wine against the real
# registry (key HKEY_CURRENT_USER\Software\TollexBench, removed afterwards),
# wall time, since the registry work is done in the Wine server's process.
# velk: bench/velk_scale.py times velk (bench preset, Release) from start to
# the plug-in's list and an apply on tables of 5,000 and 50,000 entries,
# beside Wine's `reg import` of the same files in the 64-bit prefix (left
# out, with a note, when the prefix is not ready). Not part of the test command. Results are kept in build/bench/ (under
# TOLLEX_BUILD_ROOT when that is set). docs/performance.md has the figures.
set -euo pipefail
source "$(dirname "$0")/ci/common.sh"
cd "$root"
results=$build_root/bench

native=1
wine=1
velk=1
repetitions=5
while [ $# -gt 0 ]; do
  case "$1" in
    --native-only) wine=0 velk=0 ;;
    --wine-only) native=0 velk=0 ;;
    --velk-only) native=0 wine=0 ;;
    --repetitions) repetitions=$2; shift ;;
    *) echo "usage: tools/bench.sh [--native-only | --wine-only | --velk-only] [--repetitions N]" >&2; exit 2 ;;
  esac
  shift
done

if [ "$native" = 1 ]; then
  cmake --preset bench >/dev/null
  cmake --build --preset bench -j "$jobs" --target tollex_bench tollex_bench_harness
  "$results/bench/tollex_bench" --benchmark_repetitions="$repetitions" \
    --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
    --benchmark_out="$results/native.json" --benchmark_out_format=json >"$results/native.txt"
  python3 - "$results/native.json" <<'EOF'
import json, sys

data = json.load(open(sys.argv[1]))
median = {}
for b in data["benchmarks"]:
    if b.get("aggregate_name") == "median":
        name, size = b["run_name"].split("/")
        median[(name, int(size))] = b["cpu_time"]  # microseconds
pairs = [
    ("BM_ListPass", "BM_ListPassFloor"),
    ("BM_LeanPass", "BM_ListPassFloor"),
    ("BM_WidthScan", None),
    ("BM_MenuLineAppends", None),
    ("BM_SortGroups", "BM_SortGroupsFloor"),
    ("BM_SortOneRun", "BM_SortOneRunFloor"),
    ("BM_Load", "BM_LoadFloor"),
    ("BM_Save", "BM_SaveFloor"),
    ("BM_SaveJournaled", "BM_SaveFloor"),
    ("BM_SaveJournaled", "BM_Save"),  # the journal's cost
]
print("native, CPU time, median of the repetitions (microseconds)")
print("%-20s %7s %12s %12s %8s %9s %9s" % ("figure", "entries", "time_us", "floor_us", "ratio", "growth", "floor_gr"))
for name, floor in pairs:
    sizes = sorted(s for (n, s) in median if n == name)
    previous = None
    for size in sizes:
        t = median[(name, size)]
        f = median.get((floor, size)) if floor else None
        ratio = "%8.2f" % (t / f) if f else "%8s" % "-"
        floor_text = "%12.1f" % f if f else "%12s" % "-"
        growth = floor_growth = "%9s" % "-"
        if previous:
            ps, pt, pf = previous
            growth = "%8.1fx" % (t / pt)
            if f and pf:
                floor_growth = "%8.1fx" % (f / pf)
        print("%-20s %7d %12.1f %s %s %s %s" % (name, size, t, floor_text, ratio, growth, floor_growth))
        previous = (size, t, f)
print("growth: time at this size / time at the size before (the sizes grow 10x)")
EOF
fi

if [ "$wine" = 1 ]; then
  cmake --preset bench-mingw-x64 >/dev/null
  cmake --build --preset bench-mingw-x64 -j "$jobs" --target tollex_bench_harness
  mkdir -p "$results"
  echo
  echo "64-bit Wine, real registry, wall time, median of 5 rounds (microseconds)"
  tools/wine-run 64 "$build_root/bench-mingw-x64/bench/tollex_bench_harness.exe" --rounds 5 --min-ms 300 --pass \
    | tee "$results/wine.txt"
fi

if [ "$velk" = 1 ]; then
  cmake --preset bench >/dev/null
  cmake --build --preset bench -j "$jobs" --target velk
  mkdir -p "$results"
  reference=(--wine-run "$wine_run")
  if [ ! -f "$wine_prefix/.tollex-ready" ]; then
    echo "bench: no Wine prefix at $wine_prefix (tools/wine-prepare.sh 64): velk without the reg import reference" >&2
    reference=()
  fi
  echo
  echo "velk (Release) from start to the list and an apply, wall time (CPU), median of $repetitions rounds"
  python3 bench/velk_scale.py --velk "$build_root/bench/velk/velk" --work "$results/velk" \
    --rounds "$repetitions" --json "$results/velk.json" "${reference[@]}" | tee "$results/velk.txt"
fi
