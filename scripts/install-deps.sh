#!/usr/bin/env bash
# Installs, on Debian 12 or 13 as root, the packages named by the given groups:
#   build  - native build and tests (e2fsprogs, mount: the loop-mounted row);
#   windows - MinGW-w64 and Wine (x64);
#   windows-x86 - Wine for 32-bit programs, wanted but not needed;
#   fuzz   - clang with libFuzzer;     try     - what the sample run uses;
#   bench  - what the benchmarks use;  release - the packages and their checks.
# Packages already present are left alone; without root nothing is installed.
set -euo pipefail
declare -A groups=(
  [build]="cmake make g++ libgtest-dev libxxhash-dev python3 valgrind bc e2fsprogs mount"
  [windows]="g++-mingw-w64-x86-64 g++-mingw-w64-i686 libxxhash-dev wine wine64"
  [windows-x86]="wine32:i386"
  [fuzz]="clang libclang-rt-dev"
  [try]="cmake make g++ libxxhash-dev xdg-utils"
  [bench]="valgrind bc hyperfine"
  [release]="cmake make g++ g++-mingw-w64-x86-64 g++-mingw-w64-i686 libxxhash-dev lintian faketime git unzip"
)
wanted=()
for group in "$@"; do
  for package in ${groups[$group]}; do
    [ "$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null)" = "install ok installed" ] || wanted+=("$package")
  done
done
[ ${#wanted[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages (install them as root): ${wanted[*]}" >&2
  exit 1
fi
case " ${wanted[*]}" in
  *:i386*) dpkg --add-architecture i386 ;;
esac
# A mirror caught mid-sync fails one index now and then; the others still serve.
for attempt in 1 2 3; do
  apt-get update -q && break
  [ $attempt -lt 3 ] && sleep 10
done
apt_install() { DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@"; }
# The 32-bit Wine is wanted, not needed: without it the x86 scenarios are skipped.
required=() optional=()
for package in "${wanted[@]}"; do
  case $package in *:i386) optional+=("$package") ;; *) required+=("$package") ;; esac
done
[ ${#required[@]} -eq 0 ] || apt_install "${required[@]}"
if [ ${#optional[@]} -gt 0 ] && ! apt_install "${optional[@]}"; then
  echo "install-deps: could not install ${optional[*]}; the x86 Windows scenarios will be skipped" >&2
fi
