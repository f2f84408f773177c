#!/usr/bin/env bash
# Stage: every package the build and the tests need (apt, as root).
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$root/tools/install-deps.sh"
echo "deps: every package installed"
