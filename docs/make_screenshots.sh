#!/usr/bin/env bash
# Draws the three boxes with Wine's X11 driver under Xvfb and saves a picture
# of each in docs/. Needs the windows preset built, Xvfb, xwininfo and import
# (Debian: xvfb, x11-utils, imagemagick). Not part of the test run.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/windows
scratch=$(mktemp -d)
trap 'WINEPREFIX=$scratch/prefix wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true; rm -rf "$scratch"' EXIT

Xvfb :77 -screen 0 1024x600x24 >/dev/null 2>&1 &
xvfb=$!
wine=/usr/lib/wine/wine64
export DISPLAY=:77 WINEPREFIX=$scratch/prefix WINEDEBUG=-all
WINEDLLOVERRIDES="mscoree,mshtml=" "$wine" wineboot --init >/dev/null 2>&1
# No window manager here: let Wine draw the caption and frame itself.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
temp=$(find "$WINEPREFIX/drive_c/users" -maxdepth 2 -name Temp ! -path '*/Public/*' | head -n 1)
cp "$build/yorv-report-sender.exe" "$build/tests/mapi/MAPI32.DLL" "$scratch/"

shoot() {  # NAME BUTTON: waits for the Yorv box, saves it, presses BUTTON
  local id=""
  for _ in $(seq 100); do
    id=$(xwininfo -root -tree | awk '/"Yorv"/ {print $1; exit}')
    [ -n "$id" ] && break
    sleep 0.2
  done
  sleep 1  # let it finish drawing
  import -window "$id" "docs/$1.png"
  "$wine" "$build/tests/press_button.exe" "$2" 10000 >/dev/null
}

printf '# status: pending\r\n' > "$temp/yorv_crash_dump.txt"
(cd "$scratch" && YORV_MAPI_RESULT=1 WINEDLLOVERRIDES="mapi32=n" "$wine" yorv-report-sender.exe) &
sender=$!
shoot question-box yes
shoot send-failure-box ok
wait $sender || true
(cd "$scratch" && WINEDLLOVERRIDES="mapi32=" "$wine" yorv-report-sender.exe) &
sender=$!
shoot question-box yes
shoot load-failure-box ok
wait $sender || true
echo "saved docs/question-box.png docs/send-failure-box.png docs/load-failure-box.png"
