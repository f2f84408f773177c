#!/usr/bin/env bash
# Soak: 10,000 random edits, inserts, deletions, marks, moves, sorts, filters
# and applies on a table of 2,000 entries in one velk run, the saved registry
# checked against an independent model of the list (tools/ci/soak.py).
#
#   SOAK_SEED=7 SOAK_OPS=50000 tools/ci/soak.sh     # another seed, longer
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$root"
started=$(date +%s)
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs" --target velk Tollex velk_runtime
python3 tools/ci/soak.py --velk "$native_dir/velk/velk" --work "$native_dir/soak" \
  --seed "${SOAK_SEED:-20261208}" --entries "${SOAK_ENTRIES:-2000}" --ops "${SOAK_OPS:-10000}"
echo "soak: total $(( $(date +%s) - started )) s"
