#!/usr/bin/env bash
# Builds Frametide and runs it with this machine's cameras and microphones.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
exec build/Frametide
