#!/usr/bin/env bash
# Builds the project and runs every test, then builds it again with
# AddressSanitizer and UndefinedBehaviorSanitizer (leaks count as failures)
# and runs every test a second time there.
# Usage: scripts/test.sh [build-dir]   (the sanitized build goes to <build-dir>-asan)
# Both builds share one precompiled header per group of targets, compile the
# test sources in batches (MORVANE_UNITY_TESTS) and link with lld; the first
# is a Release build optimised at -O1 (the engine's sources compile 25-40%
# faster than at -O3). docs/reliability.md ("CI time") has the figures.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD="${1:-build}"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG" \
  -DMORVANE_UNITY_TESTS=ON >/dev/null
cmake --build "$BUILD" -j2
QT_QPA_PLATFORM=offscreen ctest --test-dir "$BUILD" --output-on-failure -j2 --timeout 600
echo "== the same tests under AddressSanitizer and UndefinedBehaviorSanitizer"
bash scripts/sanitize.sh "$BUILD-asan"
