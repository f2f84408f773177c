#!/usr/bin/env bash
# Stage: the product, the 32-bit Tollex.dll (mingw-i686, Release), with the
# 32-bit velk.exe: the DLL check, then a batch of velk's scenarios through
# 32-bit Wine in one process (each 32-bit process spends about two minutes
# starting under qemu; the scenarios themselves then take seconds), each
# checked and compared byte for byte with its native run.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$root"
step "mingw-i686 configure" cmake --preset mingw-i686 -B "$i686_dir" -DTOLLEX_TESTS=OFF >/dev/null
step "mingw-i686 build (Tollex.dll, velk.exe)" cmake --build "$i686_dir" -j "$jobs" --target Tollex velk velk_runtime
status=0
step "DLL check" python3 "$root/tools/ci/check_dll.py" "$i686_dir/src/Tollex.dll" || status=1
if [ -f "$x64_dir/src/Tollex.dll" ]; then
  # The check must be able to fail: the 64-bit build is no product.
  # (Its counting line stays out of the log: its failures are the point.)
  if python3 "$root/tools/ci/check_dll.py" --quiet "$x64_dir/src/Tollex.dll" >/dev/null; then
    echo "DLL check: FAILED to reject the 64-bit $x64_dir/src/Tollex.dll"
    status=1
  else
    echo "DLL check: the 64-bit build is rejected, as it must be"
  fi
fi

# Every scenario that runs to its end, then one whose script stops velk
# (which ends the process, so it goes last).
scenarios=()
for d in "$root"/velk/tests/scenarios/*/; do
  name=$(basename "$d")
  case "$name" in misplaced_text|script_ends_in_menu|script_ends_in_dialog) continue ;; esac
  [ -f "$d/script" ] && scenarios+=("${d%/}")
done
[ -f "$root/velk/tests/scenarios/script_ends_in_dialog/script" ] &&
  scenarios+=("$root/velk/tests/scenarios/script_ends_in_dialog")
for required in edit insert group_sort delete_marked version_refused_1281 save_fails_then_discard; do
  [ -f "$root/velk/tests/scenarios/$required/script" ] || { echo "wine32: the scenario $required is missing"; status=1; }
done
reference=()
if [ -x "$native_dir/velk/velk" ]; then
  reference=(--reference "$native_dir/velk/velk")
else
  echo "wine32: no native velk in $native_dir: the batch is checked but not compared with native runs"
  status=1
fi
keep_wineserver
step "${#scenarios[@]} scenarios in one 32-bit velk process" \
  python3 "$root/velk/tests/run_batch.py" --velk "$i686_dir/velk/velk.exe" --emulator "$wine_run" --emulator 32 \
    "${reference[@]}" --work "$ci_work/batch32" "${scenarios[@]}" || status=1
exit $status
