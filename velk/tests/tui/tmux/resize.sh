#!/usr/bin/env bash
# Whatever is shown is laid out again at the new size: the list, the dialog
# (narrower than it was opened, then wider; fields without the focus keep
# showing the start of their text), a message box, help (scrolling
# sideways where it is narrower than its lines), a dialog the plug-in laid
# out narrow (every text inside its frame); a screen too small shows a
# notice and takes no keys.
. "$(dirname "$0")/../tmux_lib.sh"
write_table
VELK_ENV=$keylog_env start_velk
open_list
keys Down F4
wait_for "Edit association"
whole_box "Edit association"
# The description made longer than the field is wide at 60 columns, but
# not at this size; then the focus leaves it, with its cursor at the end.
keys Tab Tab End
type_text "$(printf '0123456789%.0s' 1 2 3 4 5)0"
keys Tab
synced
resize 60 26
check_repaint "resized with a long field"
wait_match "║Zip files0123456789[0-9]*»"
resize "$screen_columns" "$screen_lines"
for s in "$other_columns $other_lines" "$screen_columns $screen_lines" "60 26" "$screen_columns $screen_lines"; do
  resize $s
  check_repaint "resized to $s"
  whole_box "Edit association"
done
wait_for "[ Ok ] [ Cancel ]"
# Too small to show anything: a notice, and keys do nothing until the
# screen is large enough again (Esc would have closed the dialog).
resize 24 6
wait_for "velk needs a"
esc
check_repaint "a key while too small"
wait_for "velk needs a"
resize "$screen_columns" "$screen_lines"
wait_for "Edit association"
esc
wait_gone "Edit association"
keys Delete
wait_for "Delete the association"
resize "$other_columns" "$other_lines"
check_repaint "message box resized"
whole_box "Delete"
keys F1
wait_for "Help:"
resize "$screen_columns" "$screen_lines"
check_repaint "help resized"
whole_box "Help:"
resize 60 26
check_repaint "help narrower than its lines"
wait_match "»║"
keys Right
check_repaint "help scrolled sideways"
wait_match "║«"
resize "$screen_columns" "$screen_lines"
esc
wait_gone "Help:"
keys Right Enter
wait_gone "Delete the association"
resize "$other_columns" "$other_lines"
check_repaint "list resized"
whole_box "associations"
one_list "list resized"
# Opened on a terminal under 80 columns, the dialog is laid out narrow by
# the plug-in, with its labels as long as ever: they end inside the frame.
resize 50 30
synced
keys F4
wait_for "Edit association"
check_repaint "dialog laid out narrow"
whole_box "Edit association"
wait_for "Association (clear for a group h…"
esc
wait_gone "Edit association"
esc
wait_for "Plug-ins"
quit_velk
passed
