#!/usr/bin/env bash
# Installs what is missing and builds everything into build/ (the program is build/Frametide).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2
