#!/usr/bin/env bash
# Builds the product (mingw-i686, Release), checks the DLL and packs
#   dist/Tollex-VERSION.zip: Tollex.dll, TollexEng.lng, Tollex.hlp, INSTALL.txt
# VERSION is the project's version in CMakeLists.txt. The archive's entries
# carry the time of the last commit, so the same DLL gives the same archive.
#   tools/release.sh [BUILD_DIR]     (default: build/mingw-i686)
set -euo pipefail
source "$(dirname "$0")/ci/common.sh"
cd "$root"
dir=${1:-$i686_dir}

if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake --preset mingw-i686 -B "$dir" -DTOLLEX_TESTS=OFF >/dev/null
fi
cmake --build "$dir" -j "$jobs" --target Tollex
dll=$dir/src/Tollex.dll
python3 tools/ci/check_dll.py "$dll"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$dir/CMakeCache.txt")
[ -n "$version" ] || { echo "release: no project version in $dir/CMakeCache.txt" >&2; exit 1; }
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/Tollex"
cp "$dll" data/TollexEng.lng data/Tollex.hlp "$stage/Tollex/"
# The install text for Windows readers: the version filled in, CRLF lines.
sed -e "s/@VERSION@/$version/" -e 's/$/\r/' docs/INSTALL.txt > "$stage/Tollex/INSTALL.txt"

stamp=$(git log -1 --format=%ct 2>/dev/null || date +%s)
touch -d "@$stamp" "$stage/Tollex" "$stage/Tollex/"*
mkdir -p dist
zip_file=$root/dist/Tollex-$version.zip
rm -f "$zip_file"
(cd "$stage" && TZ=UTC zip -X -q -r "$zip_file" Tollex/Tollex.dll Tollex/TollexEng.lng Tollex/Tollex.hlp Tollex/INSTALL.txt)

# What went in must be what was built and checked.
listed=$(unzip -Z1 "$zip_file" | sort | tr '\n' ' ')
want="Tollex/INSTALL.txt Tollex/Tollex.dll Tollex/Tollex.hlp Tollex/TollexEng.lng "
[ "$listed" = "$want" ] || { echo "release: the archive holds $listed" >&2; exit 1; }
unzip -p "$zip_file" Tollex/Tollex.dll | cmp -s - "$dll" || { echo "release: the archived DLL differs" >&2; exit 1; }
echo "release: $zip_file ($(stat -c %s "$zip_file") bytes): $listed"
