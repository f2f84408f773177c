#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz preset: clang, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for FUZZ_SECONDS (default 60),
# starting from the seed corpus in fuzz/corpus/<target>. New inputs go to a
# scratch corpus under build/fuzz/run ($TOLLEX_BUILD_ROOT/fuzz/run), so the
# committed seeds stay as they are; a crash or a failed check stops the run
# with the input that caused it saved as build/fuzz/run/<target>/crash-*.
#
#   FUZZ_SECONDS=600 tools/ci/fuzz.sh              # longer
#   FUZZ_TARGETS="list_screen" tools/ci/fuzz.sh    # one target
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$root"

seconds=${FUZZ_SECONDS:-60}
targets=${FUZZ_TARGETS:-"regfile assoc_store list_screen"}
started=$(date +%s)

cmake --preset fuzz >/dev/null
# shellcheck disable=SC2046
cmake --build --preset fuzz -j "$jobs" --target $(for t in $targets; do printf 'fuzz_%s ' "$t"; done)
echo "fuzz: build $(( $(date +%s) - started )) s"

max_len() {
  case "$1" in
    regfile) echo 4096 ;;
    assoc_store) echo 8192 ;;
    *) echo 4096 ;;
  esac
}

# The targets' dictionaries of tokens.
dictionary() {
  case "$1" in
    regfile) echo "$root/fuzz/regfile.dict" ;;
  esac
}

status=0
summary=()
for t in $targets; do
  run=$fuzz_dir/run/$t
  mkdir -p "$run/corpus"
  extra=()
  dict=$(dictionary "$t")
  [ -z "$dict" ] || extra+=("-dict=$dict")
  log=$run/fuzz.log
  echo "fuzz: $t for $seconds s"
  set +e
  (cd "$run" && "$fuzz_dir/fuzz/fuzz_$t" -max_total_time="$seconds" -max_len="$(max_len "$t")" \
     -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 ${extra[@]+"${extra[@]}"} \
     corpus "$root/fuzz/corpus/$t") >"$log" 2>&1
  rc=$?
  set -e
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  cov=$(grep -Eo 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1)
  line="$t: ${execs:-?} executions (${rate:-?}/s), $cov, corpus $(ls "$run/corpus" | wc -l) new inputs"
  if [ $rc -ne 0 ]; then
    line="$line, FAILED (exit $rc)"
    status=1
    grep -E 'FUZZ CHECK FAILED|ERROR: |SUMMARY: |runtime error' "$log" | head -5
    ls "$run"/crash-* "$run"/leak-* "$run"/timeout-* "$run"/oom-* 2>/dev/null || true
    tail -30 "$log"
  fi
  summary+=("$line")
done

for line in "${summary[@]}"; do echo "fuzz: $line"; done
bad=$(printf '%s\n' "${summary[@]}" | grep -c FAILED || true)
echo "fuzz targets: $(( ${#summary[@]} - bad )) passed, $bad failed"
echo "fuzz: total $(( $(date +%s) - started )) s"
exit $status
