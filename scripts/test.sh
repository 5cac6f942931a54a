#!/usr/bin/env bash
# Builds everything and runs every test: the Linux build, the sanitizer build,
# a bounded fuzzing run, and both Windows builds under Wine; then makes the
# packages of the release builds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build windows fuzz
for preset in linux asan fuzz windows windows-x86; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)"
  ctest --preset "$preset"
done
# Nothing in the Linux sender can throw, so the exception runtime stays out.
if nm build/linux/yorv-report-sender | grep -E ' (__cxa_throw|__cxa_demangle)$'; then
  echo "the Linux sender links the exception runtime" >&2
  exit 1
fi
for preset in linux windows windows-x86; do
  echo "=== package $preset"
  cpack --preset "$preset" | grep 'generated'
done
dpkg-deb -c build/linux/yorv-report-sender_*.deb | grep -q ' \./usr/libexec/yorv/yorv-report-sender$'
