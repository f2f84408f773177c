#!/usr/bin/env bash
# The same keys (same.script) through the terminal and through a script
# give the plug-in the same answers: the two transcripts (every view and
# every answer) and the two saved registries are identical.
. "$(dirname "$0")/../tmux_lib.sh"

# One key of velk's script language, sent as a keyboard sends it. Letters
# go as typed (lower case), the numeric pad's operators as the main
# keyboard's, which velk takes for them; Esc as esc sends it.
send_script_key() {
  local key=$1
  case $key in
    Esc) esc ;;
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

write_table
cp "$work/registry.reg" "$work/scripted.reg"
env LANG=C.UTF-8 "$velk" --plugin "$plugin_copy" --registry "$work/scripted.reg" --columns 80 \
  --script "$fixtures/same.script" --transcript "$work/scripted.txt" || fail "the scripted run failed"
start_velk --columns 80 --transcript "'$work/terminal.txt'"
send_script "$fixtures/same.script"
for ((i = 0; i < 75; i++)); do
  [ "$(grep -c "^== OpenPlugin returned" "$work/terminal.txt")" = 1 ] && break
  sleep 0.2
done
quit_velk
diff -u "$work/scripted.txt" "$work/terminal.txt" || fail "the transcripts differ"
cmp "$work/scripted.reg" "$work/registry.reg" || fail "the saved registries differ"
grep -qF '"Description"="Zip files z-7"' "$work/registry.reg" || fail "the typed description was not saved"
grep -qF 'hex(1):10,2a,2e,7a,69,70,2b,00' "$work/registry.reg" || fail "the header from the history was not saved"
passed
