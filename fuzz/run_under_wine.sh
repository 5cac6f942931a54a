#!/usr/bin/env bash
# Runs a Windows test program under Wine (x64) in a fresh prefix, from FOLDER
# (made if need be), where it may leave what it found. Arguments that name an
# existing file or folder are handed over as Windows paths.
# Usage: run_under_wine.sh FOLDER PROGRAM [ARGUMENT...]
# Without Wine it says why and exits 77, which CTest counts as skipped.
set -euo pipefail
if [ ! -x /usr/lib/wine/wine64 ]; then
  reason="Wine is not installed"
  apt-cache policy wine64 2>/dev/null | grep 'Candidate: [^(]' >/dev/null || reason="no Wine in this release's packages"
  echo "Windows rows not run: $reason"
  exit 77
fi
folder=$1 program=$(realpath "$2")
shift 2
arguments=()
for argument in "$@"; do
  if [ -e "$argument" ]; then argument=$(realpath "$argument") && argument="Z:${argument//\//\\}"; fi
  arguments+=("$argument")
done
mkdir -p "$folder"
prefix=$(mktemp -d)
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true; rm -rf "$prefix"' EXIT
/usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
cd "$folder"
/usr/lib/wine/wine64 "$program" "${arguments[@]}" 2>/dev/null
