#!/usr/bin/env bash
# Sets up what is missing, builds and runs every test.
#   ./test.sh             release build in build/, all tests
#   ./test.sh --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
set -euo pipefail
cd "$(dirname "$0")"

build=build
# Benchmarks are built (not run) so they cannot rot.
extra=(-DQRP_BUILD_BENCH=ON)
if [ "${1:-}" = "--sanitize" ]; then
  build=build-asan
  extra=(-DQRP_SANITIZE=ON -DCMAKE_BUILD_TYPE=Sanitize)
fi

bash scripts/setup-deps.sh
source scripts/env.sh
bash scripts/start-cups.sh

cmake -S . -B "$build" -G Ninja -DQRP_BUILD_TESTS=ON "${extra[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 600
