#!/usr/bin/env bash
# Stage: the 64-bit Windows build (mingw-x64) under 64-bit Wine: the unit
# tests and velk's scenarios (its CTest suite), then the differential check
# of native and Wine runs. Needs the native build (native.sh) for the latter.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$root"
keep_wineserver
step "mingw-x64 configure" cmake --preset mingw-x64 >/dev/null
step "mingw-x64 build" cmake --build --preset mingw-x64 -j "$jobs"
status=0
step "unit tests and scenarios under wine64" ctest --preset mingw-x64 -j "$jobs" || status=1
if [ ! -x "$native_dir/velk/velk" ]; then
  echo "differential: no native velk in $native_dir (run tools/ci/native.sh first)"
  exit 1
fi
step "differential check, native against wine64" \
  python3 "$root/tools/ci/differential.py" --native "$native_dir/velk/velk" --windows "$x64_dir/velk/velk.exe" \
    --emulator "$wine_run" --emulator 64 --work "$ci_work/differential" || status=1
exit $status
