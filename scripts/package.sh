#!/usr/bin/env bash
# Installs what is needed, builds the programs in a Release build and makes the Debian
# package from them; prints the package's path.
# Usage: scripts/package.sh [BUILD_DIR]   (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
build=$(mkdir -p "${1:-build/release}" && cd "${1:-build/release}" && pwd)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target package_contents >&2
rm -rf "$build/package"
(cd "$build" && cpack -G DEB -B package >cpack.log 2>&1) || {
  cat "$build/cpack.log" >&2
  echo "cpack failed" >&2
  exit 1
}
ls "$build"/package/rilo1q12_*.deb
