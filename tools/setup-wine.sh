#!/usr/bin/env bash
# Prepares Wine for the Windows builds' tests: the project's own 64-bit Wine
# prefix under build/ and, for 32-bit code, binfmt_misc with qemu-i386 (this
# kernel cannot run 32-bit x86 code itself). Needs root for binfmt_misc.
# Safe to run again.
#   tools/setup-wine.sh [64] [32]      (default: both)
#
# There is one prefix. It is a 64-bit one, and 32-bit programs run in it the
# way they run on 64-bit Windows, on the 32-bit system DLLs of its syswow64
# folder. A prefix of its own for 32-bit programs took half an hour to
# create here: its set-up runs several 32-bit processes, each of which spends
# about two minutes under qemu reserving the address space, and they wait on
# one another.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
want=${*:-64 32}
binfmt=/proc/sys/fs/binfmt_misc
prefix=${TOLLEX_WINEPREFIX64:-$root/build/wineprefix-64}

setup_binfmt() {
  if [ ! -e "$binfmt/register" ]; then
    mount -t binfmt_misc binfmt_misc "$binfmt"
  fi
  if [ ! -e "$binfmt/qemu-i386" ]; then
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
      > "$binfmt/register"
  fi
  echo 1 > "$binfmt/qemu-i386"
  echo "setup-wine: 32-bit code runs through $(sed -n 's/^interpreter //p' "$binfmt/qemu-i386")"
}

# While the prefix is created, 32-bit code is switched off: wineboot then
# copies the 32-bit system DLLs into syswow64 without starting the 32-bit
# half of its set-up (registering 32-bit components none of the tests use),
# which under qemu takes longer than everything else in the pipeline.
make_prefix() {
  if [ -f "$prefix/system.reg" ] && [ -f "$prefix/.tollex-ready" ]; then
    return 0
  fi
  mkdir -p "$(dirname "$prefix")"
  rm -rf "$prefix"
  local start=$SECONDS was_on=
  if [ -e "$binfmt/qemu-i386" ] && grep -q '^enabled' "$binfmt/qemu-i386"; then
    was_on=1
    echo 0 > "$binfmt/qemu-i386"
    trap 'echo 1 > "$binfmt/qemu-i386"' EXIT
  fi
  WINEARCH=win64 WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
  WINEPREFIX=$prefix /usr/lib/wine/wineserver -w || true
  if [ -n "$was_on" ]; then
    echo 1 > "$binfmt/qemu-i386"
    trap - EXIT
  fi
  [ -f "$prefix/system.reg" ] || { echo "setup-wine: could not create the prefix $prefix" >&2; return 1; }
  [ -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ] ||
    { echo "setup-wine: the prefix has no 32-bit system DLLs (is wine32 installed?)" >&2; return 1; }
  touch "$prefix/.tollex-ready"
  echo "setup-wine: prefix $prefix ready in $((SECONDS - start)) s"
}

make_prefix
case " $want " in *" 32 "*) setup_binfmt ;; esac
