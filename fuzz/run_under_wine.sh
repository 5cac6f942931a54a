#!/usr/bin/env bash
# Runs the Windows fuzz driver under Wine (x64) in a fresh prefix, from FINDINGS,
# where a broken input is saved. Usage: run_under_wine.sh DRIVER CORPUS SECONDS FINDINGS
set -euo pipefail
driver=$(realpath "$1") corpus=$(realpath "$2") seconds=$3 findings=$4
mkdir -p "$findings"
prefix=$(mktemp -d)
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true; rm -rf "$prefix"' EXIT
/usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
cd "$findings"
/usr/lib/wine/wine64 "$driver" "Z:${corpus//\//\\}" "$seconds" 2>/dev/null
