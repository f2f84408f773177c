#!/usr/bin/env bash
# Stage: the native Linux build and its whole CTest suite (unit tests, velk's
# scenarios and batch, the terminal front end's tests).
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$root"
step "native configure" cmake --preset native >/dev/null
step "native build" cmake --build --preset native -j "$jobs"
step "native tests" ctest --preset native -j "$jobs"
