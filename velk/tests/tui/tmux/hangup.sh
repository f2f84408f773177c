#!/usr/bin/env bash
# The terminal closed under velk, at three sizes: velk ends with the status
# of SIGHUP, and the registry file holds what the plug-in stored.
. "$(dirname "$0")/../tmux_lib.sh"
joined_lines=1
for s in $all_sizes; do
  use_size "$s"
  write_table "$registry"
  start_watched_velk --registry "'$registry'"
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
passed "$all_sizes"
