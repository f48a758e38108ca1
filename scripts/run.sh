#!/usr/bin/env bash
# Installs what is needed, builds the tool and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release
echo "RILO1Q12 itself is not built yet; the library, its tests and rilo-cli are in build/release/bin."
