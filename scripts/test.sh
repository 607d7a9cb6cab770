#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the suite
# as built for use, the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the fuzzers for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build.sh
ctest --test-dir build --output-on-failure -j2 --timeout 300

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFRAMETIDE_SANITIZE=ON
cmake --build build-sanitize -j2
ctest --test-dir build-sanitize --output-on-failure -j2 --timeout 600

scripts/fuzz.sh 30
