#!/usr/bin/env bash
# Installs every package the build and the tests need (apt, as root). Safe to
# run again: it only calls apt-get when something is missing.
#   tools/install-deps.sh [--no-wine | --main]
#     --no-wine: not Wine and qemu
#     --main:    only what the main job (tools/run-velk.sh) needs to build
#                velk and the plug-in natively, without the tests: no test
#                libraries, cross compilers, Wine, valgrind, clang or
#                benchmark library
#
# The package indexes: a mirror in the middle of a sync can hand out an index
# whose size or hash does not match its Release file; apt-get update then
# fails (status 100) and goes on without that index. The update is tried a
# few times, and then the indexes that did come down are used. Without, say,
# the i386 index of the security pocket, wine32 cannot be resolved from every
# configured source (the amd64 libraries it pulls in have newer versions
# there, whose i386 twins apt does not see); the base release alone
# (VERSION_CODENAME of /etc/os-release) then gives a consistent set, so the
# packages are installed from it, and the script says so. A package that
# cannot be had at all fails the script, named.
set -euo pipefail

main_pkgs=(cmake ninja-build g++ libncurses-dev)
native_pkgs=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev googletest
             libbenchmark-dev libncurses-dev tmux valgrind zip unzip file python3 git
             binutils-mingw-w64-i686 binutils-mingw-w64-x86-64)
cross_pkgs=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools)
wine_pkgs=(wine wine32 wine64 qemu-user-static)
update_tries=3
retry_pause=20

case "${1:-}" in
  "") want=("${native_pkgs[@]}" "${cross_pkgs[@]}" "${wine_pkgs[@]}") ;;
  --no-wine) want=("${native_pkgs[@]}" "${cross_pkgs[@]}") ;;
  --main) want=("${main_pkgs[@]}") ;;
  *) echo "usage: tools/install-deps.sh [--no-wine | --main]" >&2; exit 2 ;;
esac

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}
missing=()
for p in "${want[@]}"; do
  installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "install-deps: missing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if printf '%s\n' "${missing[@]}" | grep -qx wine32; then
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
fi
out=$(mktemp)
trap 'rm -f "$out"' EXIT

# apt's own complaints (its E: and W: lines), indented.
complaints() {
  grep -E '^(E|W): ' "$out" | sed 's/^/  /' || true
}

for try in $(seq "$update_tries"); do
  if apt-get update -qq >"$out" 2>&1; then
    break
  fi
  echo "install-deps: apt-get update failed (try $try of $update_tries):"
  complaints
  if [ "$try" -lt "$update_tries" ]; then
    sleep "$retry_pause"
  else
    echo "install-deps: going on with the package indexes that came down"
  fi
done

# resolves OPTIONS...: apt can install the missing packages with these
# options (a dry run, which downloads nothing).
resolves() {
  apt-get install -s --no-install-recommends "$@" "${missing[@]}" >"$out" 2>&1
}
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
if resolves; then
  from=()
  echo "install-deps: installing from every configured source"
elif [ -n "$codename" ] && resolves -t "$codename"; then
  from=(-t "$codename")
  echo "install-deps: the packages cannot be resolved from every configured source (an index is missing" \
       "or out of step); installing from the base release, $codename"
else
  # Name the packages apt has no version of; otherwise show why it refused.
  unavailable=()
  for p in "${missing[@]}"; do
    apt-cache policy "$p" 2>/dev/null | grep -q 'Candidate: [^(]' || unavailable+=("$p")
  done
  if [ ${#unavailable[@]} -gt 0 ]; then
    echo "install-deps: FAILED: no installable version of: ${unavailable[*]}" >&2
  else
    echo "install-deps: FAILED: apt cannot resolve the packages together: ${missing[*]}" >&2
    grep -E '^ |^E: ' "$out" | head -40 >&2 || true
  fi
  exit 1
fi
if ! apt-get install -y -qq --no-install-recommends ${from[@]+"${from[@]}"} "${missing[@]}" >"$out" 2>&1; then
  echo "install-deps: FAILED: apt-get install ${from[*]} ${missing[*]}:" >&2
  tail -20 "$out" >&2
  exit 1
fi
still=()
for p in "${missing[@]}"; do
  installed "$p" || still+=("$p")
done
if [ ${#still[@]} -gt 0 ]; then
  echo "install-deps: FAILED: still not installed: ${still[*]}" >&2
  exit 1
fi
echo "install-deps: installed ${missing[*]}"
