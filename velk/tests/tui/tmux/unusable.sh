#!/usr/bin/env bash
# Terminals velk cannot draw on: one line on standard error pointing to
# --script, status 2, nothing drawn, no registry file written.
. "$(dirname "$0")/../tmux_lib.sh"
for how in "TERM=dumb:cannot place the cursor" "TERM=no-such-terminal:no-such-terminal" \
           "small:smaller than the 32x8"; do
  setting=${how%%:*} expected=${how#*:}
  width=$screen_columns height=$screen_lines
  env_term=$term
  case $setting in
    small) width=31 height=7 ;;
    *) env_term=${setting#TERM=} ;;
  esac
  new_server
  rm -f "$work/status"
  T new-session -d -s t -x "$width" -y "$height" \
    "env LANG=C.UTF-8 TERM=$env_term '$velk' --plugin '$plugin_copy' --registry '$work/registry.reg' 2>'$work/err'; echo \$? > '$work/status'; sleep 600" \
    || fail "tmux could not start velk"
  expect_status 2
  [ "$(wc -l < "$work/err")" = 1 ] || fail "$setting: not one line on standard error: $(cat "$work/err")"
  grep -qF -- "$expected" "$work/err" || fail "$setting: the message does not say '$expected': $(cat "$work/err")"
  grep -qF -- "--script" "$work/err" || fail "$setting: the message does not point to --script"
  [ -z "$(screen | tr -d ' \n')" ] || fail "$setting: something was drawn"
  [ ! -e "$work/registry.reg" ] || fail "$setting: the registry file was written"
done
passed
