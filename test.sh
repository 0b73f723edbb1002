#!/usr/bin/env bash
# Sets up what is missing, builds and runs every test.
#   ./test.sh             release build in build/, all tests
#   ./test.sh --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
#   ./test.sh --tsan      ThreadSanitizer build in build-tsan/ of the Qt-free tests
#                         (report, document, export), where pages are read on threads
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
if [ "${1:-}" = "--tsan" ]; then
  cmake -S . -B build-tsan -G Ninja -DQRP_BUILD_TESTS=ON -DQRP_BUILD_GUI=OFF -DQRP_TSAN=ON \
    -DCMAKE_BUILD_TYPE=Sanitize >/dev/null
  cmake --build build-tsan -j "$(nproc)" --target qrp_report_tests qrp_document_tests qrp_export_tests
  # Any report fails the test that caused it.
  export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
  exec ctest --test-dir build-tsan --output-on-failure -j "$(nproc)" --timeout 600 -L '^(report|document|export)$'
fi
bash scripts/start-cups.sh

cmake -S . -B "$build" -G Ninja -DQRP_BUILD_TESTS=ON "${extra[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The list of suppressions used would land in the error output that tests compare.
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 600
