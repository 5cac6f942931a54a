#!/usr/bin/env bash
# Builds the release packages without the tests (no GoogleTest, no Python):
# the Linux .deb and .tar.gz and the Windows x64 and x86 .zip, each with its
# .sha256, in build/release/<preset>/. Extra arguments go to every configure:
#   scripts/build-release.sh -DYORV_SUPPORT_MAIL_ADDRESS=crash-reports@example.com -DYORV_VERSION=2.3.1
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh release
for preset in linux windows windows-x86; do
  build=build/release/$preset
  cmake --preset "$preset" -B "$build" -DYORV_BUILD_TESTS=OFF "$@" >/dev/null
  cmake --build "$build" -j "$(nproc)" >/dev/null
  cpack --config "$build/CPackConfig.cmake" -B "$build" | sed -n 's/^CPack: - package: //p'
done
