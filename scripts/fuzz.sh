#!/usr/bin/env bash
# Fuzzes reading and marking the status line for as long as one likes.
# Usage: scripts/fuzz.sh [SECONDS]   (default: until interrupted)
# New inputs collect in build/fuzz/fuzz/corpus; the checked-in seeds stay as they are.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
limit=()
[ $# -gt 0 ] && limit=(-max_total_time="$1")
mkdir -p build/fuzz/fuzz/corpus
build/fuzz/fuzz/status_line_fuzzer "${limit[@]}" -timeout=5 -rss_limit_mb=1024 \
  build/fuzz/fuzz/corpus fuzz/corpus
