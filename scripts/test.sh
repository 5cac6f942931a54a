#!/usr/bin/env bash
# Builds everything and runs every test: the Linux build, the sanitizer build,
# a bounded fuzzing run, and both Windows builds under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build windows fuzz
for preset in linux asan fuzz windows windows-x86; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)"
  ctest --preset "$preset"
done
