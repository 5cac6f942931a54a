#!/usr/bin/env bash
# Times the Windows quiet runs (no dump, a dump already sent) under Wine beside
# the floor, bench/quiet_floor.c built with the same MinGW compiler: median
# wall time of at least 30 runs each (hyperfine, after a warm-up, with a
# persistent wineserver), and the ratio. Then lists the DLLs a quiet run loads.
# Target: at most 1.10 times the floor. Build the windows and windows-x86
# presets first; an architecture this machine cannot run is reported as such.
# Usage: bench/quiet_runs_wine.sh [RUNS]   (default 30)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-30}
scripts/install-deps.sh windows bench
scratch=$(mktemp -d)
export WINEPREFIX=$scratch/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true; rm -rf "$scratch"' EXIT
/usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
wineserver -w
temp=$(find "$WINEPREFIX/drive_c/users" -maxdepth 2 -name Temp ! -path '*/Public/*' | head -n 1)

median_ms() {  # JSON INDEX
  python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))["results"][int(sys.argv[2])]["median"] * 1000)' "$1" "$2"
}

for target in windows:x86_64:wine64 windows-x86:i686:wine; do
  IFS=: read -r preset arch loader <<<"$target"
  sender=build/$preset/yorv-report-sender.exe
  floor=$scratch/floor-$arch.exe
  "$arch-w64-mingw32-gcc" -O2 -mwindows -static -s -o "$floor" bench/quiet_floor.c
  echo "== $preset ($arch)"
  if ! "/usr/lib/wine/$loader" --version >/dev/null 2>&1; then
    echo "   /usr/lib/wine/$loader cannot run on this machine; not measured"
    continue
  fi
  wineserver -p
  printf '%-14s %12s %12s %7s\n' run "median ms" "floor ms" ratio
  for run in "no dump" "already sent"; do
    rm -f "$temp/yorv_crash_dump.txt"
    [ "$run" = "already sent" ] && printf '# status: sent\r\nproduct: Yorv\r\n' > "$temp/yorv_crash_dump.txt"
    json=$scratch/result.json
    hyperfine -N --warmup 5 --runs "$runs" --export-json "$json" \
      "/usr/lib/wine/$loader $floor" "/usr/lib/wine/$loader $sender" >/dev/null 2>&1
    floor_ms=$(median_ms "$json" 0) sender_ms=$(median_ms "$json" 1)
    printf '%-14s %12.1f %12.1f %7.2f\n' "$run" "$sender_ms" "$floor_ms" "$(echo "$sender_ms / $floor_ms" | bc -l)"
  done
  rm -f "$temp/yorv_crash_dump.txt"
  # The DLLs the sender's own process loads, by the process id on each line.
  WINEDEBUG=-all,+pid,+loaddll "/usr/lib/wine/$loader" "$sender" 2>&1 | python3 -c '
import re, sys
loads = re.findall(r"^([0-9a-f]+):[0-9a-f]+:trace:loaddll:.*Loaded L\"[^\"]*\\\\([^\"\\\\]+)\"", sys.stdin.read(), re.M)
sender = next(process for process, dll in loads if dll.lower() == "yorv-report-sender.exe")
print("   loaded:", " ".join(dll for process, dll in loads if process == sender))'
  wineserver -k
  wineserver -w
done
