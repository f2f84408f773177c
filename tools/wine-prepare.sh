#!/usr/bin/env bash
# Prepares Wine for the Windows builds' tests: the project's one Wine prefix,
# $TOLLEX_BUILD_ROOT/wineprefix-64 (default build/wineprefix-64;
# TOLLEX_WINEPREFIX64 names another), and, for 32-bit code, binfmt_misc with
# qemu-i386 (this kernel cannot run 32-bit x86 code itself; needs root).
# Safe to run again: a prefix that was made completely is kept.
#   tools/wine-prepare.sh [64] [32]      (default: both)
#
# There is one prefix. It is a 64-bit one, and 32-bit programs run in it the
# way they run on 64-bit Windows, on the 32-bit system DLLs of its syswow64
# folder. The 64-bit half of the prefix's set-up copies those DLLs from
# wine32's files (libwine:i386); without them syswow64 stays empty and every
# 32-bit program fails with "could not load kernel32.dll". Whether 32-bit
# code can run while the prefix is made does not matter for that: measured
# with binfmt_misc not mounted, with no qemu-i386 entry, with the entry
# switched off and with it on, the prefix came out the same (the same 786
# files in syswow64, the same registry but for its generated ids), and a
# 32-bit program ran in it. With 32-bit code on, though, the set-up also
# starts a 32-bit half that spends about two and a half minutes under qemu
# and added nothing. So the prefix is made first, with binfmt_misc as it is
# (on a new machine it has no entry yet, and the prefix takes 15 s), and
# binfmt_misc is set up afterwards. The prefix is then checked for its 32-bit
# DLLs; should they be missing although wine32 is installed and 32-bit code
# could not run, it is made once more with 32-bit code on.
set -euo pipefail
source "$(dirname "$0")/ci/common.sh"
want=" ${*:-64 32} "
for w in $want; do
  case "$w" in 64|32) ;; *) echo "usage: tools/wine-prepare.sh [64] [32]" >&2; exit 2 ;; esac
done
wants_32() { [[ "$want" == *" 32 "* ]]; }
wine32_dlls=/usr/lib/i386-linux-gnu/wine/i386-windows

binfmt_on() {
  case "$(binfmt_state)" in "qemu-i386 entry on"*) return 0 ;; *) return 1 ;; esac
}

setup_binfmt() {
  echo "wine-prepare: binfmt_misc: $(binfmt_state)"
  binfmt_on && return 0
  if [ "$(id -u)" != 0 ]; then
    echo "wine-prepare: setting up binfmt_misc for 32-bit code needs root" >&2
    return 1
  fi
  if [ ! -e "$binfmt_dir/register" ]; then
    mount -t binfmt_misc binfmt_misc "$binfmt_dir"
  fi
  if [ ! -e "$binfmt_entry" ]; then
    # 32-bit little-endian ELF executables and shared objects for the i386;
    # F: the kernel opens qemu now, so the entry works in any mount namespace.
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
      > "$binfmt_dir/register"
  fi
  echo 1 > "$binfmt_entry"
  if ! binfmt_on; then
    echo "wine-prepare: binfmt_misc could not be set up for 32-bit code: $(binfmt_state)" >&2
    return 1
  fi
  echo "wine-prepare: binfmt_misc now: $(binfmt_state)"
}

prefix_ready() {
  [ -f "$wine_prefix/system.reg" ] && [ -f "$wine_prefix/.tollex-ready" ] && { ! wants_32 || prefix_has_32bit; }
}

syswow64_files() {
  find "$wine_prefix/drive_c/windows/syswow64" -type f 2>/dev/null | wc -l
}

# Makes the prefix afresh and says how it went.
make_once() {
  local start=$SECONDS
  rm -rf "$wine_prefix"
  mkdir -p "$(dirname "$wine_prefix")"
  echo "wine-prepare: making the prefix $wine_prefix; 32-bit code meanwhile: $(binfmt_state)"
  WINEARCH=win64 WINEPREFIX=$wine_prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
  WINEPREFIX=$wine_prefix /usr/lib/wine/wineserver -w || true
  if [ ! -f "$wine_prefix/system.reg" ]; then
    echo "wine-prepare: could not create the prefix $wine_prefix ($((SECONDS - start)) s)" >&2
    return 1
  fi
  echo "wine-prepare: prefix made in $((SECONDS - start)) s: $(syswow64_files) files in syswow64"
}

make_prefix() {
  if prefix_ready; then
    echo "wine-prepare: prefix $wine_prefix kept ($(syswow64_files) files in syswow64)"
    return 0
  fi
  if [ -e "$wine_prefix" ]; then
    echo "wine-prepare: $wine_prefix is incomplete$(wants_32 && ! prefix_has_32bit && echo " (no 32-bit system DLLs)"): made again"
  fi
  make_once
  if wants_32 && ! prefix_has_32bit; then
    if [ ! -f "$wine32_dlls/kernel32.dll" ]; then
      echo "wine-prepare: the prefix has no 32-bit system DLLs: wine32's ($wine32_dlls) are not installed" \
           "(tools/install-deps.sh installs them)" >&2
      return 1
    fi
    if binfmt_on; then
      echo "wine-prepare: the prefix has no 32-bit system DLLs although wine32 is installed and 32-bit code" \
           "could run" >&2
      return 1
    fi
    echo "wine-prepare: the prefix has no 32-bit system DLLs although wine32 is installed: made again with" \
         "32-bit code on"
    setup_binfmt
    make_once
    if ! prefix_has_32bit; then
      echo "wine-prepare: the prefix still has no 32-bit system DLLs" >&2
      return 1
    fi
  fi
  if prefix_has_32bit; then
    echo "wine-prepare: the prefix has its 32-bit system DLLs (kernel32.dll among them)"
  else
    echo "wine-prepare: the prefix has no 32-bit system DLLs: 32-bit programs cannot run in it"
  fi
  touch "$wine_prefix/.tollex-ready"
}

make_prefix
if wants_32; then
  setup_binfmt
fi
