#!/usr/bin/env bash
# kv4910-service.exe under Wine against the Linux kv4910-sim on a pseudo-terminal made COM1, with
# client messages on and kv4910-client.exe as the POS program: it registers and asks for the
# status, a receipt dropped as the input file is printed once when it asks (info.txt written,
# input deleted), a second instance quits at once, and closing its window ends it. A second run,
# with messages off, is ended by the terminate marker. Each end comes within 5 seconds.
#
# usage: wine_service_e2e.sh SERVICE_EXE CLIENT_EXE SIM WORK_DIR
# WINEPREFIX names the (throwaway) prefix; the script leaves its Ports key as it found it.
set -euo pipefail
service_exe=$1 client_exe=$2 sim=$3 work=$4
repo=$(cd "$(dirname "$0")/../.." && pwd)
home=$work/home
rm -rf "$work" && mkdir -p "$home"
cp "$service_exe" "$client_exe" "$home/"  # the program directory is the executable's
cp "$repo"/data/*.lng "$repo"/data/*.msg "$home/"
printf '[CONFIG]\r\nport=0\r\nopozdenie=0\r\ndelay_file=100\r\n[SPRAVY]\r\nspravy=1\r\n' \
  >"$home/rb4900_cfg.ini"

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

# Starts the service in the background; its pid in service_pid.
start_service() {
  (cd "$home" && KV4910_PORTS=COM1 exec wine ./kv4910-service.exe) >"$work/service.out" \
    2>"$work/service.err" &
  service_pid=$!
  wait_until 600 grep -q 'start-up finished' "$work/service.err" ||
    fail "the service did not finish its start-up: $(tr -d '\r' <"$work/service.err" | tail -n 5)"
}
# Waits up to 5 s for the service to end by itself, then checks it ended well.
expect_service_ends() {
  local start
  start=$(date +%s%N)
  wait_until 50 sh -c "! kill -0 $service_pid 2>/dev/null" ||
    fail "the service still runs 5 s after $1"
  echo "$1 ended the service in $((($(date +%s%N) - start) / 1000000)) ms"
  local status=0
  wait "$service_pid" || status=$?
  service_pid=
  [ "$status" -eq 0 ] || fail "the service ended with $status after $1"
}
# Runs the client with the given arguments; checks its exit status is 0 and its answers, one
# "code value" a line, match the pattern.
client() {
  local pattern=$1; shift
  local out status=0
  out=$(cd "$home" && wine ./kv4910-client.exe "$@" 2>"$work/client.err" | tr -d '\r') || status=$?
  [ "$status" -eq 0 ] || fail "kv4910-client $* ended with $status: $(tr -d '\r' <"$work/client.err")"
  [[ "$(echo $out)" =~ ^$pattern$ ]] || fail "kv4910-client $*: answered \"$(echo $out)\""
  echo "kv4910-client $*: $(echo $out)"
}

start_service
client '0 0' register
client '0 0 3 [1-9][0-9]*' status

cp "$repo/data/samples/receipt.txt" "$home/blocek.part"
mv "$home/blocek.part" "$home/blocek.txt"
client '0 0 1 1' print
test ! -e "$home/blocek.txt" || fail "the input file was not deleted"
grep -qaE '^[0-9]+'$'\r''$' "$home/info.txt" || fail "info.txt: $(cat -v "$home/info.txt")"
wait_until 30 grep -q '^CELKOM' "$work/paper.txt" || fail "nothing printed"
sleep 0.5  # a second copy would follow at once
printed=$(grep -c '^CELKOM' "$work/paper.txt")
[ "$printed" -eq 1 ] || fail "the receipt was printed $printed times"
client '0 0 2 1' info
client '0 0 7 0' send 7 123

# A second instance finds the first one's window and quits; the first keeps serving.
second=0
(cd "$home" && timeout 30 wine ./kv4910-service.exe) >/dev/null 2>"$work/second.err" || second=$?
[ "$second" -eq 0 ] || fail "the second instance ended with $second"
kill -0 "$service_pid" 2>/dev/null || fail "the first instance ended with the second"
client '0 0 3 [1-9][0-9]*' status

# Closing the window (WM_CLOSE, as taskkill without /f sends it) ends it.
wine taskkill /im kv4910-service.exe >/dev/null 2>&1 || fail "taskkill found no service window"
expect_service_ends "closing its window"

# With client messages on, the print-job timer runs only when a client asks, and the timer is
# what looks for the terminate marker: a second run, with messages off, is ended by the marker.
printf '[CONFIG]\r\nport=0\r\nopozdenie=0\r\ndelay_file=100\r\n' >"$home/rb4900_cfg.ini"
start_service
touch "$home/terminate"
expect_service_ends "the terminate marker"
[ ! -e "$home/terminate" ] || fail "the terminate marker was left"
echo "wine e2e passed: receipt printed once, info.txt $(tr -d '\r\n' <"$home/info.txt"), input deleted"
