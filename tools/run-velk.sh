#!/usr/bin/env bash
# The main job: builds the native preset if needed and starts velk, the
# project's stand-in host, interactively with Tollex on a registry of its
# own. The first start uses velk's built-in sample association table.
#   tools/run-velk.sh [VELK ARGUMENTS...]
# Without --registry, the registry lives in $XDG_DATA_HOME/velk/registry.reg
# (~/.local/share/velk/registry.reg); delete that file to start afresh from
# the sample table.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
tools/install-deps.sh --no-wine
if [ ! -f build/native/build.ninja ]; then
  cmake --preset native >/dev/null
fi
if ! out=$(cmake --build --preset native --target velk 2>&1); then
  printf '%s\n' "$out" >&2
  exit 1
fi
exec build/native/velk/velk "$@"
