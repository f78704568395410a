#!/usr/bin/env bash
# Builds the project twice and runs the whole suite through CTest in each:
# an optimised build (warnings are errors) and an AddressSanitizer +
# UndefinedBehaviorSanitizer build (tests labelled "slow" are left out there).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="${JOBS:-2}"

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release
cmake --build build/release -j "$jobs"
ctest --test-dir build/release --output-on-failure -j "$jobs"

cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="-O1 -g" \
  -DTESSARO_SANITIZE=ON -DTESSARO_BENCH=OFF
cmake --build build/asan -j "$jobs"
ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}" \
  ctest --test-dir build/asan --output-on-failure -j "$jobs" -LE slow
