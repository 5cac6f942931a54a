#!/usr/bin/env bash
# Builds everything and runs every test: the Linux build, the sanitizer build,
# a bounded fuzzing run, and both Windows builds under Wine; then makes the
# packages of the release builds, lints the .deb, checks that a version set
# when configuring reaches the Windows executable, and builds every package
# twice to check that the bytes are the same. Every CTest run is made, even
# after one failed; the command ends with one line counting the tests of all
# of them, the skipped ones named above it, and a non-zero status when a test,
# a build or a check failed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build windows windows-x86 fuzz release
presets=(linux asan fuzz windows windows-x86)
for preset in "${presets[@]}"; do rm -f "build/$preset/ctest-results.xml"; done
summary() {
  local results=()
  for preset in "${presets[@]}"; do results+=("build/$preset/ctest-results.xml"); done
  echo "=== summary"
  python3 scripts/test-summary.py "${results[@]}"
}
trap summary EXIT
failed=()
for preset in "${presets[@]}"; do
  echo "=== $preset"
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j "$(nproc)"; }; then
    failed+=("the $preset build")
  elif ! ctest --preset "$preset" --output-junit "$PWD/build/$preset/ctest-results.xml"; then
    failed+=("$preset tests")
  fi
done
stop_if_failed() {
  [ ${#failed[@]} -eq 0 ] && return
  printf 'failed: %s\n' "${failed[@]}" >&2
  exit 1
}
# The packages are made of the builds: without one of them there is nothing to check.
[[ " ${failed[*]}" != *build* ]] || stop_if_failed
# Nothing in the Linux sender can throw, so the exception runtime stays out.
if nm build/linux/yorv-report-sender | grep -E ' (__cxa_throw|__cxa_demangle)$'; then
  echo "the Linux sender links the exception runtime" >&2
  exit 1
fi
for preset in linux windows windows-x86; do
  echo "=== package $preset"
  cpack --preset "$preset" | grep 'generated'
done
[ "$(dpkg-deb -c build/linux/yorv-report-sender_*.deb | grep -c ' \./usr/libexec/yorv/yorv-report-sender$')" -eq 1 ]

echo "=== lintian"
lintian --allow-root build/linux/yorv-report-sender_*.deb | tee build/linux/lintian.txt
if grep -E '^(E|W):' build/linux/lintian.txt; then exit 1; fi

echo "=== a version set when configuring"
cmake --preset windows -B build/version-2.3.1 -DYORV_VERSION=2.3.1 -DYORV_BUILD_TESTS=OFF >/dev/null
cmake --build build/version-2.3.1 -j "$(nproc)" >/dev/null
[ "$(strings -el build/version-2.3.1/yorv-report-sender.exe | grep -cx 2.3.1)" -ge 2 ]  # FileVersion, ProductVersion
grep -qa 'name="Dravonel.Yorv.ReportSender" version="2.3.1.0"' build/version-2.3.1/yorv-report-sender.exe

echo "=== reproducible"
scripts/check-reproducible.sh
stop_if_failed
