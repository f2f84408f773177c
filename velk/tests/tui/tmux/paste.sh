#!/usr/bin/env bash
# A bracketed paste goes into the focused edit field as text, its line
# breaks as blanks, never as keys (its line break does not confirm the
# dialog, its letters do not filter the list); where no edit field has the
# focus it is ignored, with a note in the key bar.
. "$(dirname "$0")/../tmux_lib.sh"
write_table
VELK_ENV=$keylog_env start_velk
open_list
paste_text() {
  T set-buffer -- "$1"
  T paste-buffer -p -t t
}
paste_text $'zip\n'
wait_for "Paste ignored: no edit field has the focus"
check_repaint "a paste on the list"
wait_for "Description│Masks (3)"
lacks "Edit association" || fail "the paste's line break was taken as Enter"
keys Down F4
wait_for "Edit association"
keys Tab Tab End
paste_text $' (two\nlines)\n+x'
wait_for "Zip files (two lines) +x"
check_repaint "a paste in the dialog"
shows "Edit association" || fail "the paste's line break confirmed the dialog"
confirm_and_apply
grep -qF '"Description"="Zip files (two lines) +x"' "$work/registry.reg" || fail "the pasted text was not stored"
passed
