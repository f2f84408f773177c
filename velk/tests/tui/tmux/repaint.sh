#!/usr/bin/env bash
# A long walk through every kind of screen on the sample table; after each
# step the screen is what a full repaint shows, and where only the list is
# shown, nothing of an earlier, larger list stays.
. "$(dirname "$0")/../tmux_lib.sh"
VELK_ENV=$keylog_env start_velk
check_repaint "start"
step "open" Enter
wait_for "(25) associations"
one_list "open"
# The bottom line whole, also where the box's edge cannot hold it.
wait_for "Ctrl+1-3 Columns"
type_text z
check_repaint "filter z"
wait_for "(7 of 25) associations: [Z]"
one_list "filter z"
type_text i
check_repaint "filter zi"
one_list "filter zi"
step "filter removed" BSpace BSpace
wait_for "(25) associations"
one_list "filter removed"
step "delete asked" Down Down Delete
wait_for "Delete the association"
step "deleted" Enter
wait_for "(24) associations"
one_list "deleted"
step "insert" Insert
wait_for "Edit association"
keys Tab
type_text "*.new"
step "typed" Tab
type_text "New files"
step "history" Up C-Down
wait_for "═ History ═"
whole_box "Edit association"
esc
check_repaint "history closed"
wait_gone "═ History ═"
step "confirmed" Enter
wait_for "New files"
one_list "confirmed"
step "sorted" C-F1
wait_for "d Description"
one_list "sorted"
step "columns" C-1 C-2 C-3
wait_for "Description│Execute│View│Edit│Masks"
one_list "columns"
step "columns back" C-1 C-2 C-3
step "scrolled" End PPage Right Right Left
step "edit" Home Down F4
wait_for "Edit association"
resize "$other_columns" "$other_lines"
check_repaint "resized with the dialog"
whole_box "Edit association"
step "help" F1
wait_for "Help: Editing an association"
resize "$screen_columns" "$screen_lines"
check_repaint "resized with help"
esc
check_repaint "help closed"
wait_gone "Help:"
esc
check_repaint "dialog closed"
wait_gone "Edit association"
one_list "dialog closed"
screen > "$work/list.txt"
esc
check_repaint "apply asked"
wait_for "Apply the changes?"
# The question covers nothing of the list outside its own frame.
screen > "$work/question.txt"
why=$($screen_check covers Tollex "$work/list.txt" "$work/question.txt" 2>&1) || fail "$why"
whole_box Tollex
step "back to the list" Right Right Enter
wait_gone "Apply the changes?"
one_list "back to the list"
esc
wait_for "Apply the changes?"
step "discarded" Right Enter
wait_for "Plug-ins"
quit_velk
passed
