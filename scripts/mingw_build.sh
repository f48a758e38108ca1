#!/usr/bin/env bash
# The Windows build from the same source: cross-compiles Ventrix, the core layers,
# rilo-cli and the tests with MinGW-w64 in DIR, with SQLite built from Debian's source by
# scripts/mingw_sqlite.sh in build/mingw-sqlite. Without Qt and without a build type:
# unoptimised and without debug information, the quickest to build and link (each test
# program carries GoogleTest and the C++ runtime). With Qt: the window program too,
# optimised, as it is shipped.
# usage: scripts/mingw_build.sh [--unit-sim PATH] [--qt SDK] DIR [TARGET...]
#   --unit-sim: a rilo-unit-sim built for this machine, for the COM-port tests under
#               Wine (without it, DIR keeps the one it was given before, if any)
#   --qt:       a Qt for MinGW (scripts/qt_mingw_sdk.sh finds one): a Release build
#               with the window program RILO1Q12.exe and its Windows tests
#   TARGET...:  only these (default everything)
set -euo pipefail
cd "$(dirname "$0")/.."
usage="usage: scripts/mingw_build.sh [--unit-sim PATH] [--qt SDK] DIR [TARGET...]"
options=(-DCMAKE_BUILD_TYPE= -DRILO_WITH_QT=OFF)
while [ "${1:-}" = --unit-sim ] || [ "${1:-}" = --qt ]; do
  [ -n "${2:-}" ] || { echo "$usage" >&2; exit 2; }
  if [ "$1" = --unit-sim ]; then
    options+=(-DRILO_HOST_UNIT_SIM="$(realpath "$2")")
  else
    options+=(-DCMAKE_BUILD_TYPE=Release -DRILO_WITH_QT=ON -DCMAKE_PREFIX_PATH="$(realpath "$2")")
  fi
  shift 2
done
dir=${1:?$usage}
shift
targets=()
(($#)) && targets=(--target "$@")
sqlite="$PWD/build/mingw-sqlite"
scripts/mingw_sqlite.sh "$sqlite"
cmake -S . -B "$dir" -G Ninja --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake "${options[@]}" \
  -DSQLite3_INCLUDE_DIR="$sqlite/include" -DSQLite3_LIBRARY="$sqlite/lib/libsqlite3.a" >/dev/null
cmake --build "$dir" "${targets[@]}"
