# The library of velk's tmux tests: velk's terminal front end runs in a
# detached tmux session of fixed size; keys go in with send-keys, signals
# with kill, and the screen comes back with capture-pane. Each script in
# tmux/ checks one behaviour and sources this file first:
#   tmux/BEHAVIOUR.sh VELK PLUGIN DATADIR [COLUMNSxLINES]
# (the size of the session, 100x32 when not given). Exit 0 passed, 1
# failed, 77 skipped (no tmux).
#
# Gives: $work (a scratch folder, removed at the end), $fixtures (tmux/,
# the tables and scripts the tests start from), $plugin_copy (the plug-in
# beside copies of its language and help files), T (tmux on a socket of
# its own), fail, screen, keys, type_text, esc, the wait_* functions,
# write_table, start_velk / start_watched_velk, expect_status, quit_velk,
# open_list, confirm_and_apply, use_size, the repaint checks (check_repaint, step, one_list,
# whole_box, resize) and the registry file's (registry_has, apply_deletion,
# ...), and passed, the end of every script.
set -u
behaviour=$(basename "$0" .sh)
velk=$1 plugin=$2 data=$3
fixtures=$(cd "$(dirname "${BASH_SOURCE[0]}")/tmux" && pwd)

if ! command -v tmux >/dev/null 2>&1; then
  echo "tmux is not installed: skipped"
  exit 77
fi

work=$(mktemp -d)
chmod 755 "$work"  # another user must reach velk's files for the folder check
sock=$work/tmux.sock
T() { tmux -S "$sock" -f /dev/null "$@"; }
# Ends the session's server; a shell that ran velk under start_watched_velk
# keeps its pane open afterwards (and outlives a closed terminal): it is
# ended by the pid it wrote.
end_session() {
  T kill-server >/dev/null 2>&1
  if [ -s "$work/shell.pid" ]; then kill "$(cat "$work/shell.pid")" 2>/dev/null; fi
  rm -f "$work/shell.pid"
}
cleanup() {
  end_session
  rm -rf "$work"
}
trap cleanup EXIT

# Ends the tmux server and takes a fresh one for the next session (a new
# session on the socket of a server that is still ending can fail).
servers=0
new_server() {
  end_session
  servers=$((servers + 1))
  sock=$work/tmux-$servers.sock
}

# The size of the sessions that start_velk and start_watched_velk open.
use_size() {
  size=$1
  screen_columns=${size%x*}
  screen_lines=${size#*x}
}
use_size "${4:-100x32}"

fail() {
  echo "FAILED ($behaviour, $size): $*"
  echo "---- screen ----"
  T capture-pane -p -t t 2>/dev/null
  echo "----------------"
  exit 1
}

# The screen; with joined_lines=1, lines that the terminal wrapped are
# joined again (for messages of the shell around velk).
joined_lines=0
screen() {
  if [ "$joined_lines" = 1 ]; then T capture-pane -p -J -t t; else T capture-pane -p -t t; fi
}
keys() { T send-keys -t t "$@"; }
# Literal text, not key names.
type_text() { T send-keys -t t -l "$1"; }
# Esc in the unambiguous form of the keyboard protocol velk asks the
# terminal for ("CSI 27 u"): a bare ESC followed at once by another key
# would be read as Alt with it.
esc() { T send-keys -t t -l $'\e[27u'; }

# Waits (at most 15 s) until CHECK succeeds, else fails with WHAT; CHECK is
# a command.
wait_until() {
  local what=$1 i
  shift
  for ((i = 0; i < 75; i++)); do
    "$@" && return 0
    sleep 0.2
  done
  fail "$what"
}
shows() { screen | grep -qF -- "$1"; }
lacks() { ! shows "$1"; }
matches() { screen | grep -qE -- "$1"; }
# Until the screen shows TEXT (a fixed string) / no longer shows it / has a
# line that matches the extended regular expression RE.
wait_for() { wait_until "the screen never showed: $1" shows "$1"; }
wait_gone() { wait_until "the screen still shows: $1" lacks "$1"; }
wait_match() { wait_until "no line of the screen matches: $1" matches "$1"; }

# The plug-in and its files in a folder of their own: velk reads the
# language and help files beside the plug-in.
mkdir -p "$work/plugin"
cp "$plugin" "$work/plugin/" || fail "cannot copy the plug-in $plugin"
cp "$data/TollexEng.lng" "$data/Tollex.hlp" "$work/plugin/" || fail "cannot copy the plug-in's files from $data"
plugin_copy=$work/plugin/$(basename "$plugin")

# A small table of our own (a group header, *.zip and *.txt), so that the
# checks do not depend on the sample: at PATH, $work/registry.reg by default.
write_table() {
  local path=${1:-$work/registry.reg}
  mkdir -p "$(dirname "$path")"
  cp "$fixtures/small_table.reg" "$path"
}

term=screen
if infocmp tmux-256color >/dev/null 2>&1; then term=tmux-256color; fi

# Starts velk in the session, on $work/registry.reg, with more arguments
# given (quoted for the shell as needed); its exit status goes to
# $work/status. VELK_ENV may hold more NAME=VALUE words for its environment.
start_velk() {
  T new-session -d -s t -x "$screen_columns" -y "$screen_lines" \
    "env LANG=C.UTF-8 TERM=$term ${VELK_ENV:-} '$velk' --plugin '$plugin_copy' --registry '$work/registry.reg' $*; echo \$? > '$work/status'; sleep 600" \
    || fail "tmux could not start velk"
  wait_for "Plug-ins"
}

# Starts velk with the given arguments after --plugin (the registry among
# them), under a shell that ignores the terminal's signals so that it can
# record velk's status, and velk's pid in $work/velk.pid (VELK_ENV: more
# environment words, VELK_AS: the command that runs velk as another user).
# Everything velk writes to the terminal is kept in $work/raw.
start_watched_velk() {
  rm -f "$work/status" "$work/velk.pid" "$work/go" "$work/raw"
  cat > "$work/run.sh" <<EOF
echo \$\$ > '$work/shell.pid'
trap : INT QUIT HUP
while [ ! -e '$work/go' ]; do sleep 0.05; done
sh -c 'echo \$\$ > "\$0"; exec "\$@"' '$work/velk.pid' ${VELK_AS:-} env LANG=C.UTF-8 TERM=$term ${VELK_ENV:-} \\
  '$velk' --plugin '$plugin_copy' "\$@"
echo \$? > '$work/status'
exec sleep 600
EOF
  T new-session -d -s t -x "$screen_columns" -y "$screen_lines" "sh '$work/run.sh' $*" \
    || fail "tmux could not start velk"
  T pipe-pane -t t -o "cat >> '$work/raw'" || fail "tmux cannot keep the output"
  touch "$work/go"
}

# Waits until velk has ended and checks its exit status.
expect_status() {
  wait_until "velk did not end" test -s "$work/status"
  [ "$(cat "$work/status")" = "$1" ] || fail "velk ended with status $(cat "$work/status"), not $1"
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

# Confirms the edit dialog, leaves the list, applies the changes and quits
# velk from its menu.
confirm_and_apply() {
  keys Enter
  wait_gone "Edit association"
  esc
  wait_for "Apply the changes?"
  keys Enter
  quit_velk
}

# ---- repaint checks: what velk draws ----------------------------------------

screen_check="python3 $(dirname "${BASH_SOURCE[0]}")/screen_check.py"

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
# tmux to show it. The scripts that use it start velk with
# VELK_ENV=$keylog_env.
keylog=$work/keys.log
keylog_env="VELK_KEYLOG='$keylog'"
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
  local label=$1 bars
  screen | $screen_check count "╔" 1 >/dev/null || fail "after '$label' the screen shows more than the list's box"
  screen | $screen_check count "╝" 1 >/dev/null || fail "after '$label' the screen shows more than one bottom edge"
  bars=$(T capture-pane -p -e -t t | grep -c $'\e\\[40m')
  [ "$bars" = 1 ] || fail "after '$label' the screen shows $bars cursor bars"
}

# The box whose top edge holds TITLE stands whole on the screen.
whole_box() {
  local title=$1 why
  why=$(screen | $screen_check box "$title" "$(T display -p -t t '#{pane_width}')" 2>&1) || fail "$why"
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

# Another size to resize to: the next of the three the screen tests run at.
case $size in
  100x32) other_columns=80 other_lines=24 ;;
  80x24) other_columns=200 other_lines=50 ;;
  *) other_columns=100 other_lines=32 ;;
esac

# ---- the registry file and velk's ways of ending ------------------------------

# The sizes the scripts that loop over sizes run at.
all_sizes="100x32 80x24 200x50"
# The file start_watched_velk is given, in a folder of its own.
registry=$work/reg/registry.reg

registry_has() { grep -qF -- "$1" "$registry"; }
registry_lacks() { ! grep -qF -- "$1" "$registry"; }
mode_of() { stat -c %a "$1"; }
owner_of() { stat -c %u:%g "$1"; }

# velk gave the terminal back: the alternate screen is left and velk's
# frames are gone.
expect_terminal_back() {
  [ "$(T display -p -t t '#{alternate_on}')" = 0 ] || fail "the terminal is still on the alternate screen"
  lacks "║" || fail "velk's frames are still on the screen"
}

# From velk's menu, in the list: delete *.zip (Yes), leave, apply (Yes).
delete_and_apply() {
  wait_for "Plug-ins"
  keys Enter
  wait_for "Zip files"
  keys Down DC
  wait_for "Delete the association"
  keys Enter
  wait_gone "Zip files"
  keys Escape
  wait_for "Apply the changes?"
  keys Enter
}

# The deletion applied: back at velk's menu the plug-in has stored the
# table, and velk has written it.
apply_deletion() {
  delete_and_apply
  wait_gone "Apply the changes?"
  wait_for "Plug-ins"
}

stored_before_the_end() {
  wait_until "the applied table is not in the file while velk runs" registry_lacks '"*.zip"'
  registry_has '"*.txt"' || fail "the file lost *.txt"
}

# The same with the write failing: velk's box is shown.
apply_deletion_fails() {
  delete_and_apply
  wait_for "[ Retry ] [ Quit without saving ]"
}

# Ends the script as passed; SIZES names the sizes it ran at, when more
# than the session's one.
passed() {
  echo "passed ($behaviour, ${1:-$size})"
  exit 0
}
