#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 30), several
# at a time, seeded from fuzz/corpus/<target>/ (and, for the EMF targets, the shared
# real-world corpus when this checkout has one). Prints the executions and findings of
# every target and fails when any target found something.
#
#   scripts/run-fuzz.sh [SECONDS] [--jobs N] [--runs N] [TARGET...]
#     --jobs N   targets running at once (default: the number of processors)
#     --runs N   also stop a target after N executions
#     TARGET     only these targets (names as in build-fuzz/fuzz/, ending in _fuzz)
#
# Findings (crash-*, leak-*, timeout-*, oom-* inputs) and each target's log are kept in
# build-fuzz/findings/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=30
jobs=$(nproc)
runs=-1
only=()
while [ $# -gt 0 ]; do
  case $1 in
    --jobs) jobs=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    [0-9]*) seconds=$1; shift ;;
    *) only+=("$1"); shift ;;
  esac
done

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DQRP_BUILD_FUZZ=ON -DQRP_BUILD_TESTS=OFF \
  -DQRP_BUILD_GUI=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target fuzzers >/dev/null

targets=()
for target in build-fuzz/fuzz/*_fuzz; do
  name=$(basename "$target")
  if [ ${#only[@]} -eq 0 ] || [[ " ${only[*]} " == *" $name "* ]]; then
    targets+=("$name")
  fi
done

# One target: a fresh working corpus on top of the committed seeds; real pages run whole
# (256 KiB), so no seed is cut short.
fuzz_one() {
  local name=$1 out=build-fuzz/findings/$1
  rm -rf "$out"
  mkdir -p "$out"
  local work
  work=$(mktemp -d)
  local seeds=()
  [ -d "fuzz/corpus/$name" ] && seeds+=("fuzz/corpus/$name")
  if [[ ($name == emf_* || $name == export_driver_fuzz) && -d ../shared/corpus/emf ]]; then
    seeds+=(../shared/corpus/emf ../shared/corpus/emf-malformed)
  fi
  "build-fuzz/fuzz/$name" -max_total_time="$seconds" -runs="$runs" -max_len=262144 -rss_limit_mb=2048 \
    -timeout=10 -print_final_stats=1 -artifact_prefix="$out/" "$work" "${seeds[@]}" >"$out/log" 2>&1 || true
  rm -rf "$work"
}

running=0
for name in "${targets[@]}"; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n || true
    running=$((running - 1))
  fi
  echo "fuzz: $name for ${seconds}s"
  fuzz_one "$name" &
  running=$((running + 1))
done
wait

failed=0
printf '%-22s %12s %8s %9s\n' target executions exec/s findings
for name in "${targets[@]}"; do
  out=build-fuzz/findings/$name
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/log" | tail -n 1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$out/log" | tail -n 1)
  findings=$(find "$out" -maxdepth 1 \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
  printf '%-22s %12s %8s %9s\n' "$name" "${executions:-?}" "${rate:-?}" "$findings"
  if [ "$findings" -gt 0 ] || [ -z "$executions" ]; then
    failed=1
    grep -m 1 -A 12 'ERROR:\|==ERROR\|runtime error' "$out/log" || tail -n 20 "$out/log"
  fi
done
exit "$failed"
