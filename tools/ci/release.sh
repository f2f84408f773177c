#!/usr/bin/env bash
# Stage: the release archive dist/Tollex-VERSION.zip (tools/release.sh), from
# the product build of the wine32 stage.
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$root/tools/release.sh" "$i686_dir"
