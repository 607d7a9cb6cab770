#!/usr/bin/env bash
# The preview path: a 1920x1080 30 fps virtual camera delivered to the main
# window's frame handler. Goal: at least 29 frames per second on 2 cores.
# Usage: bench/preview/run.sh [build-dir] [seconds]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:-$ROOT/build}
SECONDS_TO_RUN=${2:-10}
cmake --build "$BUILD" -j2 --target ft_preview_bench >/dev/null
source "$ROOT/tests/devices/virtual-env.sh" "$BUILD"
export QT_QPA_PLATFORM=offscreen
echo "Preview path (virtual camera -> SampleBufferReady -> window), ${SECONDS_TO_RUN} s each"
for size in 1280x720 1920x1080; do
  "$BUILD/bench/preview/ft_preview_bench" "$SECONDS_TO_RUN" "$size" | { [ "$size" = 1280x720 ] && cat || tail -n 1; }
done
