#!/usr/bin/env bash
# Links to the registry file, at three sizes: a dangling symbolic link gets
# the file it names made (as a shell's > makes it) and stays a link; a file
# with a second hard link is refused before any screen, both names as they
# were.
. "$(dirname "$0")/../tmux_lib.sh"
joined_lines=1
for s in $all_sizes; do
  use_size "$s"
  rm -rf "$work/reg" "$work/elsewhere"
  mkdir -p "$work/reg" "$work/elsewhere"
  # Dangling, relative, into a folder of its own: the normal end keeps the
  # sample table velk started from in the file the link names.
  ln -s ../elsewhere/target.reg "$registry"
  start_watched_velk --registry "'$registry'"
  open_list
  wait_for "Zip archives"
  esc
  quit_velk
  [ -L "$registry" ] || fail "the link was replaced"
  [ "$(readlink "$registry")" = ../elsewhere/target.reg ] || fail "the link points elsewhere now"
  grep -qF '"*.zip"' "$work/elsewhere/target.reg" || fail "the file the link names was not made with the sample"
  [ "$(ls "$work/reg")" = registry.reg ] || fail "velk left files beside the link: $(ls "$work/reg")"
  end_session

  # A second hard link: refused, and neither name changes.
  rm -f "$registry"
  write_table "$registry"
  ln "$registry" "$work/elsewhere/second-name.reg"
  before=$(cat "$registry")
  start_watched_velk --registry "'$registry'"
  expect_status 2
  wait_for "velk: cannot write $registry: the file has 2 hard links, and velk's writes would part them"
  if grep -qF $'\e[?1049h' "$work/raw"; then fail "velk opened its screen before refusing the file"; fi
  [ "$before" = "$(cat "$registry")" ] && [ "$before" = "$(cat "$work/elsewhere/second-name.reg")" ] ||
    fail "a refused file changed"
  [ "$(stat -c %h "$registry")" = 2 ] || fail "the hard link was parted"
  end_session
done
passed "$all_sizes"
