#!/usr/bin/env bash
# Stage: the release. tools/release.sh builds dist/Tollex-VERSION.zip with
# the preset "release" in $TOLLEX_BUILD_ROOT/release; it refuses a version
# that CHANGES.md does not describe (shown to happen for a version it lacks),
# and checks the DLL (the size ceiling, no debug sections, its debug link,
# PE32 i386, the four exports, system imports only). Then:
#   - the DLL's version resource is read back under 64-bit Wine through the
#     system's own calls and compared with the version;
#   - the DLL is the one the wine32 stage's 32-bit batch ran, when that build
#     is there;
#   - the commit is built a second time, exported to another folder and built
#     in another build folder, and the DLL, its debug information and the
#     archive must be the same bytes.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$root"
release_dir=$build_root/release
step "release build and archive" "$root/tools/release.sh" "$root/dist" || exit 1
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$release_dir/CMakeCache.txt")
dll=$release_dir/src/Tollex.dll
status=0

# The refusal must be able to happen: the shorter version ${version%.*}, whose
# heading would be a prefix of this one's, is not described.
if "$root/tools/release.sh" --describes "${version%.*}" 2>/dev/null; then
  echo "release: FAILED: the CHANGES.md check takes ${version%.*} for described"
  status=1
else
  echo "release: the CHANGES.md check refuses ${version%.*}, which it does not describe, as it must"
fi

checker=$ci_work/release/version_check.exe
mkdir -p "$(dirname "$checker")"
keep_wineserver
step "version resource, read back under wine64" bash -c '
  x86_64-w64-mingw32-gcc -O2 -Wall -Wextra -o "$1" tools/version-check/version_check.c -lversion &&
    "$2" 64 "$1" "$3" "$4"' - "$checker" "$wine_run" "$dll" "$version" || status=1

if [ -f "$i686_dir/src/Tollex.dll" ]; then
  step "the DLL of the 32-bit batch is the one released" cmp "$i686_dir/src/Tollex.dll" "$dll" || status=1
else
  echo "release: no $i686_dir/src/Tollex.dll (the wine32 stage builds it) to compare with"
fi

# The second build is of the commit: changes not committed would make the
# two differ for a reason of their own.
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "release: FAILED: the working tree has changes that $(git rev-parse --short HEAD) lacks; commit them first"
  exit 1
fi
copy=$ci_work/release/second
rm -rf "$copy"
mkdir -p "$copy/source"
git archive HEAD | tar -x -C "$copy/source"
# The copy builds in its own build folder (the preset's, below the copy).
step "second build of $(git rev-parse --short HEAD), from $copy" \
  env -u TOLLEX_BUILD_ROOT -u TOLLEX_BUILD_ROOT_REL SOURCE_DATE_EPOCH="$(git log -1 --format=%ct)" \
  "$copy/source/tools/release.sh" "$copy/dist" || exit 1
same=0
differ=0
for file in "Tollex-$version.zip" "Tollex-$version-symbols/Tollex.dll.debug"; do
  if cmp "$root/dist/$file" "$copy/dist/$file"; then same=$((same + 1)); else differ=$((differ + 1)); fi
done
if cmp "$dll" "$copy/source/build/release/src/Tollex.dll"; then same=$((same + 1)); else differ=$((differ + 1)); fi
echo "release: second build: $same identical, $differ differ"
[ "$differ" -eq 0 ] || status=1
exit $status
