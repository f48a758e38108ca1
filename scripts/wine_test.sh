#!/usr/bin/env bash
# The Windows build from the same source: cross-compiles Ventrix, the core layers,
# rilo-cli and the tests with MinGW-w64 (no Qt) in build/mingw, with SQLite built from
# Debian's source by scripts/mingw_sqlite.sh in build/mingw-sqlite, then runs the tests
# under Wine in a prefix inside that folder, with no display. The COM-port test drives
# rilo-cli.exe against UNIT_SIM, a rilo-unit-sim built for this machine.
# usage: scripts/wine_test.sh [UNIT_SIM]   (default build/release/bin/rilo-unit-sim)
set -euo pipefail
cd "$(dirname "$0")/.."
sim=$(realpath "${1:-build/release/bin/rilo-unit-sim}")
sqlite="$PWD/build/mingw-sqlite"
scripts/mingw_sqlite.sh "$sqlite"
# No build type: unoptimised and without debug information, the quickest to build and
# link (each test program carries GoogleTest and the C++ runtime).
cmake -S . -B build/mingw -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE= -DRILO_WITH_QT=OFF -DRILO_HOST_UNIT_SIM="$sim" \
  -DSQLite3_INCLUDE_DIR="$sqlite/include" -DSQLite3_LIBRARY="$sqlite/lib/libsqlite3.a" >/dev/null
cmake --build build/mingw
status=0
(cd build/mingw && ctest --output-on-failure -j"$(nproc)") || status=$?
# Nothing of Wine stays running after the stage.
WINEPREFIX="$PWD/build/mingw/wine-prefix" wineserver -k 2>/dev/null || true
exit "$status"
