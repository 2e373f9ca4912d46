#!/usr/bin/env bash
# Runs one libFuzzer target with its seed corpus for a number of seconds.
# Usage: fuzz/run.sh TARGET SECONDS [build-dir]
#   TARGET: query_parse, query_run, jsonl_import, dynarray, dates, dirfile_record
#   (with or without the fuzz_ prefix). Builds the target first (clang++,
#   -DMORVANE_FUZZ=ON, in build-fuzz by default). New inputs found go to
#   fuzz/work/<target>/ (not committed); crashes to fuzz/work/<target>-crashes/.
#   A crashing input, once fixed, becomes a test in tests/reliability that
#   feeds the same bytes to the same code.
set -euo pipefail
cd "$(dirname "$0")/.."
TARGET="${1:?target}"
TARGET="${TARGET#fuzz_}"
SECONDS_TO_RUN="${2:?seconds}"
BUILD="${3:-build-fuzz}"

if [ ! -f "$BUILD/build.ninja" ]; then
  CXX=clang++ CC=clang cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMORVANE_FUZZ=ON -DMORVANE_BUILD_TESTS=OFF -DMORVANE_BUILD_BENCH=OFF >/dev/null
fi
nice -n 15 cmake --build "$BUILD" -j2 --target "fuzz_$TARGET"

WORK="fuzz/work/$TARGET"
CRASHES="fuzz/work/$TARGET-crashes"
mkdir -p "$WORK" "$CRASHES" "fuzz/corpus/$TARGET"
DICT=()
[ -f "fuzz/$TARGET.dict" ] && DICT=(-dict="fuzz/$TARGET.dict")

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
nice -n 15 "$BUILD/fuzz/fuzz_$TARGET" "${DICT[@]}" -max_total_time="$SECONDS_TO_RUN" \
  -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$CRASHES/" "$WORK" "fuzz/corpus/$TARGET"
