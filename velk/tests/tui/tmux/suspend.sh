#!/usr/bin/env bash
# Ctrl+Z gives the terminal back with the extended key reports off (in the
# shell Ctrl+1 sends nothing), fg takes it again at the size it has now,
# lays the dialog out for it, and switches the reports on again (Ctrl+1
# reaches the list).
. "$(dirname "$0")/../tmux_lib.sh"
write_table
T new-session -d -s t -x "$screen_columns" -y "$screen_lines" \
  "env -i PATH='$PATH' HOME='$work' HISTFILE=/dev/null LANG=C.UTF-8 TERM=$term PS1='sh\$ ' bash --norc --noprofile -i" \
  || fail "tmux could not start a shell"
wait_for 'sh$'
type_text "$keylog_env '$velk' --plugin '$plugin_copy' --registry '$work/registry.reg'"
keys Enter
wait_for "Plug-ins"
open_list
keys Down F4
wait_for "Edit association"
keys C-z
wait_for "Stopped"
keys "clear" Enter
wait_gone "Stopped"
type_text "cat -v"
keys Enter
sleep 0.3
keys C-1 x Enter
wait_match "^x$"
if screen | grep -qF '^['; then fail "the terminal still sends extended key reports after Ctrl+Z"; fi
keys C-d
resize "$other_columns" "$other_lines"
type_text "fg"
keys Enter
wait_for "Edit association"
check_repaint "continued"
whole_box "Edit association"
esc
wait_gone "Edit association"
keys C-1
wait_for "Description│Execute│Masks (3)"
keys C-1
wait_for "Description│Masks (3)"
esc
wait_for "Plug-ins"
keys q
wait_gone "Plug-ins"
type_text 'echo "velk ended: $?"'
keys Enter
wait_for "velk ended: 0"
passed
