#!/usr/bin/env bash
# The Windows build from the same source: cross-compiles Ventrix, the core layers,
# rilo-cli and the tests with MinGW-w64 (no Qt) in DIR, with SQLite built from Debian's
# source by scripts/mingw_sqlite.sh in build/mingw-sqlite. Without a build type:
# unoptimised and without debug information, the quickest to build and link (each test
# program carries GoogleTest and the C++ runtime).
# usage: scripts/mingw_build.sh [--unit-sim PATH] DIR [TARGET...]
#   --unit-sim: a rilo-unit-sim built for this machine, for the COM-port test under
#               Wine (without it, DIR keeps the one it was given before, if any)
#   TARGET...:  only these (default everything)
set -euo pipefail
cd "$(dirname "$0")/.."
options=()
if [ "${1:-}" = --unit-sim ]; then
  options+=(-DRILO_HOST_UNIT_SIM="$(realpath "$2")")
  shift 2
fi
dir=${1:?usage: scripts/mingw_build.sh [--unit-sim PATH] DIR [TARGET...]}
shift
targets=()
(($#)) && targets=(--target "$@")
sqlite="$PWD/build/mingw-sqlite"
scripts/mingw_sqlite.sh "$sqlite"
cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE= -DRILO_WITH_QT=OFF "${options[@]}" \
  -DSQLite3_INCLUDE_DIR="$sqlite/include" -DSQLite3_LIBRARY="$sqlite/lib/libsqlite3.a" >/dev/null
cmake --build "$dir" "${targets[@]}"
