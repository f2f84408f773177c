#!/usr/bin/env bash
# Whatever is shown is laid out again at the new size: the list, the dialog
# (narrower than it was opened, then wider), a message box, help; a screen
# too small shows a notice and takes no keys.
. "$(dirname "$0")/../tmux_lib.sh"
write_table
VELK_ENV=$keylog_env start_velk
open_list
keys Down F4
wait_for "Edit association"
whole_box "Edit association"
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
esc
wait_gone "Help:"
keys Right Enter
wait_gone "Delete the association"
resize "$other_columns" "$other_lines"
check_repaint "list resized"
whole_box "associations"
one_list "list resized"
esc
wait_for "Plug-ins"
quit_velk
passed
