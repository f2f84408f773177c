# Shared settings of the pipeline's stages (sourced, not run).
#   TOLLEX_BUILD_ROOT  where the build directories go (default: build/)
#   TOLLEX_JOBS        parallel build and test jobs (default: 2)
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build_root=${TOLLEX_BUILD_ROOT:-$root/build}
case "$build_root" in /*) ;; *) build_root=$root/$build_root ;; esac
jobs=${TOLLEX_JOBS:-2}
native_dir=$build_root/native
x64_dir=$build_root/mingw-x64
i686_dir=$build_root/mingw-i686
ci_work=$build_root/ci
wine_run=$root/tools/wine-run
export PYTHONDONTWRITEBYTECODE=1

# step NAME COMMAND...: runs one step of a stage and prints its seconds.
step() {
  local name=$1 start=$SECONDS rc=0
  shift
  echo "--- $name"
  "$@" || rc=$?
  echo "--- $name: $((SECONDS - start)) s$([ $rc -eq 0 ] || echo ", FAILED (status $rc)")"
  return $rc
}

# Keeps the Wine server of the prefix running between the many short
# processes of a stage (it would stop 3 s after each one); it goes away by
# itself a while after the last one. 32-bit programs run in the same prefix.
keep_wineserver() {
  WINEPREFIX=${TOLLEX_WINEPREFIX64:-$root/build/wineprefix-64} /usr/lib/wine/wineserver -p60 >/dev/null 2>&1 || true
}
