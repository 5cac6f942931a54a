#!/usr/bin/env bash
# Builds the Linux sender and runs it on a sample pending dump in a scratch
# temporary directory, then shows what became of the dump.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh try
# Its own build folder, without the tests: nothing but a compiler is needed.
cmake --preset linux -B build/try -DYORV_BUILD_TESTS=OFF >/dev/null
cmake --build build/try -j "$(nproc)" >/dev/null
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
printf '# status: pending\nproduct: Yorv (sample)\nfault: none, this is a sample dump\n' \
  > "$scratch/yorv_crash_dump.txt"
echo "Sample dump: $scratch/yorv_crash_dump.txt (removed when this script ends)"
# The question goes to a desktop's dialog, else to the terminal on standard
# input and standard error; `try.sh 2>&1 | tee log` takes the terminal away.
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && ! { [ -t 0 ] && [ -t 2 ]; }; then
  echo "No desktop here, and standard input and standard error are not both the terminal:"
  echo "nothing can ask the question, so it counts as No."
fi
status=0
TMPDIR="$scratch" build/try/yorv-report-sender || status=$?
echo "Exit status: $status. The dump's status line is now:"
head -n 1 "$scratch/yorv_crash_dump.txt"
