#!/usr/bin/env bash
# The main job: installs what it needs to build (as root, only what is
# missing: CMake, Ninja, g++, ncurses), builds velk, the project's stand-in
# host, with Tollex (the velk preset: release, no tests, in build/velk) and
# starts it interactively with Tollex on a registry of its own. The first
# start uses velk's built-in sample association table. One line says what
# each step does; a build that fails shows its output.
#   tools/run-velk.sh [VELK ARGUMENTS...]
# Without --registry, the registry lives in $XDG_DATA_HOME/velk/registry.reg
# (~/.local/share/velk/registry.reg); delete that file to start afresh from
# the sample table.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
step() { echo "run-velk: $*"; }
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# Runs a command with its output kept, shown only when it fails.
quietly() {
  if ! "$@" >"$log" 2>&1; then
    cat "$log" >&2
    echo "run-velk: FAILED: $*" >&2
    exit 1
  fi
}

step "checking the packages the build needs"
tools/install-deps.sh --main
if [ ! -f build/velk/build.ninja ]; then
  step "configuring the build in build/velk"
  quietly cmake --preset velk
fi
step "building velk and the plug-in (a minute or two the first time)"
quietly cmake --build --preset velk
step "starting velk"
rm -f "$log"
exec build/velk/velk/velk "$@"
