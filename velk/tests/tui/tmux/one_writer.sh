#!/usr/bin/env bash
# One writer per registry file, at three sizes: a second velk on the same
# file (by another name, through a link) is refused naming the first; an
# end where nothing changed writes nothing, so a change another program made
# meanwhile stays; a write over such a change asks first (Quit without
# saving, Overwrite); a lock left by a killed velk does not block.
. "$(dirname "$0")/../tmux_lib.sh"
joined_lines=1
lock=$registry.lock
# velk on a fresh table, at its menu; then another program changes the
# file (Text files is renamed), and $after_change holds what it wrote.
start_and_change_behind() {
  write_table "$registry"
  start_watched_velk --registry "'$registry'"
  wait_for "Plug-ins"
  [ "${1:-}" != --second ] || expect_second_refused
  sed -i 's/"Text files"/"Changed behind"/' "$registry"
  after_change=$(cat "$registry")
}
# The same, then a deletion applied in velk: velk's box is shown.
apply_over_a_change() {
  start_and_change_behind
  delete_and_apply
  wait_for "The registry file changed on disk"
  wait_for "[ Overwrite ] [ Quit without saving ]"
}
# A second velk on the file through a link: refused at once, before any
# screen, naming the holder's pid.
expect_second_refused() {
  ln -sf registry.reg "$work/reg/other-name.reg"
  local status=0
  "$velk" --plugin "$plugin_copy" --registry "$work/reg/other-name.reg" </dev/null >"$work/second.out" 2>&1 ||
    status=$?
  [ "$status" = 2 ] || fail "a second velk on the file ended with status $status, not 2"
  grep -qF "velk: $work/reg/other-name.reg is in use by another velk (process $(cat "$work/velk.pid"))" "$work/second.out" ||
    fail "the second velk's refusal does not name the first: $(cat "$work/second.out")"
}

for s in $all_sizes; do
  use_size "$s"
  # A second velk, then a change behind velk's back, then q: nothing changed
  # in velk, so the file keeps the other program's change.
  start_and_change_behind --second
  keys q
  expect_status 0
  [ "$(cat "$registry")" = "$after_change" ] || fail "an end with nothing changed wrote the file"
  [ ! -e "$lock" ] || fail "the lock file is left after a normal end"
  end_session

  # A change behind velk's back, then an applied deletion: velk's box; Quit
  # without saving keeps the other program's file.
  apply_over_a_change
  keys Right Enter
  expect_status 4
  expect_terminal_back
  wait_for "velk: cannot write $registry: it changed on disk since velk last read or wrote it; quit without saving"
  [ "$(cat "$registry")" = "$after_change" ] || fail "Quit without saving changed the file"
  [ ! -e "$lock" ] || fail "the lock file is left after quitting"
  end_session

  # The same with Overwrite: the file holds velk's table, and velk goes on.
  apply_over_a_change
  keys Enter
  wait_gone "The registry file changed on disk"
  wait_for "Plug-ins"
  registry_lacks '"*.zip"' || fail "Overwrite did not write the applied deletion"
  registry_has '"Text files"' || fail "Overwrite did not write velk's table"
  # Killed: the lock file stays, and does not keep the next velk out.
  kill -s KILL "$(cat "$work/velk.pid")"
  expect_status 137
  [ -e "$lock" ] || fail "a killed velk left no lock file (the check below would prove nothing)"
  end_session
  start_watched_velk --registry "'$registry'"
  quit_velk
  [ ! -e "$lock" ] || fail "the lock file is left after a normal end"
  end_session
done
passed "$all_sizes"
