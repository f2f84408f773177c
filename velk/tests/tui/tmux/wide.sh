#!/usr/bin/env bash
# Right scrolls a wide list (wide_table.reg: a description far wider than
# any screen here, cut by the plug-in at 127 characters) to the end of its
# longest line and no further; marks show where text is cut off. An edit
# field opens at the start of its text, marks hidden text on either side,
# and refuses a character code page 437 cannot hold with a bell and a note.
. "$(dirname "$0")/../tmux_lib.sh"
cp "$fixtures/wide_table.reg" "$work/registry.reg"
VELK_ENV=$keylog_env start_velk
T set-hook -g alert-bell "run-shell 'echo bell >> $work/bells'"
open_list
# The list's 127-column lines fit a 200-column screen: then nothing is cut
# off and Right has nothing to scroll.
if ((screen_columns >= 132)); then
  start="║  x+ENDOFLINE127y+ ║" end=$start
else
  start="║  x+»║" end="║«.*ENDOFLINE127y+ ║"
fi
wait_match "$start"
keys $(printf 'Right %.0s' {1..40})
check_repaint "scrolled right"
wait_match "$end"
keys Right
check_repaint "one more Right"
wait_match "$end"
keys $(printf 'Left %.0s' {1..40})
check_repaint "scrolled back"
wait_match "$start"
keys F4
wait_for "Edit association"
# The description (252 characters, more than any field here shows): its
# start shown, a mark where it goes on; at its end a mark where it began;
# in the middle both.
wait_match "║x[xyA-Z0-9]*»"
keys Tab Tab End
check_repaint "field at its end"
wait_match "║«[xyA-Z0-9]*y  ║"
keys Home $(printf 'Right %.0s' {1..200})
check_repaint "field in the middle"
wait_match "║«[xyA-Z0-9]+»"
keys Home
check_repaint "field at its start"
wait_match "║x[xyA-Z0-9]*»"
rm -f "$work/bells"
type_text "€"
wait_for "€ is not in code page 437"
for ((i = 0; i < 50; i++)); do
  [ -s "$work/bells" ] && break
  sleep 0.1
done
[ -s "$work/bells" ] || fail "no bell for a character code page 437 cannot hold"
# A wide character takes two columns of the note: the key bar's keys
# still stand after it, a blank apart.
type_text "日"
wait_for "日 is not in code page 437: not typed  F1 Help"
type_text "a"
wait_gone "日 is not in code page 437"
confirm_and_apply
grep -qF '"Description"="axxxxxxxxx' "$work/registry.reg" || fail "the typed character was not stored at the text's start"
if grep -q '€' "$work/registry.reg"; then fail "the refused character was stored"; fi
passed
