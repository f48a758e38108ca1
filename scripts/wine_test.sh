#!/usr/bin/env bash
# The Windows build from the same source (scripts/mingw_build.sh in build/mingw), its
# tests run under Wine in a prefix inside that folder, with no display. The COM-port
# test drives rilo-cli.exe against UNIT_SIM, a rilo-unit-sim built for this machine.
# Then, with a Qt for MinGW (scripts/qt_mingw_sdk.sh), the window program: built in
# build/windows, its tests under Wine without a display (its registry preferences, a
# read through COM5, a second start), the zip and the installer made from it
# (scripts/windows_package.sh) and tried on Xvfb (scripts/wine_desktop_test.sh).
# usage: scripts/wine_test.sh [UNIT_SIM]   (default build/release/bin/rilo-unit-sim)
set -euo pipefail
cd "$(dirname "$0")/.."
sim=${1:-build/release/bin/rilo-unit-sim}
scripts/mingw_build.sh --unit-sim "$sim" build/mingw
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

if [ "$status" -eq 0 ]; then
  if sdk=$(scripts/qt_mingw_sdk.sh 2>&1); then
    scripts/mingw_build.sh --unit-sim "$sim" --qt "$sdk" build/windows RILO1Q12 windows_window_test
    (cd build/windows && timeout -k 30 900 ctest -R '^wine_window_test$' --output-on-failure) || status=$?
    hung "$status" "ctest of the window program under Wine" 900 || true
    if [ "$status" -eq 0 ]; then
      zip=$(scripts/windows_package.sh build/windows | head -n1)
      scripts/wine_desktop_test.sh "$(dirname "$zip")" "$sim" || status=$?
    fi
  else
    echo "wine_test.sh: Windows window stage skipped: $sdk"
  fi
fi

# Nothing of Wine stays running after the stage.
for prefix in build/mingw/wine-prefix build/windows/wine-prefix; do
  [ -d "$prefix" ] || continue
  stop=0
  WINEPREFIX="$PWD/$prefix" timeout -k 10 60 wineserver -k 2>/dev/null || stop=$?
  if hung "$stop" "wineserver -k" 60; then status=1; fi
done
exit "$status"
