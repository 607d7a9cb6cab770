#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the suite
# as built for use, the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, the capture hand-off under ThreadSanitizer, and
# the fuzzers for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build.sh
ctest --test-dir build --output-on-failure -j2 --timeout 300

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFRAMETIDE_SANITIZE=ON
cmake --build build-sanitize -j2
ctest --test-dir build-sanitize --output-on-failure -j2 --timeout 600

# The capture hand-off under ThreadSanitizer: our code is instrumented, the
# libraries it runs on are not, so reports starting in them are suppressed.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFRAMETIDE_TSAN=ON
cmake --build build-tsan -j2 --target test_capture
TSAN_OPTIONS="suppressions=$PWD/tests/capture/tsan-suppressions.txt halt_on_error=1" \
  ctest --test-dir build-tsan -R '^(CameraTest|DeviceList)' --output-on-failure -j2 --timeout 300

scripts/fuzz.sh 30
