#!/usr/bin/env bash
# Stage: a table velk exported goes through Wine's own reg.exe (import, then
# export in its UTF-16 form) and velk reads that export back to the very
# same table. Needs the mingw-x64 build (wine64.sh) and the native one.
set -euo pipefail
source "$(dirname "$0")/common.sh"
keep_wineserver
python3 "$root/tools/ci/reg_interop.py" --windows "$x64_dir/velk/velk.exe" --native "$native_dir/velk/velk" \
  --emulator "$wine_run" --emulator 64 --work "$ci_work/reg-interop"
