#!/usr/bin/env bash
# The registry file keeps its mode and owner through velk's writes; a file
# made read-only meanwhile is not replaced, and Retry writes once it may
# be; at three sizes.
. "$(dirname "$0")/../tmux_lib.sh"
joined_lines=1
for s in $all_sizes; do
  use_size "$s"
  write_table "$registry"
  chmod 600 "$registry"
  if [ "$(id -u)" = 0 ]; then chown nobody:nogroup "$registry"; fi
  owner=$(owner_of "$registry")
  start_watched_velk --registry "'$registry'"
  apply_deletion
  stored_before_the_end
  [ "$(mode_of "$registry")" = 600 ] || fail "the written file has mode $(mode_of "$registry"), not 600"
  [ "$(owner_of "$registry")" = "$owner" ] || fail "the written file belongs to $(owner_of "$registry"), not $owner"
  # Made read-only while velk runs: never replaced; Retry writes once the
  # file may be written again.
  chmod 444 "$registry"
  before=$(cat "$registry")
  keys Enter
  wait_for "Text files"
  keys Insert
  wait_for "Edit association"
  keys Tab
  type_text "*.iso"
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
passed "$all_sizes"
