#!/usr/bin/env bash
# Runs each Ventrix fuzzer for SECONDS on its seed corpus; fails on the first crash.
# Usage: scripts/fuzz.sh BUILD_DIR SECONDS   (BUILD_DIR configured with -DRILO_FUZZ=ON)
# New inputs go to BUILD_DIR/fuzz-corpus, crashes to BUILD_DIR/fuzz-crashes; the seeds
# in formats/fuzz/corpus stay as they are.
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR SECONDS" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
seconds=$2
here=$(cd "$(dirname "$0")/.." && pwd)
fuzz="$here/formats/fuzz"
for format in rilo txt dat; do
  corpus="$build/fuzz-corpus/$format"
  crashes="$build/fuzz-crashes/$format"
  mkdir -p "$corpus" "$crashes"
  echo "fuzzing $format for ${seconds}s"
  "$build/bin/${format}_fuzz" -max_total_time="$seconds" -max_len=16384 -timeout=10 \
    -dict="$fuzz/$format.dict" -artifact_prefix="$crashes/" -print_final_stats=1 \
    "$corpus" "$fuzz/corpus/$format" 2>"$build/fuzz-$format.log" || {
    tail -n 40 "$build/fuzz-$format.log" >&2
    echo "fuzzer $format failed; input kept in $crashes" >&2
    exit 1
  }
  grep -E '^stat::number_of_executed_units|^Done' "$build/fuzz-$format.log" || true
done
echo "fuzzing passed"
