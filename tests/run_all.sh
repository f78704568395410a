#!/usr/bin/env bash
# Builds the project three times and runs the suites through CTest:
# an optimised build (warnings are errors) and an AddressSanitizer +
# UndefinedBehaviorSanitizer build (tests labelled "slow" are left out there),
# then, when clang with libFuzzer is there, the fuzz targets and their smoke runs.
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

# Third build: the fuzz targets (clang, libFuzzer, ASan+UBSan) and a smoke
# run of each, a fixed number of inputs from a fixed seed.
if command -v clang++ >/dev/null 2>&1 &&
  printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' |
  clang++ -x c++ -fsanitize=fuzzer,address,undefined - -o /dev/null >/dev/null 2>&1; then
  cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS="-O1 -g" -DTESSARO_FUZZ=ON
  cmake --build build/fuzz -j "$jobs"
  ctest --test-dir build/fuzz --output-on-failure -j "$jobs" -L fuzz
else
  echo "fuzz stage skipped: clang++ with libFuzzer not found (Debian packages clang, libclang-rt-dev)"
fi
