#!/usr/bin/env bash
# Builds the release with the preset "release" (the 32-bit Tollex.dll alone),
# checks the DLL and packs
#   DIST_DIR/Tollex-VERSION.zip: Tollex.dll, TollexEng.lng, Tollex.hlp, INSTALL.txt
# with the DLL's debug information beside it, in
#   DIST_DIR/Tollex-VERSION-symbols/Tollex.dll.debug
# VERSION is the project's version in CMakeLists.txt; CHANGES.md must have a
# section for it ("## VERSION" and at least one item), or nothing is built.
# The archive's entries carry the time of the last commit (SOURCE_DATE_EPOCH,
# when set, instead), so the same commit gives the same archive.
#   tools/release.sh [DIST_DIR]     (default: dist/; the build folder is the
#                                    preset's, under TOLLEX_BUILD_ROOT when set)
#   tools/release.sh --describes VERSION   only the CHANGES.md check
set -euo pipefail
source "$(dirname "$0")/ci/common.sh"
cd "$root"

# describes VERSION: CHANGES.md has a section for VERSION (its heading, maybe
# followed by a blank and more, up to the next heading) with an item in it.
describes() {
  awk -v heading="## $1" '
    $0 == heading || index($0, heading " ") == 1 { inside = 1; next }
    /^## / { inside = 0 }
    inside && /^- ./ { found = 1 }
    END { exit !found }' CHANGES.md && return 0
  echo "release: CHANGES.md describes no version $1 (a \"## $1\" section with items)" >&2
  return 1
}
if [ "${1:-}" = --describes ]; then
  describes "$2"
  exit
fi

dir=$build_root/release
dist=${1:-$root/dist}
cmake --preset release >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$dir/CMakeCache.txt")
[ -n "$version" ] || { echo "release: no project version in $dir/CMakeCache.txt" >&2; exit 1; }
describes "$version"
stamp=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || true)}
[ -n "$stamp" ] || { echo "release: no commit to date the archive by (set SOURCE_DATE_EPOCH)" >&2; exit 1; }

cmake --build --preset release -j "$jobs" --target Tollex
dll=$dir/src/Tollex.dll
python3 tools/ci/check_dll.py "$dll"

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/Tollex"
cp "$dll" data/TollexEng.lng data/Tollex.hlp "$stage/Tollex/"
# The install text for Windows readers: the version filled in, CRLF lines.
sed -e "s/@VERSION@/$version/" -e 's/$/\r/' docs/INSTALL.txt > "$stage/Tollex/INSTALL.txt"
# Modes and times as the archive records them, whatever the umask and clock.
chmod 644 "$stage/Tollex/"*
touch -d "@$stamp" "$stage/Tollex" "$stage/Tollex/"*
mkdir -p "$dist"
zip_file=$(cd "$dist" && pwd)/Tollex-$version.zip
rm -f "$zip_file"
(cd "$stage" && TZ=UTC zip -X -q -r "$zip_file" Tollex/Tollex.dll Tollex/TollexEng.lng Tollex/Tollex.hlp Tollex/INSTALL.txt)
symbols=$dist/Tollex-$version-symbols
mkdir -p "$symbols"
cp "$dll.debug" "$symbols/Tollex.dll.debug"

# What went in must be what was built and checked.
listed=$(unzip -Z1 "$zip_file" | sort | tr '\n' ' ')
want="Tollex/INSTALL.txt Tollex/Tollex.dll Tollex/Tollex.hlp Tollex/TollexEng.lng "
[ "$listed" = "$want" ] || { echo "release: the archive holds $listed" >&2; exit 1; }
unzip -p "$zip_file" Tollex/Tollex.dll | cmp -s - "$dll" || { echo "release: the archived DLL differs" >&2; exit 1; }
echo "release: $zip_file ($(stat -c %s "$zip_file") bytes, Tollex.dll $(stat -c %s "$dll") bytes): $listed"
