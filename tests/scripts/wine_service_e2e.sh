#!/usr/bin/env bash
# kv4910-service.exe under Wine against the Linux kv4910-sim on a pseudo-terminal made COM1:
# a receipt dropped as the input file is printed once, info.txt is written, the input file is
# deleted, and the terminate marker ends the service within 5 seconds.
#
# usage: wine_service_e2e.sh SERVICE_EXE SIM WORK_DIR
# WINEPREFIX names the (throwaway) prefix; the script leaves its Ports key as it found it.
set -euo pipefail
service_exe=$1 sim=$2 work=$3
repo=$(cd "$(dirname "$0")/../.." && pwd)
home=$work/home
rm -rf "$work" && mkdir -p "$home"
cp "$service_exe" "$home/"            # the program directory is the executable's
cp "$repo"/data/*.lng "$repo"/data/*.msg "$home/"
printf '[CONFIG]\r\nport=0\r\nopozdenie=0\r\ndelay_file=100\r\n' >"$home/rb4900_cfg.ini"

sim_pid= service_pid=
fail() { echo "wine e2e FAILED: $*"; exit 1; }
cleanup() {
  [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null || true
  timeout 20 wine reg delete 'HKLM\Software\Wine\Ports' /v COM1 /f >/dev/null 2>&1 || true
  timeout 20 wineserver -w 2>/dev/null || true
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  rm -f "$WINEPREFIX/dosdevices/com1"
}
trap cleanup EXIT
# Waits up to $1 tenths of a second for the command after it to succeed.
wait_until() {
  local tenths=$1; shift
  for ((i = 0; i < tenths; i++)); do "$@" && return 0; sleep 0.1; done
  return 1
}

# The prefix is set up before COM1 names the pseudo-terminal: setting it up with that link in
# place does not finish.
if [ ! -d "$WINEPREFIX/drive_c" ]; then wineboot -i >/dev/null 2>&1; wineserver -w; fi

# The simulator prints its pseudo-terminal on the first line.
"$sim" --paper "$work/paper.txt" >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
wait_until 50 test -s "$work/sim.out" || fail "the simulator did not start"
pty=$(head -n 1 "$work/sim.out")
mkdir -p "$WINEPREFIX/dosdevices"
ln -sfn "$pty" "$WINEPREFIX/dosdevices/com1"
wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$pty" /f >/dev/null
wineserver -w

(cd "$home" && KV4910_PORTS=COM1 exec wine ./kv4910-service.exe) >"$work/service.out" \
  2>"$work/service.err" &
service_pid=$!
wait_until 600 grep -q 'start-up finished' "$work/service.err" ||
  fail "the service did not finish its start-up: $(tr -d '\r' <"$work/service.err" | tail -n 5)"

cp "$repo/data/samples/receipt.txt" "$home/blocek.part"
mv "$home/blocek.part" "$home/blocek.txt"
wait_until 300 test ! -e "$home/blocek.txt" || fail "the input file was not taken"
grep -qaE '^[0-9]+'$'\r''$' "$home/info.txt" || fail "info.txt: $(cat -v "$home/info.txt")"
wait_until 30 grep -q '^CELKOM' "$work/paper.txt" || fail "nothing printed"
sleep 0.5  # a second copy would follow at once
printed=$(grep -c '^CELKOM' "$work/paper.txt")
[ "$printed" -eq 1 ] || fail "the receipt was printed $printed times"

touch "$home/terminate"
start=$(date +%s%N)
wait_until 50 sh -c "! kill -0 $service_pid 2>/dev/null" ||
  fail "the service still runs 5 s after the terminate marker"
echo "terminate marker ended the service in $((($(date +%s%N) - start) / 1000000)) ms"
status=0; wait "$service_pid" || status=$?
service_pid=
[ "$status" -eq 0 ] || fail "the service ended with $status"
[ ! -e "$home/terminate" ] || fail "the terminate marker was left"
echo "wine e2e passed: receipt printed once, info.txt $(tr -d '\r\n' <"$home/info.txt"), input deleted"
