#!/usr/bin/env bash
# Installs, on Debian 12 as root, the packages named by the given groups:
#   build  - native build and tests;  windows - MinGW-w64 and Wine;
#   fuzz   - clang with libFuzzer;     try     - what the sample run uses;
#   bench  - what the benchmarks use;  release - the packages and their checks.
# Packages already present are left alone; without root nothing is installed.
set -euo pipefail
declare -A groups=(
  [build]="cmake make g++ libgtest-dev python3 valgrind bc"
  [windows]="g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64 wine32:i386"
  [fuzz]="clang libclang-rt-14-dev"
  [try]="cmake make g++ xdg-utils"
  [bench]="valgrind bc hyperfine"
  [release]="cmake make g++ g++-mingw-w64-x86-64 g++-mingw-w64-i686 lintian faketime git unzip"
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
apt-get update -q
DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${wanted[@]}"
