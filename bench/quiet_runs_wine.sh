#!/usr/bin/env bash
# Times the Windows quiet runs (no dump, a dump already sent) under Wine beside
# the floor, bench/quiet_floor.c built with the same MinGW compiler. The two
# run in turns, the floor and then the sender, one run each, for RUNS pairs
# (after a warm-up, with a persistent wineserver), so that whatever else the
# machine does falls on both alike. Reports the median of the per-pair ratios
# and their spread (the middle half of them), then lists the DLLs a quiet run
# loads. Target: at most 1.10 times the floor. Build the windows and
# windows-x86 presets first; an architecture this machine cannot run is
# reported as such.
# Usage: bench/quiet_runs_wine.sh [RUNS]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-60}
scripts/install-deps.sh windows
scratch=$(mktemp -d)
export WINEPREFIX=$scratch/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true; rm -rf "$scratch"' EXIT
/usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
# The user's temporary folder as the prefix reports it (Wine 10 puts it under AppData\Local).
temp=$(/usr/lib/wine/wine64 winepath -u "$(/usr/lib/wine/wine64 cmd /c 'echo %TEMP%' | tr -d '\r')")
wineserver -w

paired() {  # RUNS FLOOR SENDER: the floor and the sender in turns; prints the medians and the ratios
  python3 - "$@" <<'PY'
import statistics, subprocess, sys, time
runs, floor, sender = int(sys.argv[1]), sys.argv[2].split(), sys.argv[3].split()
def once(command):
    start = time.perf_counter()
    subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    return (time.perf_counter() - start) * 1000
for _ in range(5):  # warm-up
    once(floor), once(sender)
pairs = [(once(floor), once(sender)) for _ in range(runs)]
ratios = sorted(s / f for f, s in pairs)
quartiles = statistics.quantiles(ratios, n=4)
print(f"{statistics.median(s for _, s in pairs):12.1f} {statistics.median(f for f, _ in pairs):12.1f} "
      f"{statistics.median(ratios):7.2f}   {quartiles[0]:.2f}-{quartiles[2]:.2f}")
PY
}

for target in windows:x86_64:wine64 windows-x86:i686:wine; do
  IFS=: read -r preset arch loader <<<"$target"
  sender=build/$preset/yorv-report-sender.exe
  floor=$scratch/floor-$arch.exe
  "$arch-w64-mingw32-gcc" -O2 -mwindows -static -s -o "$floor" bench/quiet_floor.c
  echo "== $preset ($arch), $runs pairs"
  if ! "/usr/lib/wine/$loader" --version >/dev/null 2>&1; then
    echo "   /usr/lib/wine/$loader cannot run on this machine; not measured"
    continue
  fi
  wineserver -p
  printf '%-14s %12s %12s %7s   %s\n' run "median ms" "floor ms" ratio "middle half"
  for run in "no dump" "already sent"; do
    rm -f "$temp/yorv_crash_dump.txt"
    [ "$run" = "already sent" ] && printf '# status: sent\r\nproduct: Yorv\r\n' > "$temp/yorv_crash_dump.txt"
    printf '%-14s ' "$run"
    paired "$runs" "/usr/lib/wine/$loader $floor" "/usr/lib/wine/$loader $sender"
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
