#!/usr/bin/env bash
# A failing write of the registry file (VELK_FAIL_SAVES), at three sizes:
# Retry writes it, Quit without saving leaves it as it was, and a signal
# while velk's box is shown makes velk try once more on its way out.
. "$(dirname "$0")/../tmux_lib.sh"
joined_lines=1
for s in $all_sizes; do
  use_size "$s"
  # Retry.
  write_table "$registry"
  VELK_ENV=VELK_FAIL_SAVES=1 start_watched_velk --registry "'$registry'"
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
  write_table "$registry"
  before=$(cat "$registry")
  VELK_ENV=VELK_FAIL_SAVES=1 start_watched_velk --registry "'$registry'"
  apply_deletion_fails
  keys Right Enter
  expect_status 4
  expect_terminal_back
  wait_for "velk: cannot write $registry: No space left on device; quit without saving"
  [ "$before" = "$(cat "$registry")" ] || fail "quitting without saving changed the file"
  end_session

  # A termination signal while the box is shown: velk tries once more on
  # its way out, and this time the write goes through.
  write_table "$registry"
  VELK_ENV=VELK_FAIL_SAVES=1 start_watched_velk --registry "'$registry'"
  apply_deletion_fails
  kill -s TERM "$(cat "$work/velk.pid")"
  expect_status 143
  expect_terminal_back
  wait_for "the registry file holds what the plug-in stored"
  registry_lacks '"*.zip"' || fail "the last write on the way out did not happen"
  end_session
done
passed "$all_sizes"
