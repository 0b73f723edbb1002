#!/usr/bin/env bash
# Sets up what is missing, builds, and opens a report: the bundled sample, or FILE.
#   ./run.sh [FILE]
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/setup-deps.sh
source scripts/env.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)"
report=${1:-build/samples/sample.qrp}
exec build/tools/qrptool/qrptool info "$report"
