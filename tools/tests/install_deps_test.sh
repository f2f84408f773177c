#!/usr/bin/env bash
# Tests of tools/install-deps.sh against stand-ins for apt-get, apt-cache,
# dpkg, dpkg-query and sleep put first on PATH: nothing is installed and no
# index is fetched. The stand-ins play a mirror in the middle of a sync (the
# update fails with apt's "File has unexpected size" and status 100), a set
# that resolves only from the base release, a package no source has, and a
# set that does not resolve at all.
#   tools/tests/install_deps_test.sh      (prints "N passed, M failed")
set -uo pipefail
script=$(cd "$(dirname "$0")/.." && pwd)/install-deps.sh
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fakes=$work/bin
mkdir -p "$fakes"

# The stand-ins keep their state in $FAKE (installed packages, foreign
# architectures, a log of every call) and take their behaviour from:
#   FAKE_UPDATE_FAILS  the first N updates fail (default 0)
#   FAKE_BROKEN        "default": the set resolves only with -t; "always": never
#   FAKE_NO_CANDIDATE  packages no source has
#   FAKE_NOT_UNPACKED  a package apt-get install "installs" without installing it
cat >"$fakes/apt-get" <<'EOF'
#!/usr/bin/env bash
echo "apt-get $*" >>"$FAKE/log"
if [ "$1" = update ]; then
  n=$(($(cat "$FAKE/updates" 2>/dev/null || echo 0) + 1))
  echo "$n" >"$FAKE/updates"
  if [ "$n" -le "${FAKE_UPDATE_FAILS:-0}" ]; then
    echo "E: Failed to fetch http://mirror/debian-security/dists/x-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?"
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
    exit 100
  fi
  exit 0
fi
shift
simulate=0 target= pkgs=()
while [ $# -gt 0 ]; do
  case "$1" in
    -s) simulate=1 ;;
    -t) target=$2; shift ;;
    -*) ;;
    *) pkgs+=("$1") ;;
  esac
  shift
done
for p in "${pkgs[@]}"; do
  case " ${FAKE_NO_CANDIDATE:-} " in *" $p "*)
    echo "E: Package '$p' has no installation candidate"; exit 100 ;;
  esac
done
if [ "${FAKE_BROKEN:-}" = always ] || { [ "${FAKE_BROKEN:-}" = default ] && [ -z "$target" ]; }; then
  echo " wine32:i386 : Depends: libwine:i386 (= 8.0~repack-4) but it is not going to be installed"
  echo "E: Unable to correct problems, you have held broken packages."
  exit 100
fi
[ "$simulate" = 1 ] && exit 0
for p in "${pkgs[@]}"; do
  [ "$p" = "${FAKE_NOT_UNPACKED:-}" ] || echo "$p" >>"$FAKE/installed"
done
EOF
cat >"$fakes/apt-cache" <<'EOF'
#!/usr/bin/env bash
case " ${FAKE_NO_CANDIDATE:-} " in
  *" $2 "*) printf '%s:\n  Installed: (none)\n  Candidate: (none)\n' "$2" ;;
  *) printf '%s:\n  Installed: (none)\n  Candidate: 1.0-1\n' "$2" ;;
esac
EOF
cat >"$fakes/dpkg-query" <<'EOF'
#!/usr/bin/env bash
p=${*: -1}
grep -qx "$p" "$FAKE/installed" 2>/dev/null || exit 1
printf 'install ok installed'
EOF
cat >"$fakes/dpkg" <<'EOF'
#!/usr/bin/env bash
echo "dpkg $*" >>"$FAKE/log"
case "$1" in
  --print-foreign-architectures) cat "$FAKE/arches" 2>/dev/null ;;
  --add-architecture) echo "$2" >>"$FAKE/arches" ;;
esac
EOF
cat >"$fakes/sleep" <<'EOF'
#!/usr/bin/env bash
echo "sleep $*" >>"$FAKE/log"
EOF
chmod +x "$fakes"/*

all_pkgs=$(sed -n '/^native_pkgs=(/,/^wine_pkgs=/p' "$script" | tr -d '()' | sed 's/^[a-z_]*=//' | tr ' ' '\n' | grep -v '^$')
passed=0
failed=0
case_name=
# run_case NAME PRE-INSTALLED [ARGS...]: a fresh machine state with the
# packages PRE-INSTALLED ("all" or a list), then the script; its status,
# output and the stand-ins' log are kept for the checks that follow.
run_case() {
  case_name=$1
  export FAKE=$work/$1
  mkdir -p "$FAKE"
  : >"$FAKE/log"
  if [ "$2" = all ]; then echo "$all_pkgs" >"$FAKE/installed"; else printf '%s\n' $2 >"$FAKE/installed"; fi
  shift 2
  PATH=$fakes:$PATH bash "$script" "$@" >"$FAKE/out" 2>&1
  status=$?
}
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED $case_name: $what"
    sed 's/^/    out: /' "$FAKE/out"
    sed 's/^/    log: /' "$FAKE/log"
  fi
}
has() { grep -qF -- "$1" "$FAKE/${2:-out}"; }
lacks() { ! grep -qF -- "$1" "$FAKE/${2:-out}"; }
times() { [ "$(grep -cF -- "$2" "$FAKE/${3:-log}")" -eq "$1" ]; }
all_but() { echo "$all_pkgs" | grep -vx "$1"; }
every_package_installed() {
  local p
  for p in $all_pkgs; do grep -qx "$p" "$FAKE/installed" || return 1; done
}

# Nothing missing: apt is not touched at all.
nothing_missing() {
  run_case nothing_missing all
  check "exits 0" [ "$status" -eq 0 ]
  check "calls no apt-get" lacks apt-get log
  check "prints nothing" [ ! -s "$FAKE/out" ]
}

# The main job's packages only: no Wine, no i386 architecture.
no_wine() {
  run_case no_wine "cmake g++" --no-wine
  check "exits 0" [ "$status" -eq 0 ]
  check "installs the cross compilers" has g++-mingw-w64-i686 installed
  check "leaves Wine out" lacks wine installed
  check "leaves qemu out" lacks qemu-user-static installed
  check "adds no architecture" lacks --add-architecture log
  check "installs from every source" has "installing from every configured source"
}

# The main job's set: the native compiler, CMake, Ninja and ncurses, and
# nothing for the tests, Windows or Wine.
main_only() {
  run_case main_only "" --main
  check "exits 0" [ "$status" -eq 0 ]
  check "asks for the main job's packages only" grep -qx "install-deps: missing: cmake ninja-build g++ libncurses-dev" "$FAKE/out"
  check "installs them" has libncurses-dev installed
  check "adds no architecture" lacks --add-architecture log
}

# One failed update, then a good one: two updates, one pause between.
update_recovers() {
  FAKE_UPDATE_FAILS=1 run_case update_recovers ""
  check "exits 0" [ "$status" -eq 0 ]
  check "updates twice" times 2 "apt-get update"
  check "pauses once" times 1 "sleep"
  check "shows apt's complaint" has "Mirror sync in progress?"
  check "adds the i386 architecture" has "--add-architecture i386" log
  check "installs everything" every_package_installed
  check "installs from every source" lacks " -t " log
}

# A stale index that stays stale, and a set that resolves only from the base
# release (the fresh machine of a mirror sync in progress).
stale_index() {
  FAKE_UPDATE_FAILS=99 FAKE_BROKEN=default run_case stale_index "cmake"
  check "exits 0" [ "$status" -eq 0 ]
  check "tries the update three times" times 3 "apt-get update"
  check "pauses between the tries only" times 2 "sleep"
  check "goes on with what came down" has "going on with the package indexes that came down"
  check "says it installs from the base release" has "installing from the base release, $codename"
  check "installs with -t $codename" has "apt-get install -y -qq --no-install-recommends -t $codename" log
  check "installs everything" every_package_installed
  check "reports what it installed" has "install-deps: installed"
}

# A package that cannot be had at all: named, and nothing is installed.
no_candidate() {
  FAKE_NO_CANDIDATE="wine32" run_case no_candidate ""
  check "fails" [ "$status" -ne 0 ]
  check "names the package" has "no installable version of: wine32"
  check "names no other" lacks "no installable version of: wine32 "
  check "installs nothing" times 0 "apt-get install -y"
}

# Every package is there but the set cannot be resolved even from the base
# release: apt's reasons are shown.
never_resolves() {
  FAKE_BROKEN=always run_case never_resolves "$(all_but wine32)"
  check "fails" [ "$status" -ne 0 ]
  check "says apt cannot resolve them" has "apt cannot resolve the packages together: wine32"
  check "asks for nothing else" grep -qx "install-deps: missing: wine32" "$FAKE/out"
  check "shows apt's reason" has "held broken packages"
  check "installs nothing" times 0 "apt-get install -y"
}

# apt-get install that ends well without installing a package.
not_unpacked() {
  FAKE_NOT_UNPACKED=qemu-user-static run_case not_unpacked "$(all_but qemu-user-static)"
  check "fails" [ "$status" -ne 0 ]
  check "names the package" has "still not installed: qemu-user-static"
}

for case_function in nothing_missing no_wine main_only update_recovers stale_index no_candidate never_resolves not_unpacked; do
  "$case_function"
done
echo "install-deps tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
