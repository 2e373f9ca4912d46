#!/usr/bin/env bash
# Builds the project and runs every test, then builds it again with
# AddressSanitizer and UndefinedBehaviorSanitizer (leaks count as failures)
# and runs every test a second time there.
# Usage: scripts/test.sh [build-dir]   (the sanitized build goes to <build-dir>-asan)
# Both builds precompile the common headers and compile the test sources in
# batches (MORVANE_UNITY_TESTS); the first is a Release build: the whole run
# stays under ten minutes on a 2-core machine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD="${1:-build}"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVANE_UNITY_TESTS=ON >/dev/null
cmake --build "$BUILD" -j2
QT_QPA_PLATFORM=offscreen ctest --test-dir "$BUILD" --output-on-failure -j2 --timeout 600
echo "== the same tests under AddressSanitizer and UndefinedBehaviorSanitizer"
bash scripts/sanitize.sh "$BUILD-asan"
