#!/usr/bin/env bash
# Builds the project with AddressSanitizer + UndefinedBehaviorSanitizer in a
# separate Debug build and runs the tests there (test sources compiled in
# batches, as scripts/test.sh does).
# Usage: scripts/sanitize.sh [build-dir] [ctest -R pattern]
#   build-dir defaults to build-asan; the pattern limits the tests run.
#   MORVANE_SANITIZE_TARGETS="test_mvdb test_demo" builds only those targets.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT="$PWD"
BUILD="${1:-build-asan}"
PATTERN="${2:-}"
JOBS="${JOBS:-2}"

cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMORVANE_SANITIZE=ON \
  -DMORVANE_BUILD_BENCH=OFF -DMORVANE_UNITY_TESTS=ON >/dev/null
if [ -n "${MORVANE_SANITIZE_TARGETS:-}" ]; then
  # shellcheck disable=SC2086
  nice -n 10 cmake --build "$BUILD" -j"$JOBS" --target ${MORVANE_SANITIZE_TARGETS}
else
  nice -n 10 cmake --build "$BUILD" -j"$JOBS"
fi

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp:print_suppressions=0"
export QT_QPA_PLATFORM=offscreen

args=(--test-dir "$BUILD" --output-on-failure -j"$JOBS" --timeout 1800)
[ -n "$PATTERN" ] && args+=(-R "$PATTERN")
nice -n 10 ctest "${args[@]}"
