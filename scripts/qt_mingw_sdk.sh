#!/usr/bin/env bash
# Prints the Qt for MinGW that the Windows window program is built with: the shared one
# beside the clone (../shared/qt6-mingw), else the one scripts/build-qt-mingw.sh made in
# build/qt6-mingw. Without either it says why on its error output and exits 1.
# usage: scripts/qt_mingw_sdk.sh
set -euo pipefail
cd "$(dirname "$0")/.."
for sdk in ../shared/qt6-mingw build/qt6-mingw; do
  if [ -f "$sdk/lib/cmake/Qt6/Qt6Config.cmake" ]; then
    realpath "$sdk"
    exit 0
  fi
done
echo "no Qt for MinGW: neither ../shared/qt6-mingw nor build/qt6-mingw (scripts/build-qt-mingw.sh makes it, in about an hour)" >&2
exit 1
