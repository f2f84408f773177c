#!/usr/bin/env bash
# F1 on every screen opens the help topic of what is shown; a link goes to
# its topic, BackSpace back, Esc closes help where it was opened.
. "$(dirname "$0")/../tmux_lib.sh"
write_table
start_velk
keys F1
wait_for "Help: velk's keys"
keys Escape
wait_gone "Help:"
open_list
keys F1
wait_for "Help: Tollex: the association list"
wait_for "Keys of the list"
keys Tab Enter
wait_for "Help: Editing an association"
keys BSpace
wait_for "Help: Tollex: the association list"
keys Escape
wait_gone "Help:"
keys Down F4
wait_for "Edit association"
keys F1
wait_for "Help: Editing an association"
keys Escape
wait_gone "Help:"
wait_for "Edit association"
keys Escape
wait_gone "Edit association"
keys Down Delete
wait_for "Delete the association"
keys Enter Escape
wait_for "Apply the changes?"
keys F1
wait_for "Help: Apply the changes?"
keys Escape
wait_gone "Help:"
keys Right Enter
quit_velk
passed
