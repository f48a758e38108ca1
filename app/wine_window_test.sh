#!/usr/bin/env bash
# The Windows window under Wine, without a screen (Qt's offscreen platform). First the
# window's own cases (windows_window_test.exe: its preferences in the registry, a read
# through COM5), with COM5 linked to the pseudo-terminal of a rilo-unit-sim running on
# this machine; then RILO1Q12.exe itself: a first start writes its preferences to the
# registry, and a second start while it runs ends at once and leaves it running.
# usage: wine_window_test.sh UNIT_SIM BIN_DIR WINEPREFIX RUN...
#   RUN... starts a Windows program (Wine with its prefix and settings).
set -euo pipefail
sim=$1 bin=$2 prefix=$3
shift 3
run=("$@")
key='HKLM\SOFTWARE\RILO1 Q10/Q12'
scratch=$(mktemp -d)
first=""
# shellcheck source=scripts/wine_checks.sh
. "$(dirname "$0")/../scripts/wine_checks.sh"
cleanup() {
  [ -z "$first" ] || call 60 "${run[@]}" taskkill /F /IM RILO1Q12.exe >/dev/null 2>&1 || true
  [ -z "$unit_pid" ] || kill "$unit_pid" 2>/dev/null || true
  rm -f "$prefix/dosdevices/com5"
  rm -rf "$scratch"
}
trap cleanup EXIT

start_unit "$sim" "$scratch/unit"
ln -sfn "$scratch/unit" "$prefix/dosdevices/com5"
cd "$scratch"

if call 300 "${run[@]}" "$bin/windows_window_test.exe" >cases.txt 2>&1; then
  check ok
else
  cat cases.txt
  check "windows_window_test.exe"
fi

# The program as a person starts it, twice. Its first start writes the defaults.
call 60 "${run[@]}" reg delete "$key" /reg:32 /f >/dev/null 2>&1 || true
"${run[@]}" "$bin/RILO1Q12.exe" -platform offscreen >first.txt 2>&1 &
first=$!
started=""
for _ in $(seq 60); do
  if call 30 "${run[@]}" reg query "$key" /reg:32 /v COM >com.txt 2>&1; then
    started=yes
    break
  fi
  kill -0 "$first" 2>/dev/null || break
  sleep 1
done
if [ -n "$started" ] && grep -q "COM *REG_SZ *COM1" com.txt; then
  check ok
else
  check "RILO1Q12.exe did not start and write its preferences (COM1) within a minute"
fi

if [ -n "$started" ]; then
  status=0
  call 60 "${run[@]}" "$bin/RILO1Q12.exe" -platform offscreen >second.txt 2>&1 || status=$?
  if [ "$status" -eq 0 ] && kill -0 "$first" 2>/dev/null; then
    check ok
  else
    check "a second RILO1Q12.exe ended with $status beside the first (expected 0, the first still running)"
  fi
fi

report
