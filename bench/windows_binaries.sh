#!/usr/bin/env bash
# Prints the Windows executables' stripped sizes and the DLLs they import.
# Build them first: cmake --build --preset windows && cmake --build --preset windows-x86
set -euo pipefail
cd "$(dirname "$0")/.."
for preset in windows:x86_64 windows-x86:i686; do
  dir=build/${preset%%:*} arch=${preset##*:}
  exe=$dir/yorv-report-sender.exe
  stripped=$(mktemp)
  "$arch-w64-mingw32-strip" -o "$stripped" "$exe"
  imports=$("$arch-w64-mingw32-objdump" -p "$exe" | sed -n 's/.*DLL Name: //p' | sort | paste -sd' ')
  printf '%-36s %6d bytes (%.1f KiB)  imports: %s\n' "$exe" "$(stat -c %s "$stripped")" \
    "$(echo "$(stat -c %s "$stripped") / 1024" | bc -l)" "$imports"
  rm -f "$stripped"
done
