#!/usr/bin/env bash
# The built-in sample table: association lines with their column
# separators, group headers drawn as bars, the title and bottom line; the
# configuration entry, which shows nothing, says so in the key bar.
. "$(dirname "$0")/../tmux_lib.sh"
start_velk
screen | grep -qF "File associations" || fail "the plug-ins menu lacks the plug-in's entry"
open_list
wait_match "Description│Masks \([0-9]+\) associations"
wait_match "║  ═ [A-Z][A-Za-z ]+ ═+"
wait_match "║  [A-Z][A-Za-z+ -]+ *│\*\.[a-z0-9]+"
wait_for "Ins, F4 Edit"
header_lines=$(screen | grep -cE "║  ═ [A-Z][A-Za-z ]+ ═+")
[ "$header_lines" -ge 2 ] || fail "expected several group headers, saw $header_lines"
keys Escape
wait_for "Plug-ins"
keys Down Enter
wait_for "Configure: the plug-in returned without showing anything"
quit_velk
passed
