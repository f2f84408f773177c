#!/usr/bin/env bash
# Runs every test of the project on a fresh machine, stage by stage, each a
# script in tools/ci/ (each can also be run on its own, in this order):
#   deps         the packages (tools/install-deps.sh)
#   native       native build and its CTest suite
#   sanitizers   ASan/UBSan and valgrind runs
#   fuzz         the fuzz targets for a while
#   soak         a long random velk run against a model
#   wine-fresh   Wine from a new machine's state: removes the qemu-i386 entry
#                of binfmt_misc and deletes the prefix under the build folder,
#                then makes both again with tools/wine-prepare.sh
#                (TOLLEX_KEEP_WINE=1 keeps them)
#   wine64       mingw-x64 build: unit tests and velk scenarios under 64-bit
#                Wine; the differential check of native and Wine runs
#   wine32       the product, 32-bit Tollex.dll and velk.exe (mingw-i686):
#                the DLL check, the velk scenarios in one 32-bit Wine process
#   reg-interop  a velk export through Wine's reg.exe and back
#   release      dist/Tollex-VERSION.zip, checked: size, version resource,
#                a second build of the commit identical
# A failing stage does not stop the later ones (except deps); the summary at
# the end gives each stage's seconds, result and counts, and the status is
# non-zero when any stage failed. Needs root (apt, binfmt_misc). Each
# stage's own steps and variables: docs/pipeline.md.
#   TOLLEX_JOBS=N (default 2), TOLLEX_BUILD_ROOT=DIR (default build/),
#   TOLLEX_KEEP_WINE=1
set -uo pipefail
cd "$(dirname "$0")/.."
source tools/ci/common.sh
logs=$ci_work/logs
mkdir -p "$logs"

stages=(deps native sanitizers fuzz soak wine-fresh wine64 wine32 reg-interop release)

summary=()
failed=0
total_start=$SECONDS
for stage in "${stages[@]}"; do
  echo
  echo "=== stage $stage"
  start=$SECONDS
  "tools/ci/$stage.sh" < /dev/null 2>&1 | tee "$logs/$stage.log"
  rc=${PIPESTATUS[0]}
  seconds=$((SECONDS - start))
  result=$([ "$rc" -eq 0 ] && echo ok || echo "FAILED (status $rc)")
  echo "=== stage $stage: $result in $seconds s"
  [ "$rc" -eq 0 ] || failed=$((failed + 1))
  # The counting lines of the stage: ctest's own, and the "N passed, M
  # failed" / "N identical, M differ" lines of the Wine stages' checks.
  counts=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+|[0-9]+ passed, [0-9]+ failed|[0-9]+ identical, [0-9]+ differ|^release: ' \
             "$logs/$stage.log" | sed 's/^/      /')
  summary+=("$(printf '  %-12s %6d s  %s' "$stage" "$seconds" "$result")${counts:+$'\n'$counts}")
  if [ "$stage" = deps ] && [ "$rc" -ne 0 ]; then
    echo "the packages could not be installed; nothing else can run"
    break
  fi
done

echo
echo "=== summary (logs in $logs)"
printf '%s\n' "${summary[@]}"
echo "  total        $((SECONDS - total_start)) s; $failed of ${#summary[@]} stages failed"
[ "$failed" -eq 0 ]
