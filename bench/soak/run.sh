#!/usr/bin/env bash
# 1,000 photos and 50 short recordings in one run of the main window; the
# process's memory after the first 100 photos and 5 movies should be what it
# is at the end.
# Usage: bench/soak/run.sh [build-dir]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:-$ROOT/build}
cmake --build "$BUILD" -j2 --target ft_soak_bench >/dev/null
source "$ROOT/tests/devices/virtual-env.sh" "$BUILD"
QT_QPA_PLATFORM=offscreen "$BUILD/bench/soak/ft_soak_bench" 2>/dev/null
