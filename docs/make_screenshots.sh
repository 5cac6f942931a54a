#!/usr/bin/env bash
# Draws the boxes under Xvfb and saves a picture of each in docs/: the Windows
# boxes with Wine's X11 driver, the Linux ones with zenity. Needs the windows
# and linux presets built, and (Debian) xvfb, x11-utils, imagemagick, xdotool
# and zenity. Not part of the test run.
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
# The user's temporary folder as the prefix reports it (Wine 10 puts it under AppData\Local).
temp=$("$wine" winepath -u "$("$wine" cmd /c 'echo %TEMP%' | tr -d '\r')")
system32=$WINEPREFIX/drive_c/windows/system32
cp "$build/yorv-report-sender.exe" "$scratch/"

shoot() {  # NAME PRESS...: waits for the Yorv box, saves it, then runs PRESS
  local name=$1 id=""
  shift
  for _ in $(seq 100); do
    id=$(xwininfo -root -tree | awk '/"Yorv"/ {print $1; exit}')
    [ -n "$id" ] && break
    sleep 0.2
  done
  sleep 1  # let it finish drawing
  import -window "$id" "docs/$name.png"
  "$@" >/dev/null
}
press() { "$wine" "$build/tests/press_button.exe" "$1" 10000; }

printf '# status: pending\r\n' > "$temp/yorv_crash_dump.txt"
cp "$build/tests/mapi/MAPI32.DLL" "$system32/mapi32.dll"
(cd "$scratch" && YORV_MAPI_RESULT=1 WINEDLLOVERRIDES="mapi32=n" "$wine" yorv-report-sender.exe) &
sender=$!
shoot question-box press yes
shoot send-failure-box press ok
wait $sender || true
(cd "$scratch" && WINEDLLOVERRIDES="mapi32=" "$wine" yorv-report-sender.exe) &
sender=$!
shoot question-box press yes
shoot load-failure-box press ok
wait $sender || true

# Linux: the real zenity; xdg-email answers as it does with no mail program (3),
# is missing, or starts one (0), after which the second question comes.
mkdir "$scratch/tmp"
for bin in bin bin-without-mail bin-started; do
  mkdir "$scratch/$bin"
  ln -s "$(command -v zenity)" "$scratch/$bin/zenity"
done
printf '#!/bin/sh\nexit 3\n' > "$scratch/bin/xdg-email"
printf '#!/bin/sh\nexit 0\n' > "$scratch/bin-started/xdg-email"
chmod +x "$scratch/bin/xdg-email" "$scratch/bin-started/xdg-email"
printf '# status: pending\n' > "$scratch/tmp/yorv_crash_dump.txt"
for bin in bin bin-without-mail bin-started; do
  TMPDIR=$scratch/tmp PATH=$scratch/$bin XDG_RUNTIME_DIR= build/linux/yorv-report-sender &
  sender=$!
  shoot linux-question-box xdotool key Return
  case $bin in
    bin) shoot linux-send-failure-box xdotool key Return ;;
    bin-without-mail) shoot linux-load-failure-box xdotool key Return ;;
    bin-started) shoot linux-sent-question-box xdotool key Return ;;
  esac
  wait $sender || true
done
echo "saved docs/{,linux-}{question,send-failure,load-failure}-box.png and docs/linux-sent-question-box.png"
