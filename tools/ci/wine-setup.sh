#!/usr/bin/env bash
# Stage: Wine as a new machine gets it. First the state of a machine that
# never ran Wine or 32-bit code: the qemu-i386 entry of binfmt_misc is
# removed (binfmt_misc is machine-wide: 32-bit programs cannot start until
# the set-up below registers it again, seconds later) and the prefix under
# the build folder is deleted. Then tools/setup-wine.sh makes the prefix and
# sets up binfmt_misc, and a 64-bit program runs in the prefix (the wine32
# stage runs the 32-bit ones).
#   TOLLEX_KEEP_WINE=1   keep the entry and a prefix made earlier (at home;
#                        saves the prefix's 20 s, proves less)
set -euo pipefail
source "$(dirname "$0")/common.sh"
if [ "${TOLLEX_KEEP_WINE:-0}" = 1 ]; then
  echo "wine-setup: TOLLEX_KEEP_WINE=1: binfmt_misc ($(binfmt_state)) and the prefix are kept as they are"
else
  echo "wine-setup: starting from a new machine's state; binfmt_misc: $(binfmt_state)"
  if [ -e "$binfmt_entry" ]; then
    echo -1 > "$binfmt_entry"
    echo "wine-setup: qemu-i386 entry removed; binfmt_misc: $(binfmt_state)"
  fi
  if [ -e "$wine_prefix" ]; then
    WINEPREFIX=$wine_prefix /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    rm -rf "$wine_prefix"
    echo "wine-setup: the prefix $wine_prefix of an earlier run deleted"
  fi
fi
step "setup-wine" "$root/tools/setup-wine.sh" 64 32
step "a 64-bit program in the prefix" "$wine_run" 64 cmd /c echo wine64 runs
echo "wine-setup: ready; binfmt_misc: $(binfmt_state)"
