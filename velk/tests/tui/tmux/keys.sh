#!/usr/bin/env bash
# The list screen's keys that terminals send in many ways, and velk's
# alternatives for them; the key log names every key, punctuation,
# characters of other scripts and sequences velk does not know included.
. "$(dirname "$0")/../tmux_lib.sh"
write_table
VELK_ENV=$keylog_env start_velk
open_list
wait_for "Description│Masks (3)"
keys C-1
wait_for "Description│Execute│Masks (3)"
keys M-1
wait_for "Description│Masks (3)"
keys F12
wait_for "Ctrl+ …"
keys 2
wait_for "Description│View│Masks (3)"
wait_gone "Ctrl+ …"
keys M-2
wait_for "Description│Masks (3)"
# '+' and '-' of the main keyboard for the numeric pad: marks.
keys +
wait_match "║ √Zip files"
wait_match "║ √Text files"
keys -
wait_gone "√"
# Ctrl+Up moves the line under the cursor; Alt+Down is Ctrl+Down.
keys Down Down
keys C-Up
wait_match "║  Text files.*"
screen | grep -nE "Text files|Zip files" | head -1 | grep -qF "Text files" || fail "Ctrl+Up did not move Text files up"
keys M-Down
sleep 0.5
screen | grep -nE "Text files|Zip files" | head -1 | grep -qF "Zip files" || fail "Alt+Down did not move Text files back"
# Ctrl+F1 sorts by description: the indicator appears in the title.
keys C-F1
wait_for "d Description│Masks"
keys M-F1
wait_for "D Description│Masks"
# A filter typed on the list.
keys z i p
wait_for "(2 of 3) associations: [ZIP]"
keys BSpace BSpace BSpace
wait_for "Description│Masks (3)"
type_text ".é日"
keys 'C-\'
type_text $'\e[99~'
synced
for name in . é 日 'Ctrl+\' 'unknown: ESC [99~'; do
  grep -qxF -- "$name" "$keylog" || fail "the key log does not name the key $name"
done
keys Escape
wait_for "Apply the changes?"
keys Right Enter
quit_velk
passed
