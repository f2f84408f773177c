#!/usr/bin/env bash
# What velk's terminal front end draws, in a detached tmux session of a
# given size: every change of the screen leaves what a full repaint of the
# same state shows, resizes and Ctrl+Z lay out again whatever is shown,
# wide lists and long edit fields show where text is hidden, and terminals
# velk cannot draw on are refused before anything is drawn.
#   tmux_screen_test.sh CASE COLUMNSxLINES VELK PLUGIN DATADIR
# CASE: repaint | resize | suspend | wide | unusable. Exit 0 passed, 1
# failed, 77 skipped.
set -u
case_name=$1 size=$2 velk=$3 plugin=$4 data=$5

. "$(dirname "$0")/tmux_lib.sh"
check="python3 $(dirname "$0")/screen_check.py"

screen_columns=${size%x*}
screen_lines=${size#*x}
# Another size to resize to: the next of the three the tests run at.
case $size in
  100x32) other_columns=80 other_lines=24 ;;
  80x24) other_columns=200 other_lines=50 ;;
  *) other_columns=100 other_lines=32 ;;
esac

# Esc in the unambiguous form of the keyboard protocol velk asks for: a
# bare ESC followed at once by another key would be read as Alt with it.
esc() { T send-keys -t t -l $'\e[27u'; }

# The screen with its colours and attributes, and where the cursor stands.
snapshot() {
  T capture-pane -p -e -t t
  T display -p -t t 'cursor #{cursor_x},#{cursor_y} shown #{cursor_flag}'
}

# Waits until two snapshots a moment apart are the same: tmux has taken in
# all velk wrote.
settle() {
  local a b i
  a=$(snapshot)
  for ((i = 0; i < 100; i++)); do
    sleep 0.1
    b=$(snapshot)
    [ "$a" = "$b" ] && return 0
    a=$b
  done
  fail "the screen does not settle"
}

# velk's key log tells when it has taken a key: F11 means nothing on any of
# velk's screens, so sending it and waiting until velk has read it shows
# that velk has done everything the keys before it asked for, painting
# included. It goes twice: a resize that reached velk just as it read the
# first is carried out before the second. synced waits for that and for
# tmux to show it.
keylog=$work/keys.log
sync_count=0
synced() {
  local i
  sync_count=$((sync_count + 2))
  keys F11 F11
  for ((i = 0; i < 150; i++)); do
    [ "$(grep -c '^F11$' "$keylog" 2>/dev/null)" -ge "$sync_count" ] && break
    sleep 0.1
  done
  [ "$(grep -c '^F11$' "$keylog" 2>/dev/null)" -ge "$sync_count" ] || fail "velk did not take the keys sent"
  settle
}

# The screen now must be exactly what a full repaint (Ctrl+L) of the same
# state shows: characters, colours, attributes and the cursor.
check_repaint() {
  local label=$1 before after
  synced
  before=$(snapshot)
  keys C-l
  synced
  after=$(snapshot)
  if [ "$before" != "$after" ]; then
    diff <(printf '%s\n' "$before" | cat -v) <(printf '%s\n' "$after" | cat -v) | head -20
    fail "after '$label' the screen is not what Ctrl+L paints"
  fi
}

# Sends keys, then checks the screen against a repaint.
step() {
  local label=$1
  shift
  keys "$@"
  check_repaint "$label"
}

# Only the plug-in's list is shown: one box, one cursor bar (the only text
# drawn white on black).
one_list() {
  local label=$1
  screen | $check count "╔" 1 >/dev/null || fail "after '$label' the screen shows more than the list's box"
  screen | $check count "╝" 1 >/dev/null || fail "after '$label' the screen shows more than one bottom edge"
  local bars
  bars=$(T capture-pane -p -e -t t | grep -c $'\e\\[40m')
  [ "$bars" = 1 ] || fail "after '$label' the screen shows $bars cursor bars"
}

# The box whose top edge holds TITLE stands whole on the screen.
whole_box() {
  local title=$1 why
  why=$(screen | $check box "$title" "$(T display -p -t t '#{pane_width}')" 2>&1) || fail "$why"
}

# Resizes the window and waits until the terminal itself has the new size
# (tmux passes it on a moment later), so that velk has been told by then.
resize() {
  T resize-window -t t -x "$1" -y "$2"
  local tty i
  tty=$(T display -p -t t '#{pane_tty}')
  for ((i = 0; i < 100; i++)); do
    [ "$(stty -F "$tty" size 2>/dev/null)" = "$2 $1" ] && return 0
    sleep 0.1
  done
  fail "the terminal did not take the size $1x$2"
}

# A table with a description far wider than any screen here (the plug-in
# cuts its lines at 127 characters), and a line whose masks column is the
# longest line's end.
write_wide_table() {
  local long="" i
  for ((i = 0; i < 11; i++)); do long+="xxxxxxxxxx"; done
  long+="ENDOFLINE127"
  for ((i = 0; i < 13; i++)); do long+="yyyyyyyyyy"; done
  cat > "$work/registry.reg" <<EOF
REGEDIT4

[HKEY_CURRENT_USER\\Software\\VELK\\Associations]

[HKEY_CURRENT_USER\\Software\\VELK\\Associations\\Type0]
"Mask"="*.zip"
"Description"="$long"
"Execute"="unzip {file}"
"AltExec"=""
"View"=""
"AltView"=""
"Edit"=""
"AltEdit"=""

[HKEY_CURRENT_USER\\Software\\VELK\\Associations\\Type1]
"Mask"="*.txt"
"Description"="Text files"
"Execute"="editor {file}"
"AltExec"=""
"View"=""
"AltView"=""
"Edit"=""
"AltEdit"=""
EOF
}

VELK_ENV="VELK_KEYLOG='$keylog'"

case $case_name in
  repaint)
    # A long walk through every kind of screen on the sample table; after
    # each step the screen is what a full repaint shows, and where only the
    # list is shown, nothing of an earlier, larger list stays.
    start_velk
    check_repaint "start"
    step "open" Enter
    wait_for "(25) associations"
    one_list "open"
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
    why=$($check covers Tollex "$work/list.txt" "$work/question.txt" 2>&1) || fail "$why"
    whole_box Tollex
    step "back to the list" Right Right Enter
    wait_gone "Apply the changes?"
    one_list "back to the list"
    esc
    wait_for "Apply the changes?"
    step "discarded" Right Enter
    wait_for "Plug-ins"
    quit_velk
    ;;

  resize)
    # Whatever is shown is laid out again at the new size: the list, the
    # dialog (narrower than it was opened, then wider), a message box, help.
    write_table
    start_velk
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
    ;;

  suspend)
    # Ctrl+Z gives the terminal back with the extended key reports off (in
    # the shell Ctrl+1 sends nothing), fg takes it again at the size it has
    # now, lays the dialog out for it, and switches the reports on again
    # (Ctrl+1 reaches the list).
    write_table
    T new-session -d -s t -x "$screen_columns" -y "$screen_lines" \
      "env -i PATH='$PATH' HOME='$work' HISTFILE=/dev/null LANG=C.UTF-8 TERM=$term PS1='sh\$ ' bash --norc --noprofile -i" \
      || fail "tmux could not start a shell"
    wait_for 'sh$'
    type_text "VELK_KEYLOG='$keylog' '$velk' --plugin '$plugin_copy' --registry '$work/registry.reg'"
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
    ;;

  wide)
    # Right scrolls a wide list to the end of its longest line and no
    # further; marks show where text is cut off. An edit field opens at the
    # start of its text, marks hidden text on either side, and refuses a
    # character code page 437 cannot hold with a bell and a note.
    write_wide_table
    start_velk
    T set-hook -g alert-bell "run-shell 'echo bell >> $work/bells'"
    open_list
    # The list's 127-column lines fit a 200-column screen: then nothing is
    # cut off and Right has nothing to scroll.
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
    # start shown, a mark where it goes on; at its end a mark where it
    # began; in the middle both.
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
    type_text "a"
    wait_gone "€ is not in code page 437"
    keys Enter
    wait_gone "Edit association"
    esc
    wait_for "Apply the changes?"
    keys Enter
    quit_velk
    grep -qF '"Description"="axxxxxxxxx' "$work/registry.reg" || fail "the typed character was not stored at the text's start"
    if grep -q '€' "$work/registry.reg"; then fail "the refused character was stored"; fi
    ;;

  unusable)
    # Terminals velk cannot draw on: one line on standard error pointing to
    # --script, status 2, nothing drawn.
    for how in "TERM=dumb:cannot place the cursor" "TERM=no-such-terminal:no-such-terminal" \
               "small:smaller than the 32x8"; do
      setting=${how%%:*} expected=${how#*:}
      width=$screen_columns height=$screen_lines
      env_term=$term
      case $setting in
        small) width=31 height=7 ;;
        *) env_term=${setting#TERM=} ;;
      esac
      new_server
      rm -f "$work/status"
      T new-session -d -s t -x "$width" -y "$height" \
        "env LANG=C.UTF-8 TERM=$env_term '$velk' --plugin '$plugin_copy' --registry '$work/registry.reg' 2>'$work/err'; echo \$? > '$work/status'; sleep 600" \
        || fail "tmux could not start velk"
      expect_status 2
      [ "$(wc -l < "$work/err")" = 1 ] || fail "$setting: not one line on standard error: $(cat "$work/err")"
      grep -qF -- "$expected" "$work/err" || fail "$setting: the message does not say '$expected': $(cat "$work/err")"
      grep -qF -- "--script" "$work/err" || fail "$setting: the message does not point to --script"
      [ -z "$(screen | tr -d ' \n')" ] || fail "$setting: something was drawn"
      [ ! -e "$work/registry.reg" ] || fail "$setting: the registry file was written"
    done
    ;;

  *)
    echo "unknown case $case_name"
    exit 2
    ;;
esac
echo "passed ($case_name, $size)"
exit 0
