#!/usr/bin/env bash
# Stage: the product, the 32-bit Tollex.dll (mingw-i686 preset: Release, no
# tests, configured as the release preset is), with the 32-bit velk.exe: the
# DLL check, then velk's scenarios through
# 32-bit Wine in one process (each 32-bit process spends about two minutes
# starting under qemu; the scenarios themselves then take seconds), each
# checked and compared byte for byte with its native run.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$root"
step "mingw-i686 configure" cmake --preset mingw-i686 >/dev/null
step "mingw-i686 build (Tollex.dll, velk.exe)" cmake --build --preset mingw-i686 -j "$jobs" --target Tollex velk velk_runtime
status=0
step "DLL check" python3 "$root/tools/ci/check_dll.py" "$i686_dir/src/Tollex.dll" || status=1
# The check must be able to fail: the 64-bit build (wine64 stage) is no
# product. (Its counting line stays out of the log: its failures are the point.)
if [ ! -f "$x64_dir/src/Tollex.dll" ]; then
  echo "DLL check: no 64-bit $x64_dir/src/Tollex.dll to reject (the wine64 stage builds it)"
  status=1
elif python3 "$root/tools/ci/check_dll.py" --quiet "$x64_dir/src/Tollex.dll" >/dev/null; then
  echo "DLL check: FAILED to reject the 64-bit $x64_dir/src/Tollex.dll"
  status=1
else
  echo "DLL check: the 64-bit build is rejected, as it must be"
fi

# Every scenario directory; run_batch.py orders them (a scenario whose
# script stops velk ends the process, so at most one of those runs, last).
scenarios=("$root"/velk/tests/scenarios/*/)
reference=()
if [ -x "$native_dir/velk/velk" ]; then
  reference=(--reference "$native_dir/velk/velk")
else
  echo "wine32: no native velk in $native_dir: the batch is checked but not compared with native runs"
  status=1
fi
keep_wineserver
step "the scenarios in one 32-bit velk process" \
  python3 "$root/velk/tests/run_batch.py" --velk "$i686_dir/velk/velk.exe" --emulator "$wine_run" --emulator 32 \
    "${reference[@]}" --work "$ci_work/batch32" "${scenarios[@]}" || status=1
exit $status
