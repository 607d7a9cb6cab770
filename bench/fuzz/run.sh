#!/usr/bin/env bash
# The fuzzers for longer than CI gives them: 10 minutes each unless told otherwise.
# Usage: bench/fuzz/run.sh [build-dir-ignored] [seconds-per-target]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
exec "$ROOT/scripts/fuzz.sh" "${2:-600}"
