#!/usr/bin/env bash
# Ctrl+C, Ctrl+S, Ctrl+Q and Ctrl+\ reach velk as keys, not as signals or
# flow control: after Ctrl+S the keys typed still show, Ctrl+\ ends
# nothing. Inside the plug-in's screens Ctrl+C asks first, in velk's own
# box: Cancel changes nothing, Quit ends velk with status 130 and what the
# plug-in had not applied is lost. At velk's menu Ctrl+C quits as F10 does.
. "$(dirname "$0")/../tmux_lib.sh"
joined_lines=1
write_table "$registry"
VELK_ENV=$keylog_env start_watched_velk --registry "'$registry'"
open_list
keys C-s
type_text z
wait_for "(2 of 3) associations: [Z]"
keys C-q 'C-\' BSpace
check_repaint "Ctrl+S, Ctrl+Q, Ctrl+\\"
wait_for "Description│Masks (3)"
keys C-c
wait_for "Quit velk now?"
wait_for "What the plug-in has not applied yet is lost."
whole_box "velk"
keys Right Enter
check_repaint "quitting cancelled"
lacks "Quit velk now?" || fail "Cancel did not close velk's box"
one_list "quitting cancelled"
# A deletion not applied, then Ctrl+C in the edit dialog, and Quit.
keys Down Delete
wait_for "Delete the association"
keys Enter
wait_gone "Zip files"
keys F4
wait_for "Edit association"
keys C-c
wait_for "Quit velk now?"
keys Enter
expect_status 130
expect_terminal_back
wait_for "velk: quit with Ctrl+C inside the plug-in: what it had not applied is lost"
registry_has '"*.zip"' || fail "the deletion that was not applied reached the file"
end_session
# At velk's own menu Ctrl+C is F10: a normal end.
write_table "$registry"
start_watched_velk --registry "'$registry'"
wait_for "Plug-ins"
keys C-c
expect_status 0
expect_terminal_back
registry_has '"*.txt"' || fail "the file lost its table"
passed
