#!/usr/bin/env bash
# Counts the instructions (callgrind) of the two quiet runs, no dump and a dump
# already sent, beside /bin/true and beside the floor: an empty C main linked
# the way the sender is (-static-pie), which is glibc's start-up alone.
# Target: at most 1.10 times the floor.
# Usage: bench/quiet_runs.sh [SENDER]   (default: build/linux/yorv-report-sender)
set -euo pipefail
sender=$(realpath "${1:-build/linux/yorv-report-sender}")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/empty" "$scratch/sent"
printf '# status: sent\nproduct: Yorv\n' > "$scratch/sent/yorv_crash_dump.txt"
printf 'int main(void) { return 0; }\n' > "$scratch/floor.c"
cc -O2 -fPIE -static-pie -Wl,--gc-sections -o "$scratch/floor" "$scratch/floor.c"

instructions() {  # DIR COMMAND...
  local dir=$1; shift
  env -i PATH=/usr/bin:/bin TMPDIR="$dir" valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 \
    | sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}

true_count=$(instructions "$scratch/empty" /bin/true)
floor=$(instructions "$scratch/empty" "$scratch/floor")
row() {  # LABEL COUNT
  printf '%-28s %12d %9.2f %9.2f\n' "$1" "$2" "$(echo "$2 / $true_count" | bc -l)" "$(echo "$2 / $floor" | bc -l)"
}
printf '%-28s %12s %9s %9s\n' run instructions "/bin/true" floor
row /bin/true "$true_count"
row "floor (empty static-pie main)" "$floor"
row "no dump" "$(instructions "$scratch/empty" "$sender")"
row "already sent" "$(instructions "$scratch/sent" "$sender")"
