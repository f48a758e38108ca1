#!/usr/bin/env bash
# rilo-cli.exe reading from a COM port that is not there, COUNT times under Wine: each
# must end with the connection failure (exit 1, "連線失敗"). The run's display once
# missed its last wake-up now and then, and the read never ended; so each call runs
# under `timeout`, and the hung ones are counted. Exits 0 only when none hung and each
# ended as expected.
# usage: scripts/wine_loop.sh [--build DIR] [COUNT]   (default COUNT 150)
#   --build DIR: a MinGW build to take as it is (its bin/rilo-cli.exe, and its Wine
#   prefix DIR/wine-prefix); without it rilo-cli.exe is built in build/mingw first.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = --build ]; then
  dir=$2
  shift 2
else
  dir=build/mingw
  scripts/mingw_build.sh "$dir" rilo-cli ventrix
fi
count=${1:-150}
dir=$(realpath "$dir")
exe="$dir/bin/rilo-cli.exe"
[ -f "$exe" ] || { echo "wine_loop.sh: no $exe (scripts/mingw_build.sh DIR)" >&2; exit 2; }
# As the build's own tests run Wine (cmake/Wine.cmake): its prefix, no display, no
# offer to install Mono or Gecko.
export WINEPREFIX="$dir/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"; timeout -k 10 60 wineserver -k 2>/dev/null || true' EXIT
cd "$scratch"

# wine_call SECONDS WHAT COMMAND...: runs a Wine command under `timeout`, naming it on
# the script's own error output (fd 3) when it hangs; returns its status.
exec 3>&2
wine_call() {
  local seconds=$1 what=$2 status=0
  shift 2
  timeout -k 10 "$seconds" "$@" || status=$?
  if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    echo "wine_loop.sh: $what hung: killed after $seconds s" >&3
  fi
  return "$status"
}

# The prefix first (made once), so that the reads time only themselves.
wine_call 300 "wineboot --init" wine wineboot --init || exit 1
# COM12 leads nowhere: no link among the prefix's devices (checked again at the end:
# Wine makes one at start-up for a port its registry maps).
rm -f "$WINEPREFIX/dosdevices/com12"

hung=0 wrong=0 started=$SECONDS
for i in $(seq "$count"); do
  status=0
  wine_call 30 "read COM12, call $i of $count" wine "$exe" read COM12 -o none.rilo \
    >out.txt 2>err.txt || status=$?
  if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    hung=$((hung + 1))
  elif [ "$status" -ne 1 ] || ! grep -qF "連線失敗" err.txt || [ -e none.rilo ]; then
    wrong=$((wrong + 1))
    echo "wine_loop.sh: call $i ended with $status (expected 1, 連線失敗, no file); it said:" >&2
    cat err.txt >&2
  fi
  rm -f none.rilo
done
if [ -e "$WINEPREFIX/dosdevices/com12" ]; then
  echo "wine_loop.sh: Wine made COM12 during the run; the reads did not try a missing port" >&2
  exit 2
fi
echo "wine_loop.sh: $count reads of a removed COM12 in $((SECONDS - started)) s: $hung hung, $wrong ended otherwise"
[ "$hung" -eq 0 ] && [ "$wrong" -eq 0 ]
