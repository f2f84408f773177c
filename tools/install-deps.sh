#!/usr/bin/env bash
# Installs every package the build and the tests need. Safe to run again:
# it only calls apt-get when something is missing.
set -euo pipefail

native_pkgs=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev googletest
             libbenchmark-dev libncurses-dev tmux valgrind zip unzip file python3 git
             binutils-mingw-w64-i686 binutils-mingw-w64-x86-64)
cross_pkgs=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools)
wine_pkgs=(wine wine32 wine64 qemu-user-static)

want=("${native_pkgs[@]}" "${cross_pkgs[@]}")
if [ "${1:-}" != "--no-wine" ]; then
  want+=("${wine_pkgs[@]}")
fi

missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if printf '%s\n' "${missing[@]}" | grep -q '^wine32$'; then
  dpkg --print-foreign-architectures | grep -q '^i386$' || dpkg --add-architecture i386
fi
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
