#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# Usage: scripts/fuzz.sh [seconds-per-target]   (CI runs it briefly; bench/fuzz/run.sh for longer)
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-30}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFRAMETIDE_FUZZ=ON >/dev/null
cmake --build build-fuzz -j2 --target RawFramesFuzzer BitmapHandlesFuzzer
for fuzzer in RawFramesFuzzer BitmapHandlesFuzzer; do
  corpus="build-fuzz/corpus/$fuzzer"
  mkdir -p "$corpus"
  echo "fuzzing $fuzzer for ${SECONDS_EACH}s"
  # New inputs go to the build's corpus; the seeds are inputs that once found a fault.
  (cd build-fuzz && "tests/fuzz/$fuzzer" -max_total_time="$SECONDS_EACH" -rss_limit_mb=4096 \
      -print_final_stats=1 "corpus/$fuzzer" "../tests/fuzz/seeds/$fuzzer" 2>&1 | tail -n 12)
  # libFuzzer writes crash-*/leak-* files where it ran and exits non-zero; pipefail keeps that.
done
