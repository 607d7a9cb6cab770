#!/usr/bin/env bash
# Builds Frametide and runs it with virtual devices instead of a webcam:
# two cameras of different sizes and a test-tone microphone.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
export FRAMETIDE_TEST_DEVICES="${FRAMETIDE_TEST_DEVICES:-video:Virtual Camera:640x480@30;video:Virtual Camera HD:1280x720@30;audio:Virtual Microphone}"
source tests/devices/virtual-env.sh "$PWD/build"
exec build/Frametide
