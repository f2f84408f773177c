#!/usr/bin/env bash
# Runs every test of the project on a fresh machine: installs what is missing,
# builds, and runs the native suite.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native
