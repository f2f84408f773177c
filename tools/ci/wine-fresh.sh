#!/usr/bin/env bash
# Stage: Wine from a fresh machine's state. First that state, of a machine
# that never ran Wine or 32-bit code: the qemu-i386 entry of binfmt_misc is
# removed (binfmt_misc is machine-wide: 32-bit programs cannot start until
# tools/wine-prepare.sh registers it again, seconds later) and the prefix
# under the build folder is deleted. Then tools/wine-prepare.sh makes the
# prefix and the entry, and a 64-bit program runs in the prefix (the wine32
# stage runs the 32-bit ones).
#   TOLLEX_KEEP_WINE=1   keep the entry and a prefix made earlier (on a
#                        shared machine; saves making the prefix, proves less)
set -euo pipefail
source "$(dirname "$0")/common.sh"
if [ "${TOLLEX_KEEP_WINE:-0}" = 1 ]; then
  echo "wine-fresh: TOLLEX_KEEP_WINE=1: binfmt_misc ($(binfmt_state)) and the prefix are kept as they are"
else
  echo "wine-fresh: starting from a new machine's state; binfmt_misc: $(binfmt_state)"
  if [ -e "$binfmt_entry" ]; then
    echo -1 > "$binfmt_entry"
    echo "wine-fresh: qemu-i386 entry removed; binfmt_misc: $(binfmt_state)"
  fi
  if [ -e "$wine_prefix" ]; then
    WINEPREFIX=$wine_prefix /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    rm -rf "$wine_prefix"
    echo "wine-fresh: the prefix $wine_prefix of an earlier run deleted"
  fi
fi
step "wine-prepare" "$root/tools/wine-prepare.sh" 64 32
step "a 64-bit program in the prefix" "$wine_run" 64 cmd /c echo wine64 runs
echo "wine-fresh: ready; binfmt_misc: $(binfmt_state)"
