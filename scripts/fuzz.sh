#!/usr/bin/env bash
# Fuzzes reading and marking the status line for as long as one likes.
# Usage: scripts/fuzz.sh [SECONDS]             libFuzzer over the Linux file code
#        scripts/fuzz.sh --windows [SECONDS]   the same promises over the Windows
#                                              file code, under Wine (x64)
# Without SECONDS, until interrupted. New Linux inputs collect in
# build/fuzz/fuzz/corpus; the checked-in seeds stay as they are. A broken
# promise is printed on a line starting "broken:", and its input saved.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = --windows ]; then
  scripts/install-deps.sh windows
  cmake --preset windows >/dev/null
  cmake --build --preset windows --target windows_fuzz_driver >/dev/null
  exec fuzz/run_under_wine.sh build/windows/tests/fuzz-findings build/windows/tests/windows_fuzz_driver.exe \
    fuzz/corpus "${2:-315360000}"
fi
scripts/install-deps.sh build fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
limit=()
[ $# -gt 0 ] && limit=(-max_total_time="$1")
mkdir -p build/fuzz/fuzz/corpus
build/fuzz/fuzz/status_line_fuzzer "${limit[@]}" -timeout=5 -rss_limit_mb=1024 \
  build/fuzz/fuzz/corpus fuzz/corpus
