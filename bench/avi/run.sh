#!/bin/sh
# Builds and runs the AVI compression benchmark; prints the table.
# Usage: bench/avi/run.sh [build-dir] [frames-per-size]
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:-$ROOT/build}
FRAMES=${2:-100}
[ -f "$BUILD/build.ninja" ] || [ -f "$BUILD/Makefile" ] || cmake -S "$ROOT" -B "$BUILD" -G Ninja
cmake --build "$BUILD" -j2 --target ft_avi_bench
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
"$BUILD/bench/avi/ft_avi_bench" "$WORK" "$FRAMES"
