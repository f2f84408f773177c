#!/usr/bin/env bash
# A read-only file, an unwritable folder, a path below a plain file: velk
# refuses them before any screen, naming the file once, at three sizes.
. "$(dirname "$0")/../tmux_lib.sh"
joined_lines=1
# Another user for the unwritable folder when the tests run as root, who
# may write any folder.
as_user=
if [ "$(id -u)" = 0 ]; then
  command -v setpriv >/dev/null 2>&1 || { echo "setpriv is needed to drop root: skipped"; exit 77; }
  as_user="setpriv --reuid=nobody --regid=nogroup --clear-groups"
fi

# Starts velk on PATH (run as the command in $3, if any) and expects it to
# refuse the file with MESSAGE.
refused() {
  local path=$1 message=$2
  VELK_AS=${3:-} start_watched_velk --registry "'$path'"
  expect_status 2
  wait_for "$message"
  if grep -qF $'\e[?1049h' "$work/raw"; then fail "velk opened its screen before refusing $path"; fi
  [ "$(grep -oF -- "$path" "$work/raw" | wc -l)" = 1 ] || fail "the message does not name $path once"
  end_session
}

for s in $all_sizes; do
  use_size "$s"
  write_table "$registry"
  chmod 444 "$registry"
  before=$(cat "$registry")
  refused "$registry" "velk: cannot write $registry: the file is read-only"
  [ "$before" = "$(cat "$registry")" ] && [ "$(mode_of "$registry")" = 444 ] || fail "the read-only file changed"
  refused "$registry/below.reg" "velk: cannot write $registry/below.reg: Not a directory"

  # A folder the user cannot write: the file in it cannot be replaced, nor
  # a new one made, though the user may write the file itself.
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
passed "$all_sizes"
