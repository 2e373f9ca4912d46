#!/usr/bin/env bash
# Builds the project and runs every test. Usage: scripts/test.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD="${1:-build}"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j2
QT_QPA_PLATFORM=offscreen ctest --test-dir "$BUILD" --output-on-failure -j2 --timeout 600
