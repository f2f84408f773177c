#!/usr/bin/env bash
# The native test suite under AddressSanitizer + UndefinedBehaviorSanitizer
# (asan preset: every ctest test, the velk scenarios included), then the
# native unit tests and the velk scenarios under valgrind's memcheck.
#
# What counts as a report: any sanitizer report (the asan build stops at the
# first one, UBSan included: -fno-sanitize-recover); any memcheck error
# (invalid reads and writes, use of uninitialised values, bad frees); and
# leaks that memcheck calls definite or indirect. Memory still reachable at
# exit, or possibly lost, is not counted. No suppressions are needed today;
# tools/ci/valgrind.supp is passed along for third-party noise, each entry
# with a comment saying what it hides.
#
#   SANITIZERS_PARTS="asan" tools/ci/sanitizers.sh         # one part only
#   (parts: asan, valgrind-unit, valgrind-velk; all three by default)
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$root"
started=$(date +%s)
parts=" ${SANITIZERS_PARTS:-asan valgrind-unit valgrind-velk} "
want() { [[ "$parts" == *" $1 "* ]]; }
valgrind_args=(--tool=memcheck --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite,indirect
               --show-leak-kinds=definite,indirect --track-origins=yes --suppressions="$root/tools/ci/valgrind.supp"
               --quiet)
logdir=$native_dir/valgrind

# The asan preset's build and its whole CTest suite.
asan_suite() {
  echo "sanitizers: asan build"
  cmake --preset asan >/dev/null
  cmake --build --preset asan -j "$jobs"
  # LeakSanitizer runs too (ASan's default on Linux); halt on every UBSan report.
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
  ctest --preset asan -j "$jobs"
  echo "sanitizers: asan + ubsan suite $(( $(date +%s) - started )) s"
}

# valgrind_unit NAME PROGRAM [ARG...]: a GoogleTest program under memcheck;
# stops the stage with its output and memcheck's reports when either finds a
# fault.
valgrind_unit() {
  echo "sanitizers: valgrind: $1"
  if ! valgrind "${valgrind_args[@]}" --log-file="$logdir/$1.%p.log" \
         "$2" --gtest_brief=1 "${@:3}" >"$logdir/$1.out" 2>&1; then
    tail -20 "$logdir/$1.out"
    cat "$logdir/$1".*.log
    echo "sanitizers: valgrind found errors in $1 (or a test failed)"
    exit 1
  fi
  tail -3 "$logdir/$1.out"
}

# The two fault sweeps run one editing session per failing registry call,
# some two thousand of the same code paths: under memcheck they would take
# twenty minutes of the stage. They run whole natively and under ASan and
# UBSan; memcheck sees those paths through the single apply and the
# journal's own cut sweeps.
valgrind_unit_tests() {
  valgrind_unit tollex_tests "$native_dir/tests/tollex_tests" \
    --gtest_filter=-FaultInjection.EveryFailingCallOfAnApplyEndsInTheNewOrTheLoadedTable:FaultInjection.ASecondFailureInTheRetryOrTheRestoreIsReportedToo
  valgrind_unit velk_tests "$native_dir/velk/velk_tests"
  local unit_passed
  unit_passed=$(cat "$logdir"/*_tests.out | sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\./\1/p' | awk '{n += $1} END {print n + 0}')
  echo "sanitizers: valgrind unit tests: $unit_passed passed, 0 failed"
  echo "sanitizers: valgrind unit tests $(( $(date +%s) - vstart )) s"
}

# Every velk scenario through a wrapper that puts velk under memcheck; an
# error makes velk exit with 99, which no scenario expects. False when a
# scenario failed or memcheck reported anything.
valgrind_scenarios() {
  local wrapper=$logdir/velk-memcheck passed=0 failed=0 dir name reports f
  cat >"$wrapper" <<WRAP
#!/usr/bin/env bash
exec valgrind ${valgrind_args[*]} --log-file=$logdir/velk.%p.log $native_dir/velk/velk "\$@"
WRAP
  chmod +x "$wrapper"
  for dir in velk/tests/scenarios/*/; do
    name=$(basename "$dir")
    if python3 velk/tests/run_scenario.py --velk "$wrapper" --work "$logdir/scenarios/$name" "$dir" \
         >"$logdir/scenario.$name.out" 2>&1; then
      passed=$((passed + 1))
    else
      failed=$((failed + 1))
      echo "sanitizers: valgrind: scenario $name failed"
      tail -10 "$logdir/scenario.$name.out"
    fi
  done
  # With --quiet memcheck writes only what it reports: any non-empty log is one.
  reports=$(find "$logdir" -maxdepth 1 -name 'velk.*.log' -size +0 | sort)
  if [ -n "$reports" ]; then
    for f in $reports; do cat "$f"; done
    echo "sanitizers: valgrind reported errors in $(echo "$reports" | wc -l) velk runs"
    failed=$((failed + 1))
  fi
  echo "sanitizers: valgrind scenarios: $passed passed, $failed failed"
  echo "sanitizers: valgrind $(( $(date +%s) - vstart )) s, total $(( $(date +%s) - started )) s"
  [ "$failed" -eq 0 ]
}

if want asan; then asan_suite; fi
if ! want valgrind-unit && ! want valgrind-velk; then exit 0; fi
vstart=$(date +%s)
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
rm -rf "$logdir"
mkdir -p "$logdir"
if want valgrind-unit; then valgrind_unit_tests; fi
if want valgrind-velk; then valgrind_scenarios; fi
