#!/usr/bin/env bash
# The Windows build from the same source (scripts/mingw_build.sh in build/mingw), its
# tests run under Wine in a prefix inside that folder, with no display. The COM-port
# test drives rilo-cli.exe against UNIT_SIM, a rilo-unit-sim built for this machine.
# usage: scripts/wine_test.sh [UNIT_SIM]   (default build/release/bin/rilo-unit-sim)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/mingw_build.sh --unit-sim "${1:-build/release/bin/rilo-unit-sim}" build/mingw
# Each Wine call is bounded: CTest ends a test past its TIMEOUT, and each call here
# runs under `timeout`, so a hang fails the stage with the call named.
hung() {  # hung STATUS WHAT SECONDS: true when `timeout` ended WHAT
  [ "$1" -eq 124 ] || [ "$1" -eq 137 ] || return 1
  echo "wine_test.sh: $2 hung: killed after $3 s" >&2
}
status=0
(cd build/mingw && timeout -k 30 1800 ctest --output-on-failure -j"$(nproc)") || status=$?
hung "$status" "ctest of the Windows build under Wine" 1800 || true
# The removed-port read that once hung now and then, a few times more.
if [ "$status" -eq 0 ]; then
  scripts/wine_loop.sh --build build/mingw 20 || status=$?
fi
# Nothing of Wine stays running after the stage.
stop=0
WINEPREFIX="$PWD/build/mingw/wine-prefix" timeout -k 10 60 wineserver -k 2>/dev/null || stop=$?
if hung "$stop" "wineserver -k" 60; then status=1; fi
exit "$status"
