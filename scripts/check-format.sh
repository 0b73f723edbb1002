#!/usr/bin/env bash
# Fails when a C or C++ file in the repository is not formatted by the project's .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "check-format: clang-format not installed, skipped"; exit 0; }
files=$(git ls-files '*.c' '*.cpp' '*.h')
bad=$(for f in $files; do clang-format --dry-run "$f" 2>&1 | grep -q warning && echo "$f"; done || true)
if [ -n "$bad" ]; then
  echo "check-format: these files need clang-format -i:"
  echo "$bad"
  exit 1
fi
echo "check-format: all files formatted"
