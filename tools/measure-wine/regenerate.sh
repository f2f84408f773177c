#!/usr/bin/env bash
# Rebuilds the portable layer's collation weights, system message texts and
# best-fit code page tables, and the comparison test data, by measuring Wine
# (64-bit, the project's prefix). Needs mingw-w64 and wine; see tools/wine-prepare.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
x86_64-w64-mingw32-g++ -std=c++17 -O1 -static -o "$out/measure.exe" "$root/tools/measure-wine/measure.cpp"
run() { "$root/tools/wine-run" 64 "$out/measure.exe" "$1" | tr -d '\r' > "$out/$1.inc"; }
run weights
run texts
run bestfit
run corpus
cp "$out/weights.inc" "$root/portable/src/sort_weights.inc"
cp "$out/texts.inc" "$root/portable/src/system_texts.inc"
cp "$out/bestfit.inc" "$root/portable/src/codepage_bestfit.inc"
cp "$out/corpus.inc" "$root/tests/portable/compare_corpus.inc"
echo "regenerated: portable/src/{sort_weights,system_texts,codepage_bestfit}.inc tests/portable/compare_corpus.inc"
