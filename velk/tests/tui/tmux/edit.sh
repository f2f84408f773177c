#!/usr/bin/env bash
# The edit dialog at the terminal: keys edit the description, Enter
# confirms; a new association takes its mask from the mask history; what
# was applied reaches the registry file.
. "$(dirname "$0")/../tmux_lib.sh"
write_table
start_velk
open_list
wait_for "Zip files"
# The cursor starts on the first line (the group header); edit the next.
keys Down F4
wait_for "Edit association"
wait_for "unzip -l {file}"
# The check box has the focus first; Tab twice reaches the description.
keys Tab Tab End
type_text " (packedX"
keys BSpace
type_text ")"
keys Left Left Left Left Left Left Left
type_text "re"
wait_for "Zip files (repacked)"
keys Enter
wait_gone "Edit association"
wait_match "Zip files \(repacked\) *│\*\.zip"
# A new association: the mask's history offers the mask confirmed above.
keys Insert
wait_for "Edit association"
keys Tab C-Down
wait_for "═ History ═"
keys Enter
wait_gone "═ History ═"
keys Tab
type_text "Packed again"
keys Enter
wait_match "Packed again *│\*\.zip"
keys Escape
wait_for "Apply the changes?"
keys Enter
quit_velk
grep -qF '"Description"="Zip files (repacked)"' "$work/registry.reg" || fail "the edited description was not saved"
grep -qF '"Description"="Packed again"' "$work/registry.reg" || fail "the new association was not saved"
[ "$(grep -c '"Mask"="\*.zip"' "$work/registry.reg")" = 2 ] || fail "the history did not fill the new mask"
passed
