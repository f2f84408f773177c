#!/usr/bin/env bash
# Large tables, at three sizes: 5,000 entries open as a list that scrolls to
# its last entry; a termination signal while velk loads 50,000 ends it
# during the load (the file untouched, the terminal given back, no lock left
# behind). How long loads take is the benchmark's (tools/bench.sh), not this.
. "$(dirname "$0")/../tmux_lib.sh"
joined_lines=1
table() { PYTHONPATH="$fixtures/../.." python3 -m velk_scenarios.table "$1" "$2" || fail "cannot make a table of $1"; }
table 5000 "$work/t5000.reg"
table 50000 "$work/t50000.reg"
mkdir -p "$(dirname "$registry")"
for s in $all_sizes; do
  use_size "$s"
  cp "$work/t5000.reg" "$registry"
  start_watched_velk --registry "'$registry'"
  open_list
  wait_for "(5000) associations"
  keys End
  wait_for "Entry 4999"
  esc
  quit_velk
  cmp -s "$registry" "$work/t5000.reg" || fail "an end with nothing changed wrote the file"
  end_session

  cp "$work/t50000.reg" "$registry"
  start_watched_velk --registry "'$registry'"
  wait_until "velk did not start" test -s "$work/velk.pid"
  sleep 0.3
  lacks "Plug-ins" || fail "velk loaded 50,000 entries before the signal: no load left to stop"
  kill -s TERM "$(cat "$work/velk.pid")"
  expect_status 143
  expect_terminal_back
  wait_for "velk: ended by SIGTERM; the registry file was not touched"
  cmp -s "$registry" "$work/t50000.reg" || fail "the signal during the load changed the file"
  [ ! -e "$registry.lock" ] || fail "the lock file is left after the signal"
  end_session
done
passed "$all_sizes"
