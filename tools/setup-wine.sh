#!/usr/bin/env bash
# Prepares Wine for the Windows builds' tests: binfmt_misc with qemu-i386 for
# 32-bit code (this kernel cannot run it itself) and the project's own Wine
# prefixes under build/. Needs root for binfmt_misc. Safe to run again.
#   tools/setup-wine.sh [64] [32]      (default: both)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
want=${*:-64 32}

setup_binfmt() {
  local dir=/proc/sys/fs/binfmt_misc
  if [ ! -e "$dir/register" ]; then
    mount -t binfmt_misc binfmt_misc "$dir"
  fi
  if [ ! -e "$dir/qemu-i386" ]; then
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
      > "$dir/register"
  fi
}

make_prefix() {
  local bits=$1 prefix
  prefix=$root/build/wineprefix-$bits
  if [ -f "$prefix/system.reg" ] && [ -f "$prefix/.tollex-ready" ]; then
    return 0
  fi
  mkdir -p "$root/build"
  rm -rf "$prefix"
  local start=$SECONDS
  if [ "$bits" = 64 ]; then
    WINEARCH=win64 WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
  else
    WINEARCH=win32 WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" /usr/lib/wine/wine wineboot -i >/dev/null 2>&1 || true
  fi
  WINEPREFIX=$prefix /usr/lib/wine/wineserver -w || true
  [ -f "$prefix/system.reg" ] || { echo "setup-wine: could not create the $bits-bit prefix" >&2; return 1; }
  touch "$prefix/.tollex-ready"
  echo "setup-wine: $bits-bit prefix ready in $((SECONDS - start)) s"
}

for b in $want; do
  if [ "$b" = 32 ]; then setup_binfmt; fi
  make_prefix "$b"
done
