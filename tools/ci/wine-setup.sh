#!/usr/bin/env bash
# Stage: binfmt_misc with qemu-i386 for 32-bit code and the two Wine
# prefixes under build/ (created once; kept between runs).
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$root/tools/setup-wine.sh" 64 32
"$wine_run" 64 cmd /c echo wine64 runs
echo "wine setup: both prefixes ready"
