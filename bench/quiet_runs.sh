#!/usr/bin/env bash
# Counts the instructions (callgrind) of the two quiet runs, no dump and a dump
# already sent, beside /bin/true, and prints the ratios. Target: at most 0.5.
# Usage: bench/quiet_runs.sh [SENDER]   (default: build/linux/yorv-report-sender)
set -euo pipefail
sender=$(realpath "${1:-build/linux/yorv-report-sender}")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/empty" "$scratch/sent"
printf '# status: sent\nproduct: Yorv\n' > "$scratch/sent/yorv_crash_dump.txt"

instructions() {  # DIR COMMAND...
  local dir=$1; shift
  env -i PATH=/usr/bin:/bin TMPDIR="$dir" valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 \
    | sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}

base=$(instructions "$scratch/empty" /bin/true)
printf '%-22s %12s %7s\n' run instructions ratio
printf '%-22s %12d %7s\n' /bin/true "$base" 1.00
for run in empty sent; do
  count=$(instructions "$scratch/$run" "$sender")
  label=$([ "$run" = empty ] && echo "no dump" || echo "already sent")
  printf '%-22s %12d %7.2f\n' "$label" "$count" "$(echo "$count / $base" | bc -l)"
done
