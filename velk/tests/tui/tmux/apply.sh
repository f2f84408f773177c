#!/usr/bin/env bash
# Deleting asks, leaving asks whether to apply: Cancel goes back to the
# list, No leaves the registry file as it was.
. "$(dirname "$0")/../tmux_lib.sh"
write_table
start_velk
open_list
keys Down Delete
wait_for "Delete the association"
wait_for "*.zip"
wait_for "[ Yes ] [ No ]"
keys Enter
wait_gone "Zip files"
# Leaving asks; Cancel goes back to the list, and leaving again asks again.
keys Escape
wait_for "Apply the changes?"
wait_for "[ Yes ] [ No ] [ Cancel ]"
keys Right Right Enter
wait_gone "Apply the changes?"
wait_for "Text files"
keys Escape
wait_for "Apply the changes?"
# No: nothing is written.
keys Right Enter
quit_velk
grep -qF '"Description"="Zip files"' "$work/registry.reg" || fail "No must keep the deleted association in the table"
passed
