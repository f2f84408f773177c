#!/usr/bin/env bash
# velk's interactive front end, driven in a detached tmux session of fixed
# size: keys go in with send-keys, the screen comes back with capture-pane.
#   tui_tmux_test.sh CASE VELK PLUGIN DATADIR
# CASE: list | edit | apply | keys | help | same. Exit 0 passed, 1 failed,
# 77 skipped.
set -u
case_name=$1 velk=$2 plugin=$3 data=$4

. "$(dirname "$0")/tmux_lib.sh"

# One key of velk's script language, sent as a keyboard sends it. Letters
# go as typed (lower case), the numeric pad's operators as the main
# keyboard's, which velk takes for them. Esc goes in the unambiguous form of
# the keyboard protocol velk asks the terminal for ("CSI 27 u"): a bare ESC
# followed at once by the next key would be read as Alt with that key.
send_script_key() {
  local key=$1
  case $key in
    Esc) T send-keys -t t -l $'\e[27u' ;;
    PgUp) keys PPage ;;
    PgDn) keys NPage ;;
    Ins) keys IC ;;
    Del) keys DC ;;
    BackSpace) keys BSpace ;;
    Shift+Tab) keys BTab ;;
    Add) type_text + ;;
    Subtract) type_text - ;;
    Multiply) type_text '*' ;;
    Ctrl+?) keys "C-$(printf %s "${key#Ctrl+}" | tr A-Z a-z)" ;;
    Ctrl+*) keys "C-${key#Ctrl+}" ;;
    ?) type_text "$(printf %s "$key" | tr A-Z a-z)" ;;
    *) keys "$key" ;;
  esac
}

# Sends the keys of a script (its "open" as Enter on the plug-ins menu).
send_script() {
  local word key rest
  while read -r word key rest; do
    case $word in
      open) keys Enter ;;
      key) send_script_key "$key"; sleep 0.05 ;;
      ''|'#'*) ;;
      *) fail "the terminal cannot replay the script command: $word" ;;
    esac
  done < "$1"
}

case $case_name in
  list)
    # The built-in sample table: association lines with their column
    # separators, group headers drawn as bars, the title and bottom line.
    start_velk
    screen | grep -qF "File associations" || fail "the plug-ins menu lacks the plug-in's entry"
    open_list
    wait_match "Description│Masks \([0-9]+\) associations"
    wait_match "║  ═ [A-Z][A-Za-z ]+ ═+"
    wait_match "║  [A-Z][A-Za-z+ -]+ *│\*\.[a-z0-9]+"
    wait_for "Ins, F4 Edit"
    header_lines=$(screen | grep -cE "║  ═ [A-Z][A-Za-z ]+ ═+")
    [ "$header_lines" -ge 2 ] || fail "expected several group headers, saw $header_lines"
    keys Escape
    quit_velk
    ;;

  edit)
    write_table
    start_velk
    open_list
    wait_for "Zip files"
    # The cursor starts on the first line (the group header); edit the next.
    keys Down F4
    wait_for "Edit association"
    wait_for "unzip -l {file}"
    # The check box has the focus first; Tab twice reaches the description.
    keys Tab Tab End
    type_text " (packedX"
    keys BSpace
    type_text ")"
    keys Left Left Left Left Left Left Left
    type_text "re"
    wait_for "Zip files (repacked)"
    keys Enter
    wait_gone "Edit association"
    wait_match "Zip files \(repacked\) *│\*\.zip"
    # A new association: the mask's history offers the mask confirmed above.
    keys Insert
    wait_for "Edit association"
    keys Tab C-Down
    wait_for "═ History ═"
    keys Enter
    wait_gone "═ History ═"
    keys Tab
    type_text "Packed again"
    keys Enter
    wait_match "Packed again *│\*\.zip"
    keys Escape
    wait_for "Apply the changes?"
    keys Enter
    quit_velk
    grep -qF '"Description"="Zip files (repacked)"' "$work/registry.reg" || fail "the edited description was not saved"
    grep -qF '"Description"="Packed again"' "$work/registry.reg" || fail "the new association was not saved"
    [ "$(grep -c '"Mask"="\*.zip"' "$work/registry.reg")" = 2 ] || fail "the history did not fill the new mask"
    ;;

  apply)
    write_table
    start_velk
    open_list
    keys Down Delete
    wait_for "Delete the association"
    wait_for "*.zip"
    wait_for "[ Yes ] [ No ]"
    keys Enter
    wait_gone "Zip files"
    # Leaving asks; Cancel goes back to the list, and leaving again asks again.
    keys Escape
    wait_for "Apply the changes?"
    wait_for "[ Yes ] [ No ] [ Cancel ]"
    keys Right Right Enter
    wait_gone "Apply the changes?"
    wait_for "Text files"
    keys Escape
    wait_for "Apply the changes?"
    # No: nothing is written.
    keys Right Enter
    quit_velk
    grep -qF '"Description"="Zip files"' "$work/registry.reg" || fail "No must keep the deleted association in the table"
    ;;

  keys)
    # The list screen's keys that terminals send in many ways, and velk's
    # alternatives for them.
    write_table
    start_velk
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
    keys Escape
    wait_for "Apply the changes?"
    keys Right Enter
    quit_velk
    ;;

  help)
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
    ;;

  same)
    # The same keys through the terminal and through a script give the
    # plug-in the same answers: the two transcripts (every view and every
    # answer) and the two saved registries are identical.
    cat > "$work/script" <<'EOF'
open
# Edit the zip line's description: type into it, confirm with Enter.
key Down
key F4
key Tab
key Tab
key End
key Space
key Z
key I
key P
key BackSpace
key BackSpace
key Subtract
key 7
key Enter
# A group header from the mask history, the focus going back and forth.
key Ins
key Space
key Tab
key Ctrl+Down
key Enter
key End
key Add
key Tab
key Tab
key Shift+Tab
key Right
key Enter
# Marks, and the deletion question answered No, then Yes.
key PgDn
key Up
key Space
key Home
key Space
key Del
key Left
key Tab
key Right
key Enter
key Del
key Enter
# Leaving: Cancel goes back, then Yes applies.
key Esc
key Right
key Right
key Enter
key Esc
key Enter
EOF
    write_table
    cp "$work/registry.reg" "$work/scripted.reg"
    env LANG=C.UTF-8 "$velk" --plugin "$plugin_copy" --registry "$work/scripted.reg" --columns 80 \
      --script "$work/script" --transcript "$work/scripted.txt" || fail "the scripted run failed"
    start_velk --columns 80 --transcript "'$work/terminal.txt'"
    send_script "$work/script"
    for ((i = 0; i < 75; i++)); do
      [ "$(grep -c "^== OpenPlugin returned" "$work/terminal.txt")" = 1 ] && break
      sleep 0.2
    done
    quit_velk
    diff -u "$work/scripted.txt" "$work/terminal.txt" || fail "the transcripts differ"
    cmp "$work/scripted.reg" "$work/registry.reg" || fail "the saved registries differ"
    grep -qF '"Description"="Zip files z-7"' "$work/registry.reg" || fail "the typed description was not saved"
    grep -qF 'hex(1):10,2a,2e,7a,69,70,2b,00' "$work/registry.reg" || fail "the header from the history was not saved"
    ;;

  *)
    echo "unknown case $case_name"
    exit 2
    ;;
esac
echo "passed ($case_name)"
exit 0
