#!/usr/bin/env bash
# Stage: the Wine prefix under build/ (created once; kept between runs) and
# binfmt_misc with qemu-i386 for 32-bit code.
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$root/tools/setup-wine.sh" 64 32
"$wine_run" 64 cmd /c echo wine64 runs
echo "wine setup: the prefix is ready"
