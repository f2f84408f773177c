# Helpers for running velk's terminal front end in a detached tmux session
# of fixed size: keys go in with send-keys, the screen comes back with
# capture-pane. Sourced by the tmux test scripts, after they set
# case_name, velk, plugin and data (the plug-in's data folder).
#
# Gives: $work (a scratch folder, removed at the end), T (tmux on a socket
# of its own), fail, screen, keys, type_text, the wait_* functions,
# write_table, start_velk / quit_velk / open_list, and $plugin_copy, the
# plug-in beside copies of its language and help files.

if ! command -v tmux >/dev/null 2>&1; then
  echo "tmux is not installed: skipped"
  exit 77
fi

work=$(mktemp -d)
sock=$work/tmux.sock
T() { tmux -S "$sock" -f /dev/null "$@"; }
cleanup() {
  T kill-server >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

# Ends the tmux server and takes a fresh one for the next session (a new
# session on the socket of a server that is still ending can fail).
servers=0
new_server() {
  T kill-server >/dev/null 2>&1
  servers=$((servers + 1))
  sock=$work/tmux-$servers.sock
}

fail() {
  echo "FAILED ($case_name): $*"
  echo "---- screen ----"
  T capture-pane -p -t t 2>/dev/null
  echo "----------------"
  exit 1
}

screen() { T capture-pane -p -t t; }
keys() { T send-keys -t t "$@"; }
# Literal text, not key names.
type_text() { T send-keys -t t -l "$1"; }

# Waits until the screen shows TEXT (a fixed string), at most 15 s.
wait_for() {
  local text=$1 i
  for ((i = 0; i < 75; i++)); do
    screen | grep -qF -- "$text" && return 0
    sleep 0.2
  done
  fail "the screen never showed: $text"
}

# Waits until the screen no longer shows TEXT.
wait_gone() {
  local text=$1 i
  for ((i = 0; i < 75; i++)); do
    screen | grep -qF -- "$text" || return 0
    sleep 0.2
  done
  fail "the screen still shows: $text"
}

# Waits until a line of the screen matches the extended regular expression.
wait_match() {
  local re=$1 i
  for ((i = 0; i < 75; i++)); do
    screen | grep -qE -- "$re" && return 0
    sleep 0.2
  done
  fail "no line of the screen matches: $re"
}

# The plug-in and its files in a folder of their own: velk reads the
# language and help files beside the plug-in.
mkdir -p "$work/plugin"
cp "$plugin" "$work/plugin/" || fail "cannot copy the plug-in $plugin"
cp "$data/TollexEng.lng" "$data/Tollex.hlp" "$work/plugin/" || fail "cannot copy the plug-in's files from $data"
plugin_copy=$work/plugin/$(basename "$plugin")

# A small table of our own, so that the checks do not depend on the sample.
write_table() {
  cat > "$work/registry.reg" <<'TABLE'
REGEDIT4

[HKEY_CURRENT_USER\Software\VELK\Associations]

[HKEY_CURRENT_USER\Software\VELK\Associations\Type0]
"Mask"=hex(1):10,41,72,63,68,69,76,65,73,00
"Description"=""
"Execute"=""
"AltExec"=""
"View"=""
"AltView"=""
"Edit"=""
"AltEdit"=""

[HKEY_CURRENT_USER\Software\VELK\Associations\Type1]
"Mask"="*.zip"
"Description"="Zip files"
"Execute"="unzip {file}"
"AltExec"=""
"View"="unzip -l {file}"
"AltView"=""
"Edit"="zipedit {file}"
"AltEdit"=""

[HKEY_CURRENT_USER\Software\VELK\Associations\Type2]
"Mask"="*.txt"
"Description"="Text files"
"Execute"="editor {file}"
"AltExec"=""
"View"="pager {file}"
"AltView"=""
"Edit"="editor {file}"
"AltEdit"=""
TABLE
}

term=screen
if infocmp tmux-256color >/dev/null 2>&1; then term=tmux-256color; fi

# The size of the session start_velk opens.
screen_columns=100
screen_lines=32

# Starts velk in the session, on $work/registry.reg, with more arguments
# given (quoted for the shell as needed); its exit status goes to
# $work/status. VELK_ENV may hold more NAME=VALUE words for its environment.
start_velk() {
  T new-session -d -s t -x "$screen_columns" -y "$screen_lines" \
    "env LANG=C.UTF-8 TERM=$term ${VELK_ENV:-} '$velk' --plugin '$plugin_copy' --registry '$work/registry.reg' $*; echo \$? > '$work/status'; sleep 600" \
    || fail "tmux could not start velk"
  wait_for "Plug-ins"
}

# Waits until velk has ended and checks its exit status.
expect_status() {
  local want=$1 i
  for ((i = 0; i < 75; i++)); do
    [ -s "$work/status" ] && break
    sleep 0.2
  done
  [ -s "$work/status" ] || fail "velk did not end"
  [ "$(cat "$work/status")" = "$want" ] || fail "velk ended with status $(cat "$work/status"), not $want"
}

# Quits velk from its plug-ins menu and checks that it ended normally.
quit_velk() {
  wait_for "Plug-ins"
  keys q
  expect_status 0
}

open_list() {
  wait_for "Plug-ins"
  keys Enter
  wait_for "associations"
}
