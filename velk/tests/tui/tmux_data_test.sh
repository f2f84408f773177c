#!/usr/bin/env bash
# velk's registry file and its ways of ending, at the terminal: velk runs in
# detached tmux sessions of 100x32, 80x24 and 200x50; keys go in with
# send-keys, signals with kill, and the screen, the exit status and the
# registry file are checked.
#   tmux_data_test.sh CASE VELK PLUGIN DATADIR
# CASE:
#   signals      SIGINT (Ctrl+C), SIGHUP and SIGTERM at velk's menu, in the
#                list and in a dialog, after an applied change
#   hangup       the terminal closed under velk
#   refused      a read-only file, an unwritable folder, a path below a
#                plain file: refused before any screen
#   permissions  mode and owner kept; a file made read-only meanwhile is
#                not replaced, and Retry writes once it may be
#   save_fails   a failing write (VELK_FAIL_SAVES): Retry, Quit without
#                saving, and a signal while the box is shown
# Exit 0 passed, 1 failed, 77 skipped.
set -u
case_name=$1 velk=$2 plugin=$3 data=$4
sizes="100x32 80x24 200x50"

if ! command -v tmux >/dev/null 2>&1; then
  echo "tmux is not installed: skipped"
  exit 77
fi

work=$(mktemp -d)
chmod 755 "$work"  # another user must reach velk's files for the folder check
sock=$work/tmux.sock
size=
T() { tmux -S "$sock" -f /dev/null "$@"; }
# The shell that ran velk keeps the pane open afterwards (and outlives a
# closed terminal): it is ended by the pid it wrote.
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

fail() {
  echo "FAILED ($case_name, $size): $*"
  echo "---- screen ----"
  T capture-pane -p -t t 2>/dev/null
  echo "----------------"
  exit 1
}

# The screen, lines that the terminal wrapped joined again.
screen() { T capture-pane -p -J -t t; }
keys() { T send-keys -t t "$@"; }

# Waits (at most 15 s) until CHECK succeeds; CHECK is a command.
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
lacks() { ! screen | grep -qF -- "$1"; }
wait_for() { wait_until "the screen never showed: $1" shows "$1"; }
wait_gone() { wait_until "the screen still shows: $1" lacks "$1"; }

mkdir -p "$work/plugin"
cp "$plugin" "$data/TollexEng.lng" "$data/Tollex.hlp" "$work/plugin/" || fail "cannot copy the plug-in and its files"
plugin_copy=$work/plugin/$(basename "$plugin")
registry=$work/reg/registry.reg

# A small table: a group header, *.zip and *.txt.
write_table() {
  mkdir -p "$(dirname "$registry")"
  cat > "$registry" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\VELK\Associations\Type0]
"Mask"=hex(1):10,41,72,63,68,69,76,65,73,00
"Description"=""

[HKEY_CURRENT_USER\Software\VELK\Associations\Type1]
"Mask"="*.zip"
"Description"="Zip files"

[HKEY_CURRENT_USER\Software\VELK\Associations\Type2]
"Mask"="*.txt"
"Description"="Text files"
EOF
}

term=screen
if infocmp tmux-256color >/dev/null 2>&1; then term=tmux-256color; fi

# Starts velk at $size with the given arguments after --plugin and
# --registry (and the environment words in VELK_ENV, the user in VELK_AS).
# Everything velk writes to the terminal is kept in $work/raw. The pane's
# shell ignores the terminal's signals, so that it can record velk's status.
start_velk() {
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
  T new-session -d -s t -x "${size%x*}" -y "${size#*x}" "sh '$work/run.sh' $*" || fail "tmux could not start velk"
  T pipe-pane -t t -o "cat >> '$work/raw'" || fail "tmux cannot keep the output"
  touch "$work/go"
}

# Waits for velk to end and checks its status.
expect_status() {
  wait_until "velk did not end" test -s "$work/status"
  [ "$(cat "$work/status")" = "$1" ] || fail "velk ended with status $(cat "$work/status"), not $1"
}

# velk gave the terminal back: the alternate screen is left and velk's
# frames are gone.
expect_terminal_back() {
  [ "$(T display -p -t t '#{alternate_on}')" = 0 ] || fail "the terminal is still on the alternate screen"
  lacks "║" || fail "velk's frames are still on the screen"
}

registry_has() { grep -qF -- "$1" "$registry"; }
registry_lacks() { ! grep -qF -- "$1" "$registry"; }

# In the list: delete *.zip (Yes), leave, apply (Yes). Back at velk's menu
# the plug-in has stored the table, and velk has written it.
apply_deletion() {
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
  wait_gone "Apply the changes?"
  wait_for "Plug-ins"
}

stored_before_the_end() {
  wait_until "the applied table is not in the file while velk runs" registry_lacks '"*.zip"'
  registry_has '"*.txt"' || fail "the file lost *.txt"
}

# The same with the write failing: velk's box is shown.
apply_deletion_fails() {
  wait_for "Plug-ins"
  keys Enter
  wait_for "Zip files"
  keys Down DC
  wait_for "Delete the association"
  keys Enter Escape
  wait_for "Apply the changes?"
  keys Enter
  wait_for "[ Retry ] [ Quit without saving ]"
}

mode_of() { stat -c %a "$1"; }
owner_of() { stat -c %u:%g "$1"; }

case $case_name in
  signals)
    for size in $sizes; do
      for place in menu list dialog; do
        for sig in INT HUP TERM; do
          write_table
          start_velk --registry "'$registry'"
          apply_deletion
          stored_before_the_end
          case $place in
            list) keys Enter; wait_for "Text files" ;;
            dialog) keys Enter; wait_for "Text files"; keys Down F4; wait_for "Edit association" ;;
          esac
          case $sig in
            INT) keys C-c; status=130 ;;
            HUP) kill -s HUP "$(cat "$work/velk.pid")"; status=129 ;;
            TERM) kill -s TERM "$(cat "$work/velk.pid")"; status=143 ;;
          esac
          expect_status $status
          expect_terminal_back
          wait_for "velk: ended by SIG$sig; the registry file holds what the plug-in stored"
          registry_lacks '"*.zip"' || fail "SIG$sig in the $place: the applied deletion is lost"
          registry_has '"Text files"' || fail "SIG$sig in the $place: the file lost the rest of the table"
          end_session
        done
      done
    done
    ;;

  hangup)
    for size in $sizes; do
      write_table
      start_velk --registry "'$registry'"
      apply_deletion
      keys Enter
      wait_for "Text files"
      pid=$(cat "$work/velk.pid")
      # The pane goes away with its terminal; its shell lives on to record
      # velk's status.
      T kill-server
      expect_status 129
      ! kill -0 "$pid" 2>/dev/null || fail "velk still runs after its terminal was closed"
      registry_lacks '"*.zip"' || fail "the applied deletion is lost"
      registry_has '"Text files"' || fail "the file lost the rest of the table"
      end_session
    done
    ;;

  refused)
    # Another user for the unwritable folder when the tests run as root,
    # who may write any folder.
    as_user=
    if [ "$(id -u)" = 0 ]; then
      command -v setpriv >/dev/null 2>&1 || { echo "setpriv is needed to drop root: skipped"; exit 77; }
      as_user="setpriv --reuid=nobody --regid=nogroup --clear-groups"
    fi
    refused() {  # $1 the registry path, $2 the expected message; the rest: what velk runs as
      local path=$1 message=$2
      VELK_AS=${3:-} start_velk --registry "'$path'"
      expect_status 2
      wait_for "$message"
      if grep -qF $'\e[?1049h' "$work/raw"; then fail "velk opened its screen before refusing $path"; fi
      [ "$(grep -oF -- "$path" "$work/raw" | wc -l)" = 1 ] || fail "the message does not name $path once"
      end_session
    }
    for size in $sizes; do
      write_table
      chmod 444 "$registry"
      before=$(cat "$registry")
      refused "$registry" "velk: cannot write $registry: the file is read-only"
      [ "$before" = "$(cat "$registry")" ] && [ "$(mode_of "$registry")" = 444 ] || fail "the read-only file changed"
      refused "$registry/below.reg" "velk: cannot write $registry/below.reg: Not a directory"

      # A folder the user cannot write: the file in it cannot be replaced,
      # nor a new one made, though the user may write the file itself.
      locked=$work/locked
      rm -rf "$locked"
      mkdir -p "$locked"
      cp "$registry" "$locked/registry.reg"
      if [ -n "$as_user" ]; then
        chown nobody:nogroup "$locked/registry.reg"
      else
        chmod 555 "$locked"
      fi
      chmod 644 "$locked/registry.reg"
      refused "$locked/registry.reg" "velk: cannot write $locked/registry.reg: cannot create a file in its folder: Permission denied" "$as_user"
      refused "$locked/new.reg" "velk: cannot create $locked/new.reg: cannot create a file in its folder: Permission denied" "$as_user"
      [ ! -e "$locked/new.reg" ] || fail "a file was made in the locked folder"
      chmod 755 "$locked"
    done
    ;;

  permissions)
    for size in $sizes; do
      write_table
      chmod 600 "$registry"
      if [ "$(id -u)" = 0 ]; then chown nobody:nogroup "$registry"; fi
      owner=$(owner_of "$registry")
      start_velk --registry "'$registry'"
      apply_deletion
      stored_before_the_end
      [ "$(mode_of "$registry")" = 600 ] || fail "the written file has mode $(mode_of "$registry"), not 600"
      [ "$(owner_of "$registry")" = "$owner" ] || fail "the written file belongs to $(owner_of "$registry"), not $owner"
      # Made read-only while velk runs: never replaced; Retry writes once
      # the file may be written again.
      chmod 444 "$registry"
      before=$(cat "$registry")
      keys Enter
      wait_for "Text files"
      keys Insert
      wait_for "Edit association"
      keys Tab
      T send-keys -t t -l "*.iso"
      keys Enter
      wait_for "*.iso"
      keys Escape
      wait_for "Apply the changes?"
      keys Enter
      wait_for "Cannot write the registry file"
      wait_for "the file is read-only"
      [ "$before" = "$(cat "$registry")" ] || fail "the read-only file was replaced"
      keys Enter
      wait_for "Cannot write the registry file"
      chmod 640 "$registry"
      keys Enter
      wait_gone "Cannot write the registry file"
      wait_for "Plug-ins"
      registry_has '"*.iso"' || fail "Retry did not write the file"
      [ "$(mode_of "$registry")" = 640 ] || fail "the file's mode 640 was not kept"
      keys q
      expect_status 0
      [ "$(owner_of "$registry")" = "$owner" ] || fail "the owner was not kept at the end"
      end_session
    done
    ;;

  save_fails)
    for size in $sizes; do
      # Retry.
      write_table
      VELK_ENV=VELK_FAIL_SAVES=1 start_velk --registry "'$registry'"
      apply_deletion_fails
      wait_for "Cannot write the registry file"
      wait_for "No space left on device"
      registry_has '"*.zip"' || fail "the failed write changed the file"
      ls "$(dirname "$registry")" | grep -q '\.tmp' && fail "the failed write left its temporary file"
      keys Enter
      wait_gone "Cannot write the registry file"
      wait_for "Plug-ins"
      registry_lacks '"*.zip"' || fail "Retry did not write the file"
      keys q
      expect_status 0
      end_session

      # Quit without saving.
      write_table
      before=$(cat "$registry")
      VELK_ENV=VELK_FAIL_SAVES=1 start_velk --registry "'$registry'"
      apply_deletion_fails
      keys Right Enter
      expect_status 4
      expect_terminal_back
      wait_for "velk: cannot write $registry: No space left on device; quit without saving"
      [ "$before" = "$(cat "$registry")" ] || fail "quitting without saving changed the file"
      end_session

      # A termination signal while the box is shown: velk tries once more
      # on its way out, and this time the write goes through.
      write_table
      VELK_ENV=VELK_FAIL_SAVES=1 start_velk --registry "'$registry'"
      apply_deletion_fails
      kill -s TERM "$(cat "$work/velk.pid")"
      expect_status 143
      expect_terminal_back
      wait_for "the registry file holds what the plug-in stored"
      registry_lacks '"*.zip"' || fail "the last write on the way out did not happen"
      end_session
    done
    ;;

  *)
    echo "unknown case $case_name"
    exit 2
    ;;
esac
echo "passed ($case_name)"
exit 0
