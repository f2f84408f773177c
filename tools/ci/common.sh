# Shared settings of the pipeline's stages and of the Wine tools (sourced,
# not run).
#   TOLLEX_BUILD_ROOT    where the build directories and the Wine prefix go
#                        (default: build/; a relative path is taken from the
#                        repository's root)
#   TOLLEX_JOBS          parallel build and test jobs (default: 2)
#   TOLLEX_WINEPREFIX64  the Wine prefix (default: $TOLLEX_BUILD_ROOT/wineprefix-64)
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build_root=${TOLLEX_BUILD_ROOT:-$root/build}
case "$build_root" in /*) ;; *) build_root=$root/$build_root ;; esac
jobs=${TOLLEX_JOBS:-2}
# The presets (CMakePresets.json) put each build in build/NAME, or below
# TOLLEX_BUILD_ROOT_REL, a path from build/: set here to the build root's, so
# that the stages' plain `cmake --preset NAME`, `cmake --build --preset NAME`
# and `ctest --preset NAME` use the folders below TOLLEX_BUILD_ROOT. CMake
# joins it to the source folder's physical path and takes `..` lexically.
build_root=$(realpath -m "$build_root")
TOLLEX_BUILD_ROOT_REL=$(realpath -m -s --relative-to="$(cd "$root" && pwd -P)/build" "$build_root")/
[ "$TOLLEX_BUILD_ROOT_REL" != ./ ] || TOLLEX_BUILD_ROOT_REL=
export TOLLEX_BUILD_ROOT_REL
native_dir=$build_root/native
x64_dir=$build_root/mingw-x64
i686_dir=$build_root/mingw-i686
asan_dir=$build_root/asan
fuzz_dir=$build_root/fuzz
ci_work=$build_root/ci
wine_prefix=${TOLLEX_WINEPREFIX64:-$build_root/wineprefix-64}
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
  WINEPREFIX=$wine_prefix /usr/lib/wine/wineserver -p60 >/dev/null 2>&1 || true
}

# 32-bit x86 code runs through qemu-i386, which binfmt_misc starts for every
# 32-bit ELF program (this kernel cannot run such code itself).
binfmt_dir=/proc/sys/fs/binfmt_misc
binfmt_entry=$binfmt_dir/qemu-i386

# Prints what binfmt_misc holds for 32-bit code: "not mounted", "no qemu-i386
# entry", "qemu-i386 entry switched off" or "qemu-i386 entry on (PROGRAM)".
binfmt_state() {
  if [ ! -e "$binfmt_dir/register" ]; then
    echo "not mounted"
  elif [ ! -e "$binfmt_entry" ]; then
    echo "no qemu-i386 entry"
  elif ! grep -qx enabled "$binfmt_entry"; then
    echo "qemu-i386 entry switched off"
  else
    echo "qemu-i386 entry on ($(sed -n 's/^interpreter //p' "$binfmt_entry"))"
  fi
}

# The prefix holds the 32-bit system DLLs that 32-bit programs load (its
# syswow64 folder); a prefix made without wine32's files has none
# (tools/wine-prepare.sh says what decides it).
prefix_has_32bit() {
  [ -f "$wine_prefix/drive_c/windows/syswow64/kernel32.dll" ]
}
