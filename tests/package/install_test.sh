#!/usr/bin/env bash
# The package on this machine, run as root (CI): removes any installed kv4910, installs the
# package with apt-get and runs the installed programs as an unprivileged user made for the
# test, headless: the first start seeds the per-user program directory, the sample receipt
# dropped there is printed on kv4910-sim, `kv4910 --version` tells the version; the systemd user
# unit is verified; removing the package leaves the user's directory byte for byte.
# Then the upgrade: the user changes the settings and the price list while the old version runs,
# the newer package goes in without stopping it, and after a restart both files are unchanged.
# A serial port the user may not open is reported with its device; last, purging the package
# leaves the user's directory byte for byte as well.
#
# usage: tests/package/install_test.sh DEB VERSION NEXT_DEB NEXT_VERSION
set -euo pipefail
[ $# -eq 4 ] || { echo "usage: $0 DEB VERSION NEXT_DEB NEXT_VERSION" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "$0: needs root (it installs the package and makes a user)" >&2; exit 2; }
deb=$(realpath "$1")
version=$2
next_deb=$(realpath "$3")
next_version=$4
receipt=$(realpath "$(dirname "$0")/../../data/samples/receipt.txt")

user=kv4910-test
work=$(mktemp -d /tmp/kv4910-package-test.XXXXXX)
pids=()

step() { echo "== $*"; }
fail() {
  echo "FAIL: $*" >&2
  for log in "$work"/*.log; do [ -f "$log" ] && { echo "--- $log" >&2; tail -n 30 "$log" >&2; }; done
  exit 1
}
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  if dpkg -s kv4910 >/dev/null 2>&1; then apt-get purge -y -qq kv4910 >/dev/null 2>&1 || true; fi
  id "$user" >/dev/null 2>&1 && userdel -r "$user" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

apt_quiet() { DEBIAN_FRONTEND=noninteractive apt-get -y -qq --no-install-recommends "$@" >"$work/apt.out" 2>&1 || { cat "$work/apt.out" >&2; fail "apt-get $*"; }; }

# Runs a command as the test user with a clean environment, as a login would give it. Each
# program execs the next, so a command started in the background keeps its process id.
as_user() { "${as_user_cmd[@]}" "$@"; }

wait_for() {  # wait_for SECONDS DESCRIPTION TEST...
  local limit=$1 what=$2
  shift 2
  for _ in $(seq $((limit * 10))); do "$@" && return 0; sleep 0.1; done
  fail "no $what within $limit s"
}

start_sim() {  # start_sim NAME [as-user]: the simulator's pseudo-terminal in $pty
  local name=$1 prefix=()
  [ "${2:-}" = as-user ] && prefix=("${as_user_cmd[@]}")
  "${prefix[@]}" kv4910-sim --paper "$work/$name.paper" --state "$work/$name.state" >"$work/$name.sim" 2>&1 &
  pids+=($!)
  wait_for 10 "pseudo-terminal from kv4910-sim" test -s "$work/$name.sim"
  pty=$(head -n 1 "$work/$name.sim")
}

launch_manager() {  # launch_manager LOG [VAR=VALUE...]: the installed print manager as the user
  local log=$1
  shift
  "${as_user_cmd[@]}" "$@" KV4910_PORTS="$pty" kv4910 /nohide 2>"$work/$log" &
  manager=$!
  pids+=("$manager")
}

start_manager() {  # start_manager LOG [VAR=VALUE...]: launched, and its start-up finished
  launch_manager "$@"
  wait_for 60 "\"start-up finished\" in $1" grep -q "start-up finished" "$work/$1"
}

stop_manager() {
  kill -TERM "$manager"
  local status=0
  wait "$manager" || status=$?
  [ "$status" -eq 0 ] || fail "kv4910 ended with status $status on SIGTERM"
}

snapshot() {  # names, modes, sizes and contents of everything in the user's program directory
  (cd "$progdir" && find . -printf '%p %M %s %T@\n' | sort && find . -type f -exec sha256sum {} + | sort)
  [ -f "$progdir/rb4900_cfg.ini" ] || fail "no settings file in $progdir to compare"
}

uninstall_keeps_user_files() {  # remove|purge PATH: PATH goes, the user's directory stays
  local before
  before=$(snapshot)
  apt_quiet "$1" kv4910
  [ ! -e "$2" ] || fail "$2 is still there after apt-get $1"
  [ "$(snapshot)" = "$before" ] || fail "the user's program directory changed on apt-get $1"
}

step "purge any installed kv4910, install $(basename "$deb")"
if dpkg -s kv4910 >/dev/null 2>&1; then apt_quiet purge kv4910; fi
apt_quiet install "$deb"
[ -x /usr/bin/kv4910 ] && [ -x /usr/bin/kv4910-sim ] && [ -x /usr/bin/kv4910-client ] ||
  fail "the programs are not in /usr/bin"

step "user $user"
id "$user" >/dev/null 2>&1 && userdel -r "$user"
useradd --create-home --shell /bin/sh "$user"
home=$(getent passwd "$user" | cut -d: -f6)
as_user_cmd=(setpriv --reuid="$user" --regid="$user" --init-groups
  env -i HOME="$home" USER="$user" LOGNAME="$user" PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen)
progdir="$home/.local/share/kv4910"
chown "$user:" "$work"
install -m 0644 "$receipt" "$work/receipt.txt"

step "first start of the installed kv4910 against the installed kv4910-sim"
start_sim first as-user
start_manager first.log
echo "--- first start (stderr of kv4910)"
cat "$work/first.log"
echo "--- $progdir"
ls -la "$progdir"
[ "$(stat -c %a "$progdir")" = 700 ] || fail "$progdir is not mode 0700"
for f in rb4900_cfg.ini kv4910_sk.lng kv4910_sk.msg; do
  cmp -s "/usr/share/kv4910/$f" "$progdir/$f" || fail "$f was not seeded from /usr/share/kv4910"
done
as_user sh -c "cp '$work/receipt.txt' '$progdir/blocek.part' && mv '$progdir/blocek.part' '$progdir/blocek.txt'"
wait_for 60 "printed receipt (blocek.txt still there)" test ! -e "$progdir/blocek.txt"
grep -q . "$work/first.paper" || fail "nothing on the simulator's paper"
[ -s "$progdir/info.txt" ] || fail "no info.txt in the program directory"
echo "--- paper"
cat "$work/first.paper"
echo "--- info.txt"
cat "$progdir/info.txt"
stop_manager
got=$(as_user kv4910 --version)
echo "\$ kv4910 --version"
echo "$got"
[ "$got" = "kv4910 $version (program version 1.1.0.4)" ] || fail "kv4910 --version said: $got"

step "systemd-analyze --user verify kv4910.service"
runtime=$(mktemp -d "$work/runtime.XXXXXX")
XDG_RUNTIME_DIR="$runtime" systemd-analyze --user verify /usr/lib/systemd/user/kv4910.service ||
  fail "the user unit does not verify"

step "remove: the user's program directory stays as it was"
uninstall_keeps_user_files remove /usr/bin/kv4910

step "upgrade $version -> $next_version with the print manager running"
apt_quiet install "$deb"
start_manager upgrade-old.log
as_user sh -c "printf '; changed by the operator\r\n' >>'$progdir/rb4900_cfg.ini' &&
  sed -i 's/^opozdenie=2000/opozdenie=500/' '$progdir/rb4900_cfg.ini' &&
  mkdir -p '$progdir/cennik' && printf '%-88s' '8580001234567 Rozky' >'$progdir/cennik/cennik.bin'"
cp "$progdir/rb4900_cfg.ini" "$work/ini.before"
cp "$progdir/cennik/cennik.bin" "$work/cennik.before"
apt_quiet install "$next_deb"
kill -0 "$manager" 2>/dev/null || fail "installing the newer package ended the running print manager"
stop_manager
start_manager upgrade-new.log
stop_manager
got=$(as_user kv4910 --version)
[ "$got" = "kv4910 $next_version (program version 1.1.0.4)" ] || fail "after the upgrade: $got"
cmp "$work/ini.before" "$progdir/rb4900_cfg.ini" || fail "the upgrade changed the settings file"
cmp "$work/cennik.before" "$progdir/cennik/cennik.bin" || fail "the upgrade changed the price list"
echo "settings file and price list unchanged after the upgrade to $next_version"

step "a serial port the user may not open"
start_sim denied  # a pseudo-terminal of root's, which the user may not open
denied_home="$work/denied"
as_user mkdir -m 0700 "$denied_home"
as_user sh -c "printf '[CONFIG]\r\nport=0\r\nopozdenie=0\r\n' >'$denied_home/rb4900_cfg.ini'"
# A device its group may read and write is opened by joining the group (dialout for a serial
# port); a pseudo-terminal of another user is often the owner's alone.
if [ $((0$(stat -c %a "$pty") & 060)) -eq $((060)) ]; then
  expected="Chyba opravnenia: port $pty patri skupine $(stat -c %G "$pty"), pouzivatel $user v nej nie je"
else
  expected="Chyba opravnenia: port $pty moze otvorit len jeho vlastnik $(stat -c %U "$pty")"
fi
# Without a screen the connect question takes Yes: it keeps trying, a pause apart.
launch_manager denied.log KV4910_HOME="$denied_home"
wait_for 30 "\"$expected\" in FM_err.txt" grep -aqsF "$expected" "$denied_home/FM_err.txt"
grep -a "Chyba opravnenia" "$denied_home/FM_err.txt" | head -n 1
stop_manager

step "purge: the user's program directory stays as it was"
uninstall_keeps_user_files purge /usr/share/kv4910

step "package install test passed"
