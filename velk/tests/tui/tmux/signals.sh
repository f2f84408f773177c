#!/usr/bin/env bash
# SIGINT, SIGHUP and SIGTERM sent to velk at its menu, in the list and in a
# dialog, after an applied change, at three sizes: velk gives the terminal
# back, says why it ended, and the registry file holds what the plug-in
# stored. (Ctrl+C at the keyboard is a key: ctrl_keys.sh.)
. "$(dirname "$0")/../tmux_lib.sh"
joined_lines=1
for s in $all_sizes; do
  use_size "$s"
  for place in menu list dialog; do
    for sig in INT HUP TERM; do
      write_table "$registry"
      start_watched_velk --registry "'$registry'"
      apply_deletion
      stored_before_the_end
      case $place in
        list) keys Enter; wait_for "Text files" ;;
        dialog) keys Enter; wait_for "Text files"; keys Down F4; wait_for "Edit association" ;;
      esac
      case $sig in
        INT) kill -s INT "$(cat "$work/velk.pid")"; status=130 ;;
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
passed "$all_sizes"
