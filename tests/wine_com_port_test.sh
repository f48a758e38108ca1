#!/usr/bin/env bash
# rilo-cli.exe reads and writes a unit's settings through the Win32 serial port under
# Wine. The COM ports are Wine's links to the pseudo-terminal of a rilo-unit-sim running
# on this machine: COM5 opened by its plain name, COM12 as "\\.\COM12".
# usage: wine_com_port_test.sh UNIT_SIM BIN_DIR WINEPREFIX RUN...
#   RUN... starts a Windows program (Wine with its prefix and settings).
set -euo pipefail
sim=$1 bin=$2 prefix=$3
shift 3
run=("$@")
scratch=$(mktemp -d)
# shellcheck source=scripts/wine_checks.sh
. "$(dirname "$0")/../scripts/wine_checks.sh"
cleanup() {
  [ -z "$unit_pid" ] || kill "$unit_pid" 2>/dev/null || true
  rm -f "$prefix/dosdevices/com5" "$prefix/dosdevices/com12"
  rm -rf "$scratch"
}
trap cleanup EXIT

start_unit "$sim" "$scratch/unit"
ln -sfn "$scratch/unit" "$prefix/dosdevices/com5"
ln -sfn "$scratch/unit" "$prefix/dosdevices/com12"
cd "$scratch"

# cli EXPECTED_EXIT EXPECTED_MESSAGE ARGS...: runs rilo-cli.exe, checks its exit status
# and that its messages hold the expected one. Each call takes seconds; one still
# running after a minute hangs, and is named and killed.
cli() {
  local want=$1 message=$2 status=0
  shift 2
  timeout -k 10 60 "${run[@]}" "$bin/rilo-cli.exe" "$@" >out.txt 2>err.txt || status=$?
  if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    check "rilo-cli $* hung under Wine: killed after 60 s"
  elif [ "$status" -ne "$want" ] || { [ -n "$message" ] && ! grep -qF "$message" err.txt; }; then
    check "rilo-cli $* ended with $status (expected $want); it said:"
    cat err.txt
  else
    check ok
  fi
}

cli 0 "讀取: 讀取設定完成!!" read COM5 -o read.rilo
# The connection check through the Win32 port: Wine's pseudo-terminal port has no modem
# lines, which the check names. Wine's own latency may make a sync late, so the reply
# time (step 7) is only looked for, not judged.
status=0
timeout -k 10 60 "${run[@]}" "$bin/rilo-cli.exe" doctor COM5 >out.txt 2>err.txt || status=$?
passed=0
for step in 1 2 4 5 6; do grep -q "^$step OK " out.txt && passed=$((passed + 1)); done
if [ "$status" -gt 1 ] || [ "$passed" -ne 5 ] || ! grep -q "^3 OK   線路: 9600 8N1" out.txt || ! grep -q "^7 " out.txt; then
  check "rilo-cli doctor COM5 ended with $status; it said:"
  cat out.txt err.txt
else
  check ok
fi
cli 0 "" set read.rilo CBEWAction=7 -o changed.rilo
cli 0 "寫入: 寫入設定完成!!" write COM12 changed.rilo
cli 0 "讀取: 讀取設定完成!!" read COM12 -o again.rilo
# What the unit holds now is what was written.
cli 0 "" show changed.rilo
mv out.txt changed.txt
cli 0 "" show again.rilo
if ! grep -q "^CBEWAction=7" out.txt || ! cmp -s changed.txt out.txt; then
  check "the unit does not hold what was written"
  diff changed.txt out.txt || true
else
  check ok
fi
# A COM port that leads nowhere is the connection failure, not a hang.
rm "$prefix/dosdevices/com12"
cli 1 "連線失敗" read COM12 -o none.rilo

report
