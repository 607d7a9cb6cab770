#!/usr/bin/env bash
# Runs every benchmark and prints its table beside its peer.
# Usage: bench/run.sh [build-dir]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build}
"$ROOT/scripts/build.sh" >/dev/null
# bench/long/run.sh (half an hour) and bench/fuzz/run.sh (twenty minutes) run on their own.
for bench in avi movie preview program soak; do
  echo
  echo "## $bench"
  "$ROOT/bench/$bench/run.sh" "$BUILD"
done
