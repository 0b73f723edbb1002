#!/usr/bin/env bash
# Sets up what is missing, builds, and opens a report in the viewer: the bundled sample, or FILE.
#   ./run.sh [FILE]
set -euo pipefail
# A FILE given relative to where the user stands, before moving to the project.
report=
if [ $# -gt 0 ]; then
  report=$(realpath -m -- "$1")
fi
cd "$(dirname "$0")"

bash scripts/setup-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)" --target qrpview samples
# Without a display Qt would only stop with a message about platform plugins.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found. Run it under a virtual display: xvfb-run -a ./run.sh${1:+ $1}" >&2
  exit 1
fi
exec build/src/app/qrpview "${report:-build/samples/sample.qrp}"
