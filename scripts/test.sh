#!/usr/bin/env bash
# Installs what is needed, builds everything under AddressSanitizer and
# UndefinedBehaviorSanitizer and runs every test, does the same for the Release build,
# builds the Windows programs and runs their tests under Wine, builds the Debian
# package from the Release build and tries it, then runs each fuzzer briefly.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
# One throwaway PostgreSQL server for the ledger's tests in both builds, stopped however
# this ends; one a killed run left behind goes first. Root runs it as the postgres
# account, which cannot reach a clone in a closed folder such as /root: then it lives
# in a folder of its own under /tmp.
mkdir -p build
pg=build/postgres
if [ "$(id -u)" -eq 0 ] && ! runuser -u postgres -- test -x "$PWD/build"; then
  pg=/tmp/rilo-postgres-$(echo "$PWD" | md5sum | cut -c1-8)
fi
./scripts/postgres_scratch.sh stop "$pg" || true
trap './scripts/postgres_scratch.sh stop "$pg"' EXIT
trap 'exit 1' INT TERM HUP
RILO_TEST_POSTGRES=$(./scripts/postgres_scratch.sh start "$pg")
export RILO_TEST_POSTGRES RILO_REQUIRE_POSTGRES=1
# The house format holds everywhere.
git ls-files '*.c' '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRILO_SANITIZE=ON >/dev/null
cmake --build build/asan
(cd build/asan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)")
# The optimised build too: -O3 inlines enough to warn (and fail) where -O0 does not,
# and timing-sensitive code runs at its real speed.
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release
(cd build/release && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)")
# The Windows build, its tests under Wine; the COM-port test uses the Release build's unit.
./scripts/wine_test.sh build/release/bin/rilo-unit-sim
# The Debian package, from that Release build, tried from a scratch root.
./scripts/package_test.sh build/release
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRILO_FUZZ=ON >/dev/null
cmake --build build/fuzz
./scripts/fuzz.sh build/fuzz "${FUZZ_SECONDS:-15}"
