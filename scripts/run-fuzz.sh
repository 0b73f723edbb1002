#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 30), seeded
# from fuzz/corpus/<target>/ when present.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DQRP_BUILD_FUZZ=ON -DQRP_BUILD_TESTS=OFF \
  -DQRP_BUILD_GUI=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target fuzzers
for target in build-fuzz/fuzz/*_fuzz; do
  name=$(basename "$target")
  work=$(mktemp -d)
  seeds=()
  [ -d "fuzz/corpus/$name" ] && seeds+=("fuzz/corpus/$name")
  # EMF targets also start from the shared real-world corpus when this checkout has it.
  if [[ $name == emf_* && -d ../shared/corpus/emf ]]; then
    seeds+=(../shared/corpus/emf ../shared/corpus/emf-malformed)
  fi
  echo "fuzz: $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
    -print_final_stats=1 "$work" "${seeds[@]}" 2>&1 | tail -n 12
  rm -rf "$work"
done
